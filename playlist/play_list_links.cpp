#include "playlist/play_list_links.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"

namespace quillmix {

void MixerWindowLink::LoadTrackFromPlayList(int deck) {
    sendMessage(mixerWindow, UWM_LOAD_TRACK_FROM_PLAY_LIST, static_cast<WParam>(deck));
}

void MixerWindowLink::PlayListChanged() {
    sendMessage(mixerWindow, UWM_PLAY_LIST_CHANGED);
}

bool SharedTrackLengthLoader::Busy() const {
    // The loader raises its busy flag only once it has woken; until then a request is
    // still pending in the (auto-reset) event, and writing the path again would race.
    return flagSet(trackLengthLoaderBusy) || trackLengthLoadEvent.isSet();
}

void SharedTrackLengthLoader::Request(const std::string& path) {
    trackLengthLoadPath = path;  // published before the event is set
    trackLengthLoadEvent.set();
}

std::string SharedTrackLengthLoader::LoadedPath() const { return trackLengthLoadPath; }
double SharedTrackLengthLoader::LoadedSeconds() const { return trackLengthLoadResult; }
std::string SharedTrackLengthLoader::LoadedTitle() const { return trackLengthLoadTitle; }

}  // namespace quillmix
