#include "sources/track_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "dsp/sample_layout.h"

namespace quillmix {

CZanTrackReader::CZanTrackReader()
    : blockBuffer_(kChunkBytes, 0), blockReadyEvent_(Event::create(Event::Reset::automatic, false)) {}

CZanTrackReader::~CZanTrackReader() { close(); }

std::int32_t CZanTrackReader::open(const std::string& path) {
    close();
    positionBytes_.store(0, std::memory_order_relaxed);
    if (path.empty()) return kStatusUnexpected;
    path_ = path;
    const std::int32_t status = decoder_.open(path);
    if (status != kStatusOk) return status;
    const AudioFormat format = decoder_.format();
    bitsPerSample_ = format.bitsPerSample;
    channels_ = format.channels;
    sampleRate_ = format.sampleRate;
    // One block is one chunk's worth of frames whatever the width, so that a block of
    // 8-bit mono (2940 bytes) widens to exactly one chunk too.
    blockBytes_ = kChunkFrames * frameBytes();
    totalBytes_ = decoder_.durationFrames() * frameBytes();
    isOpen_.store(1);
    return kStatusOk;
}

void CZanTrackReader::close() {
    decoder_.close();
    std::fill(blockBuffer_.begin(), blockBuffer_.end(), std::uint8_t{0});
    blockReadyEvent_.set();  // nobody stays blocked on a block that will not come
    isOpen_.store(0);
    trackLoaded_.store(0);
    path_.clear();
}

// Widens `bytes` decoder bytes in blockBuffer_ to chunk format at `destination`; returns the
// chunk bytes written (a whole number of frames).
int CZanTrackReader::convertBlock(int bytes, std::int16_t* destination) const {
    const int samples = bytes * 8 / bitsPerSample_;
    if (samples < 1) return 0;
    const std::uint8_t* block = blockBuffer_.data();
    if (bitsPerSample_ == 8) {
        if (channels_ == 1) {
            Mono8ToStereo16(block, destination, samples);
            return samples * 4;
        }
        Stereo8ToStereo16(block, destination, samples);
        return samples * 2;
    }
    if (channels_ == 1) {
        MonoToStereo(reinterpret_cast<const std::int16_t*>(block), destination, samples);
        return samples * 4;
    }
    std::memcpy(destination, block, static_cast<std::size_t>(samples) * 2);
    return samples * 2;
}

// The deck has just opened its next track in this reader: fills the rest of the chunk with
// the start of that track, in the track's own format widened like any block. The next block
// continues right after the frames used here, so no sample is lost or repeated. False when
// the new track ended within the chunk too.
bool CZanTrackReader::handOverToNextTrack(std::int16_t* destination, int& chunkBytesFilled) {
    const int freeFrames = (kChunkBytes - chunkBytesFilled) / 4;
    const int wanted = freeFrames * frameBytes();
    int got = 0;
    const std::int32_t status = decoder_.readBlock(blockBuffer_.data(), wanted, got);
    blockReadyEvent_.set();
    chunkBytesFilled += convertBlock(got, destination + chunkBytesFilled / 2);
    positionBytes_.store(got, std::memory_order_relaxed);
    return got == wanted && status == kStatusOk;
}

std::int32_t CZanTrackReader::readChunk(int deck, std::int16_t* destination, std::int32_t& bytesDelivered,
                                        bool& endOfTrack) {
    if (!isOpen()) return kStatusUnexpected;
    int delivered = 0;
    const std::int32_t status = decoder_.readBlock(blockBuffer_.data(), blockBytes_, delivered);
    blockReadyEvent_.set();
    int chunkBytesFilled = convertBlock(delivered, destination);
    endOfTrack = delivered < blockBytes_ || status == kStatusEndOfStream;
    bytesDelivered = delivered;
    positionBytes_.fetch_add(delivered, std::memory_order_relaxed);
    while (endOfTrack) {
        std::memset(reinterpret_cast<std::uint8_t*>(destination) + chunkBytesFilled, 0,
                    static_cast<std::size_t>(kChunkBytes - chunkBytesFilled));
        // Only a track opened during this very send may continue the chunk; a flag left
        // from an earlier hand-over must not make the reader read on past its end.
        trackLoaded_.store(0);
        sendMessage(mixerWindow, UWM_TRACK_READER_DONE, static_cast<WParam>(deck), 0);
        if (!trackLoaded() || !isOpen()) break;
        endOfTrack = !handOverToNextTrack(destination, chunkBytesFilled);
    }
    if (endOfTrack) {
        endChunkBytes_ = chunkBytesFilled;
        close();
    }
    return kStatusOk;
}

bool CZanTrackReader::continueEndChunk(std::int16_t* chunk) {
    if (!isOpen()) return false;
    int filled = endChunkBytes_;
    if (!handOverToNextTrack(chunk, filled)) {
        close();
        return false;
    }
    return true;
}

void CZanTrackReader::seek(double fraction) {
    if (!isOpen()) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const auto frame = static_cast<std::int64_t>(std::floor(static_cast<double>(decoder_.durationFrames()) * fraction));
    decoder_.seekToFrame(frame);
    positionBytes_.store(frame * frameBytes(), std::memory_order_relaxed);
}

double CZanTrackReader::lengthSeconds() const { return isOpen() ? decoder_.durationSeconds() : 0.0; }

std::string CZanTrackReader::title() const { return isOpen() ? decoder_.title() : std::string(); }

std::string CZanTrackReader::path() const { return path_; }

double CZanTrackReader::elapsedSeconds() const {
    if (!isOpen()) return 0.0;
    return static_cast<double>(positionBytes()) / (static_cast<double>(sampleRate_) * frameBytes());
}

}  // namespace quillmix
