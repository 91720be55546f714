#include "sources/file_open_thread.h"

#include "app/shared_state.h"
#include "platform/messaging.h"
#include "platform/thread_priority.h"

namespace quillmix {

void runFileOpenThread(int deck, CZanTrackReader& reader) {
    const std::string path = fileOpenPath[deck];
    reader.open(path);
    fileOpenIsDoneEvent[deck].set();
}

std::thread startFileOpenThread(int deck, CZanTrackReader& reader) {
    return std::thread([deck, &reader] {
        setCurrentThreadPriority(ThreadPriority::normal);
        runFileOpenThread(deck, reader);
    });
}

bool openTrackOnFileOpenThread(int deck, CZanTrackReader& reader, const std::string& path) {
    fileOpenPath[deck] = path;
    fileOpenIsDoneEvent[deck].reset();
    std::thread opener = startFileOpenThread(deck, reader);
    pumpingWait(fileOpenIsDoneEvent[deck]);
    opener.join();
    return reader.isOpen();
}

void seekTrackOnFileOpenThread(int deck, CZanTrackReader& reader, double fraction) {
    fileOpenIsDoneEvent[deck].reset();
    std::thread seeker([deck, &reader, fraction] {
        setCurrentThreadPriority(ThreadPriority::normal);
        reader.seek(fraction);
        fileOpenIsDoneEvent[deck].set();
    });
    pumpingWait(fileOpenIsDoneEvent[deck]);
    seeker.join();
}

}  // namespace quillmix
