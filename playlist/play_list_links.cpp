#include "playlist/play_list_links.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"

namespace quillmix {

void MixerWindowLink::LoadTrackFromPlayList(int deck) {
    sendMessage(mixerWindow, UWM_LOAD_TRACK_FROM_PLAY_LIST, static_cast<WParam>(deck));
}

void MixerWindowLink::PlayListChanged() { sendMessage(mixerWindow, UWM_PLAY_LIST_CHANGED); }

bool SharedTrackLengthLoader::Busy() const { return flagSet(trackLengthLoaderBusy) || trackLengthLoadEvent.isSet(); }

// The busy flag goes up here, before the loader is woken, and down only once the loader's
// answer has been handled: between its wake-up and its own raising of the flag the loader
// reads the path, and a second request then would overwrite it under its feet.
void SharedTrackLengthLoader::Request(const std::string& path) {
    writeFlag(trackLengthLoaderBusy, 1);
    trackLengthLoadPath = path;  // published before the event is set
    trackLengthLoadEvent.set();
}

std::string SharedTrackLengthLoader::LoadedPath() const { return trackLengthLoadPath; }
double SharedTrackLengthLoader::LoadedSeconds() const { return trackLengthLoadResult; }
std::string SharedTrackLengthLoader::LoadedTitle() const { return trackLengthLoadTitle; }

}  // namespace quillmix
