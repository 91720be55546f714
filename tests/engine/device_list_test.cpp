// The device-list rules of the options dialog, as pure logic.
#include <gtest/gtest.h>

#include "engine/zan_device_list.h"

using namespace quillmix;

namespace {

std::vector<SoundDeviceInfo> devices(std::initializer_list<const char*> names) {
    std::vector<SoundDeviceInfo> list;
    for (const char* name : names) list.push_back({std::string("id:") + name, name, 2, nullptr});
    return list;
}

// Devices named "Quad..." take four channels; "Broken..." cannot be created.
CZanDeviceProbe probe() {
    return {[](const std::string& id) { return id.find("Broken") == std::string::npos; },
            [](const std::string& id) { return id.find("Quad") != std::string::npos; }};
}

std::vector<std::string> texts(const CZanDeviceList& list) {
    std::vector<std::string> t;
    for (const auto& e : list.entries) t.push_back(e.text);
    return t;
}

}  // namespace

TEST(DeviceListTest, ListsCreatableDevicesMarkedWithTheirSplitCapability) {
    const auto list = BuildDeviceList(devices({"Quad", "Broken", "Stereo", "Primary Sound Driver"}), probe());
    EXPECT_EQ(texts(list), (std::vector<std::string>{kNoSoundDeviceText, "Quad (Can Split)", "Stereo (Can't Split)"}));
    EXPECT_EQ(list.entries[0].deviceId, "");
    EXPECT_EQ(list.entries[2].deviceId, "id:Stereo");
    EXPECT_EQ(StripDeviceSuffix("Quad (Can Split)"), "Quad");
    EXPECT_EQ(StripDeviceSuffix("A (Rear)"), "A");
}

TEST(DeviceListTest, DefaultSelectionsWithoutStoredChoice) {
    CZanSoundDeviceLists lists;
    lists.Refresh(devices({"Stereo"}), probe(), "", "");
    EXPECT_EQ(lists.mainList.Selected().text, "Stereo (Can't Split)");
    EXPECT_EQ(lists.monitorList.Selected().text, kNoSoundDeviceText);
    lists.Refresh(devices({"One", "Two"}), probe(), "", "");
    EXPECT_EQ(lists.mainList.Selected().text, "One (Can't Split)");
    EXPECT_EQ(lists.monitorList.Selected().text, "Two (Can't Split)");
    lists.Confirm();
    EXPECT_EQ(lists.GetMainDeviceGuid(), "id:One");
    EXPECT_EQ(lists.GetMonitorDeviceGuid(), "id:Two");
    lists.Refresh(devices({}), probe(), "One (Can't Split)", "");
    EXPECT_EQ(lists.mainList.Count(), 1);
    lists.Confirm();
    EXPECT_EQ(lists.GetMainDeviceGuid(), "");
}

TEST(DeviceListTest, StoredRearHalfSplitsTheDeviceAtStartUp) {
    CZanSoundDeviceLists lists;
    lists.Refresh(devices({"Quad", "Stereo"}), probe(), "Quad (Rear)", "Quad (Front)");
    EXPECT_EQ(lists.mainList.Selected().text, "Quad (Rear)");
    EXPECT_EQ(lists.monitorList.Selected().text, "Quad (Front)");
    EXPECT_EQ(texts(lists.mainList),
              (std::vector<std::string>{kNoSoundDeviceText, "Quad (Front)", "Quad (Rear)", "Stereo (Can't Split)"}));
    lists.Confirm();
    EXPECT_EQ(lists.GetMainDeviceGuid(), lists.GetMonitorDeviceGuid());
}

TEST(DeviceListTest, SplitAndJoinKeepBothListsInStep) {
    CZanSoundDeviceLists lists;
    lists.Refresh(devices({"Quad", "Stereo"}), probe(), "Stereo", "");
    auto& main = lists.mainList;
    auto& monitor = lists.monitorList;
    SplitDevice(main, monitor);  // main is on a device that cannot split: nothing
    EXPECT_EQ(main.Count(), 3);
    ChangeSelection(main, 1, monitor);
    SplitDevice(main, monitor);
    EXPECT_EQ(main.Selected().text, "Quad (Front)");
    EXPECT_EQ(monitor.Selected().text, "Quad (Rear)");
    EXPECT_EQ(main.Count(), 4);
    EXPECT_EQ(monitor.Count(), 4);
    JoinDevice(monitor, main);  // join from the monitor side
    EXPECT_EQ(monitor.Selected().text, "Quad (Can Split)");
    EXPECT_EQ(main.Selected().text, kNoSoundDeviceText);
    EXPECT_EQ(texts(main), texts(monitor));
    EXPECT_EQ(main.Count(), 3);
}

TEST(DeviceListTest, ChoosingTheOtherListsDeviceMovesThatListOff) {
    CZanSoundDeviceLists lists;
    lists.Refresh(devices({"Quad", "Stereo"}), probe(), "Stereo", "Quad");
    auto& main = lists.mainList;
    auto& monitor = lists.monitorList;
    ChangeSelection(monitor, main.Find("Stereo (Can't Split)"), main);
    EXPECT_EQ(main.Selected().text, kNoSoundDeviceText);
    ChangeSelection(main, main.Find("Quad (Can Split)"), monitor);
    SplitDevice(main, monitor);
    ASSERT_EQ(monitor.Selected().text, "Quad (Rear)");
    ChangeSelection(monitor, monitor.Find("Quad (Front)"), main);  // main was on Front
    EXPECT_EQ(main.Selected().text, "Quad (Rear)");
    ChangeSelection(main, main.Find("Quad (Front)"), monitor);  // monitor was on Front
    EXPECT_EQ(monitor.Selected().text, "Quad (Rear)");
    ChangeSelection(main, 0, monitor);  // the disabled entry never moves the other list
    EXPECT_EQ(monitor.Selected().text, "Quad (Rear)");
}

TEST(DeviceListTest, EveryEnumerationRebuildsTheIdentifierTable) {
    CZanSoundDeviceLists lists;
    for (int i = 0; i < 30; ++i) lists.Refresh(devices({"One", "Two", "Three"}), probe(), "", "");
    EXPECT_EQ(lists.deviceIdTable.size(), 3u);
    EXPECT_EQ(lists.mainList.Count(), 4);
    std::vector<SoundDeviceInfo> many;
    for (int i = 0; i < 25; ++i) many.push_back({"id:" + std::to_string(i), "Card " + std::to_string(i), 2, nullptr});
    lists.Refresh(many, probe(), "Card 24 (Can't Split)", "");
    EXPECT_EQ(lists.mainList.Count(), 26);  // no device beyond the twentieth drops out
    EXPECT_EQ(lists.mainList.Selected().deviceId, "id:24");
}
