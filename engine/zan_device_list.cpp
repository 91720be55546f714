#include "engine/zan_device_list.h"

namespace quillmix {

namespace {

constexpr const char* kCanSplit = "(Can Split)";
constexpr const char* kCantSplit = "(Can't Split)";
constexpr const char* kFront = "(Front)";
constexpr const char* kRear = "(Rear)";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string withoutTail(const std::string& s, const std::string& tail) { return s.substr(0, s.size() - tail.size()); }

// Replaces the selected "(Can Split)" entry by its Front and Rear halves; selects Front.
bool splitSelected(CZanDeviceList& list) {
    const CZanDeviceEntry entry = list.Selected();
    if (!endsWith(entry.text, kCanSplit)) return false;
    const std::string base = withoutTail(entry.text, kCanSplit);  // keeps the blank
    const auto at = list.entries.begin() + list.selected;
    list.entries.erase(at);
    list.entries.insert(list.entries.begin() + list.selected,
                        {{base + kFront, entry.deviceId}, {base + kRear, entry.deviceId}});
    return true;
}

// Replaces the selected half and its partner by the whole "(Can Split)" entry.
bool joinSelected(CZanDeviceList& list) {
    const CZanDeviceEntry entry = list.Selected();
    int first;
    if (endsWith(entry.text, kFront))
        first = list.selected;
    else if (endsWith(entry.text, kRear))
        first = list.selected - 1;
    else
        return false;
    if (first < 0 || first + 1 >= list.Count()) return false;
    list.entries.erase(list.entries.begin() + first, list.entries.begin() + first + 2);
    list.entries.insert(list.entries.begin() + first,
                        {StripDeviceSuffix(entry.text) + " " + kCanSplit, entry.deviceId});
    list.selected = first;
    return true;
}

}  // namespace

int CZanDeviceList::Find(const std::string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (entries[static_cast<std::size_t>(i)].text == text) return i;
    return -1;
}

std::string StripDeviceSuffix(const std::string& text) {
    for (const char* suffix : {kRear, kFront, kCanSplit, kCantSplit}) {
        if (endsWith(text, suffix)) {
            std::string rest = withoutTail(text, suffix);
            if (!rest.empty() && rest.back() == ' ') rest.pop_back();
            return rest;
        }
    }
    return text;
}

CZanDeviceList BuildDeviceList(const std::vector<SoundDeviceInfo>& devices, const CZanDeviceProbe& probe) {
    CZanDeviceList list;
    list.entries.push_back({kNoSoundDeviceText, {}});
    for (const auto& device : devices) {
        if (device.description == "Primary Sound Driver") continue;
        if (probe.canCreate && !probe.canCreate(device.id)) continue;  // not offered
        const bool canSplit = probe.canSplit && probe.canSplit(device.id);
        list.entries.push_back({device.description + " " + (canSplit ? kCanSplit : kCantSplit), device.id});
    }
    return list;
}

void SplitDevice(CZanDeviceList& a, CZanDeviceList& b) {
    const std::string wholeText = a.Selected().text;
    if (!splitSelected(a)) return;
    for (b.selected = 0; b.selected < b.Count(); ++b.selected) {
        if (b.Selected().text == wholeText) {
            splitSelected(b);
            ++b.selected;  // the Rear half
            return;
        }
    }
    b.selected = b.Count() - 1;  // searched through to the last entry
}

void JoinDevice(CZanDeviceList& a, CZanDeviceList& b) {
    const std::string halfText = a.Selected().text;
    if (!joinSelected(a)) return;
    for (b.selected = 0; b.selected < b.Count(); ++b.selected) {
        if (b.Selected().text == halfText) {
            joinSelected(b);
            b.selected = 0;
            return;
        }
    }
    b.selected = b.Count() - 1;
}

void ChangeSelection(CZanDeviceList& list, int index, CZanDeviceList& other) {
    if (index < 0 || index >= list.Count()) return;
    list.selected = index;
    if (index == 0 || list.Selected().text != other.Selected().text) return;
    const std::string& text = list.Selected().text;
    if (endsWith(text, kFront) && other.selected + 1 < other.Count())
        ++other.selected;
    else if (endsWith(text, kRear) && other.selected > 0)
        --other.selected;
    else
        other.selected = 0;
}

void SelectStoredDevice(CZanDeviceList& list, CZanDeviceList& other, const std::string& stored, int fallback) {
    const std::string wanted = StripDeviceSuffix(stored);
    for (int i = 0; i < list.Count(); ++i) {
        if (StripDeviceSuffix(list.entries[static_cast<std::size_t>(i)].text) != wanted) continue;
        list.selected = i;
        if (endsWith(stored, kRear)) {
            SplitDevice(list, other);
            if (list.selected + 1 < list.Count()) ++list.selected;
        } else if (endsWith(stored, kFront)) {
            SplitDevice(list, other);
        }
        return;
    }
    list.selected = list.Count() > fallback ? fallback : 0;
}

void CZanSoundDeviceLists::Refresh(SoundSystem& system, const std::string& storedMain,
                                   const std::string& storedMonitor) {
    CZanDeviceProbe probe{[&](const std::string& id) { return system.canCreate(id); },
                          [&](const std::string& id) { return system.canOpenFourChannels(id); }};
    Refresh(system.enumerate(), probe, storedMain, storedMonitor);
}

void CZanSoundDeviceLists::Refresh(const std::vector<SoundDeviceInfo>& devices, const CZanDeviceProbe& probe,
                                   const std::string& storedMain, const std::string& storedMonitor) {
    // The table starts empty at every enumeration, so no device ever drops out of the lists
    // however often they are rebuilt.
    deviceIdTable.clear();
    for (const auto& device : devices) deviceIdTable.push_back(device.id);
    mainList = BuildDeviceList(devices, probe);
    monitorList = mainList;
    SelectStoredDevice(mainList, monitorList, storedMain, 1);
    SelectStoredDevice(monitorList, mainList, storedMonitor, 2);
    // A fallback may land on the entry the main list holds (its stored half after a split):
    // the selection rule moves the monitor off it, as if the user had chosen the main entry.
    ChangeSelection(mainList, mainList.selected, monitorList);
}

void CZanSoundDeviceLists::Confirm() {
    mainDeviceGuid = mainList.Selected().deviceId;
    mainDeviceText = mainList.Selected().text;
    monitorDeviceGuid = monitorList.Selected().deviceId;
    monitorDeviceText = monitorList.Selected().text;
}

}  // namespace quillmix
