#pragma once
// Internal to the decoder (platform/ only): the output stage. Converts decoded frames of any
// sample format, layout and rate to the decoder's output format at 44100 Hz, and queues the
// result until a block is asked for. Exposes no FFmpeg header; frames are passed as opaque
// pointers.

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVFrame;
struct SwrContext;

namespace quillmix {

class PcmOutputQueue {
public:
    PcmOutputQueue() = default;
    ~PcmOutputQueue();
    PcmOutputQueue(const PcmOutputQueue&) = delete;
    PcmOutputQueue& operator=(const PcmOutputQueue&) = delete;

    // Output: 8-bit unsigned or 16-bit signed interleaved, 1 or 2 channels, 44100 Hz.
    void setOutput(int bitsPerSample, int channels);
    int frameBytes() const { return frameBytes_; }

    // Converts `frame` from sample `skipSamples` on. The converter is rebuilt whenever the
    // frame's format, channel count or rate differs from the last one.
    void append(const AVFrame* frame, int skipSamples);
    // At the end of the stream: whatever the resampler still holds.
    void drain();
    // Output frames to drop as they come out of the converter (a seek's last stretch).
    void discardNext(std::int64_t frames) { discard_ = frames; }
    std::int64_t framesToDiscard() const { return discard_; }

    std::size_t queuedBytes() const { return tail_ - head_; }
    // Moves up to `bytes` queued bytes to `destination`; returns how many.
    std::size_t take(std::uint8_t* destination, std::size_t bytes);

    // Empties the queue and forgets the converter's history (after a seek or reopen).
    void reset();

private:
    bool configure(const AVFrame* frame);
    std::uint8_t* reserve(int frames);
    void keep(int produced);
    // Float and double input: copies of the planes with NaN made 0 and infinities clamped
    // to full scale, so a damaged file cannot click at full scale. Other formats pass.
    void sanitizeFloatPlanes(int format, const std::uint8_t** planes, int planeCount, std::size_t planeBytes);

    SwrContext* converter_ = nullptr;
    int inputFormat_ = -1;
    int inputChannels_ = 0;
    int inputRate_ = 0;
    int outputSampleFormat_ = 0;
    int outputChannels_ = 2;
    int frameBytes_ = 4;
    std::vector<std::uint8_t> buffer_;     // queued bytes are [head_, tail_)
    std::vector<std::uint8_t> sanitized_;  // float planes after sanitizeFloatPlanes
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
    std::int64_t discard_ = 0;
};

}  // namespace quillmix
