#pragma once
// The output device lists behind the options dialog, without the dialog: one list for the
// main output and one for the monitor, each starting with "No Sound Device Selected
// (Disabled)", then every device that can be created, marked " (Can Split)" or " (Can't
// Split)". A splittable device may be split into " (Front)" and " (Rear)" halves, one per
// output; the rules below keep the two outputs off one device except as its two halves.
//
// Threads: window thread only.

#include <functional>
#include <string>
#include <vector>

#include "sound/sound_system.h"

namespace quillmix {

struct CZanDeviceEntry {
    std::string text;
    std::string deviceId;  // empty: no device (the disabled entry)
};

struct CZanDeviceList {
    std::vector<CZanDeviceEntry> entries;
    int selected = 0;

    int Count() const { return static_cast<int>(entries.size()); }
    const CZanDeviceEntry& Selected() const { return entries.at(static_cast<std::size_t>(selected)); }
    int Find(const std::string& text) const;  // -1 when absent
};

inline constexpr const char* kNoSoundDeviceText = "No Sound Device Selected (Disabled)";

// What the device list asks of the sound system about one device.
struct CZanDeviceProbe {
    std::function<bool(const std::string& id)> canCreate;
    std::function<bool(const std::string& id)> canSplit;  // a 4-channel stream opens
};

// One list built afresh from an enumeration.
CZanDeviceList BuildDeviceList(const std::vector<SoundDeviceInfo>& devices, const CZanDeviceProbe& probe);

// The text without a trailing "(Rear)", "(Front)", "(Can Split)" or "(Can't Split)" and
// the blank before it.
std::string StripDeviceSuffix(const std::string& text);

// Selects the stored entry text in `list` (splitting the device when the stored text is a
// half), or `fallback` when nothing matches and the list is long enough, else entry 0.
void SelectStoredDevice(CZanDeviceList& list, CZanDeviceList& other, const std::string& stored, int fallback);
// Split with `a` first: a's selected "(Can Split)" entry becomes Front (selected) and Rear;
// in `b` the same device is split and its Rear half selected.
void SplitDevice(CZanDeviceList& a, CZanDeviceList& b);
// Join with `a` first: a's selected half and its partner become one "(Can Split)" entry;
// in `b` the same halves are joined and "No Sound Device Selected (Disabled)" selected.
void JoinDevice(CZanDeviceList& a, CZanDeviceList& b);
// The user picks `index` in `list`; `other` moves off the device if both would share it.
void ChangeSelection(CZanDeviceList& list, int index, CZanDeviceList& other);

// The two lists of the options dialog and the choice confirmed last.
class CZanSoundDeviceLists {
public:
    // Rebuilds both lists and the identifier table from a fresh enumeration, then selects
    // the stored choices.
    void Refresh(SoundSystem& system, const std::string& storedMain, const std::string& storedMonitor);
    void Refresh(const std::vector<SoundDeviceInfo>& devices, const CZanDeviceProbe& probe,
                 const std::string& storedMain, const std::string& storedMonitor);

    // OK: takes the selected entries as the chosen devices. Their texts are what the
    // settings store as "soundDeviceMain" and "soundDeviceHeadphones".
    void Confirm();
    const std::string& GetMainDeviceGuid() const { return mainDeviceGuid; }
    const std::string& GetMonitorDeviceGuid() const { return monitorDeviceGuid; }

    CZanDeviceList mainList;
    CZanDeviceList monitorList;
    std::vector<std::string> deviceIdTable;  // every identifier of the last enumeration
    std::string mainDeviceGuid, monitorDeviceGuid;
    std::string mainDeviceText, monitorDeviceText;
};

}  // namespace quillmix
