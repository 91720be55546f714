#pragma once
// A deck's track reader: one sound file at a time, turned into chunks of 16-bit stereo PCM
// (kChunkBytes each), with the gapless hand-over to the deck's next track at the end.
//
// Threads: no lock; users take turns by protocol. open runs on the file-open thread (or
// the window thread) while no read-forward thread uses the reader; readChunk runs on the
// read-forward thread; seek, close and the queries run on the window thread once the deck
// has stopped its read-forward thread. During UWM_TRACK_READER_DONE the read-forward thread
// is blocked in its send, so the window thread may reopen the reader then.
//
// Byte counts (positionBytes, totalBytes) are in the decoder's output format (bitsPerSample,
// channels, sampleRate), not in the chunk format.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_decoder.h"
#include "platform/event.h"

namespace quillmix {

class CZanTrackReader {
public:
    CZanTrackReader();
    ~CZanTrackReader();
    CZanTrackReader(const CZanTrackReader&) = delete;
    CZanTrackReader& operator=(const CZanTrackReader&) = delete;

    // Closes, then opens `path`. 0 on success; kStatusUnexpected for an empty path or no
    // file there; otherwise the decoder's failure status (the reader stays closed, though
    // path() keeps the name: callers test isOpen()).
    std::int32_t open(const std::string& path);
    void close();

    // Read-forward thread. Decodes the next block into `destination` (one whole chunk of
    // kChunkBytes, always written in full). bytesDelivered: decoder bytes of this track
    // that went in. At the end of the track the rest of the chunk is silence and
    // UWM_TRACK_READER_DONE (wParam deck) is sent to mixerWindow; if the deck opened its
    // next track in this reader meanwhile (setTrackLoaded(true)), the rest of the chunk is
    // instead the start of that track and endOfTrack is false. Otherwise endOfTrack is true
    // and the reader is closed. Returns 0, or kStatusUnexpected (touching nothing) when
    // closed.
    std::int32_t readChunk(int deck, std::int16_t* destination, std::int32_t& bytesDelivered, bool& endOfTrack);

    // Chunk bytes of track audio in the last chunk readChunk delivered at the end of a
    // track (the rest of it is silence). Read once the read-forward thread has ended.
    int endChunkBytes() const { return endChunkBytes_; }
    // Window thread, read-ahead ended at the end of the previous track and `path` just
    // opened: fills `chunk` (the previous track's last chunk) from endChunkBytes() on with
    // the start of this track, as a hand-over inside readChunk would have. False, the
    // reader closed, when the track ends within the chunk.
    bool continueEndChunk(std::int16_t* chunk);

    // Window thread, read-ahead stopped. Positions at `fraction` (0 .. 1) of the track.
    void seek(double fraction);

    double lengthSeconds() const;  // 0 when closed or unknown
    std::string title() const;     // empty when there is no title tag or when closed
    std::string path() const;
    bool isOpen() const { return isOpen_.load() != 0; }
    void setTrackLoaded(bool loaded) { trackLoaded_.store(loaded ? 1 : 0); }
    bool trackLoaded() const { return trackLoaded_.load() != 0; }

    std::int32_t bitsPerSample() const { return bitsPerSample_; }
    std::int32_t channels() const { return channels_; }
    std::int32_t sampleRate() const { return sampleRate_; }
    double elapsedSeconds() const;  // positionBytes / bytes per second; 0 when closed

    // Any thread: the deck reads it on the window thread while the read-forward thread
    // decodes; a value one chunk stale is fine there.
    std::int64_t positionBytes() const { return positionBytes_.load(std::memory_order_relaxed); }
    std::int64_t totalBytes() const { return totalBytes_; }
    std::int32_t blockBytes() const { return blockBytes_; }
    // Set when a block has been decoded and on close; nobody need wait on it, since the
    // decoder delivers synchronously.
    const Event& blockReadyEvent() const { return blockReadyEvent_; }

private:
    int frameBytes() const { return channels_ * bitsPerSample_ / 8; }
    int convertBlock(int bytes, std::int16_t* destination) const;
    bool handOverToNextTrack(std::int16_t* destination, int& chunkBytesFilled);

    std::vector<std::uint8_t> blockBuffer_;  // kChunkBytes, the block the decoder fills
    std::string path_;
    Event blockReadyEvent_;
    std::int32_t bitsPerSample_ = 16;
    // 64-bit: a 16-bit stereo count passes 2^31 after 3 h 23 min, which long mixes reach.
    std::atomic<std::int64_t> positionBytes_{0};  // decoder bytes delivered since the last open or seek
    std::int32_t channels_ = 2;
    std::int32_t blockBytes_ = 0;  // decoder bytes of one chunk: kChunkFrames whole frames
    int endChunkBytes_ = 0;        // see endChunkBytes()
    std::int32_t sampleRate_ = 44100;
    std::int64_t totalBytes_ = 0;
    std::atomic<std::int32_t> isOpen_{0};
    std::atomic<std::int32_t> trackLoaded_{0};
    AudioDecoder decoder_;
};

}  // namespace quillmix
