#include "platform/pcm_output_queue.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillmix {

namespace {
constexpr int kOutputRate = 44100;

template <typename Sample>
void sanitizeSamples(std::uint8_t* bytes, std::size_t count) {
    auto* samples = reinterpret_cast<Sample*>(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        if (std::isnan(samples[i]))
            samples[i] = 0;
        else if (std::isinf(samples[i]))
            samples[i] = samples[i] > 0 ? 1 : -1;
    }
}
}  // namespace

void PcmOutputQueue::sanitizeFloatPlanes(int format, const std::uint8_t** planes, int planeCount,
                                         std::size_t planeBytes) {
    const auto packed = av_get_packed_sample_fmt(static_cast<AVSampleFormat>(format));
    if (packed != AV_SAMPLE_FMT_FLT && packed != AV_SAMPLE_FMT_DBL) return;
    if (sanitized_.size() < planeBytes * planeCount) sanitized_.resize(planeBytes * planeCount);
    for (int c = 0; c < planeCount; ++c) {
        std::uint8_t* copy = sanitized_.data() + planeBytes * c;
        std::memcpy(copy, planes[c], planeBytes);
        if (packed == AV_SAMPLE_FMT_FLT)
            sanitizeSamples<float>(copy, planeBytes / sizeof(float));
        else
            sanitizeSamples<double>(copy, planeBytes / sizeof(double));
        planes[c] = copy;
    }
}

PcmOutputQueue::~PcmOutputQueue() { swr_free(&converter_); }

void PcmOutputQueue::setOutput(int bitsPerSample, int channels) {
    outputSampleFormat_ = bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    outputChannels_ = channels;
    frameBytes_ = channels * bitsPerSample / 8;
    reset();
}

void PcmOutputQueue::reset() {
    swr_free(&converter_);
    inputFormat_ = -1;
    head_ = tail_ = 0;
    discard_ = 0;
}

bool PcmOutputQueue::configure(const AVFrame* frame) {
    const int channels = frame->ch_layout.nb_channels;
    if (converter_ && frame->format == inputFormat_ && channels == inputChannels_ && frame->sample_rate == inputRate_) {
        return true;
    }
    swr_free(&converter_);
    AVChannelLayout inputLayout;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&inputLayout, channels);
    } else if (av_channel_layout_copy(&inputLayout, &frame->ch_layout) < 0) {
        return false;
    }
    AVChannelLayout outputLayout;
    av_channel_layout_default(&outputLayout, outputChannels_);
    const int result =
        swr_alloc_set_opts2(&converter_, &outputLayout, static_cast<AVSampleFormat>(outputSampleFormat_), kOutputRate,
                            &inputLayout, static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
    if (result < 0 || swr_init(converter_) < 0) {
        swr_free(&converter_);
        return false;
    }
    inputFormat_ = frame->format;
    inputChannels_ = channels;
    inputRate_ = frame->sample_rate;
    return true;
}

// Room for `frames` more frames at the tail; compacts first, so the buffer stops growing
// once it has held the largest decoded frame.
std::uint8_t* PcmOutputQueue::reserve(int frames) {
    if (head_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
        tail_ -= head_;
        head_ = 0;
    }
    const std::size_t needed = tail_ + static_cast<std::size_t>(frames) * frameBytes_;
    if (buffer_.size() < needed) buffer_.resize(needed);
    return buffer_.data() + tail_;
}

// Queues `produced` frames just written at the tail, less those still to drop.
void PcmOutputQueue::keep(int produced) {
    if (produced <= 0) return;
    const int dropped = static_cast<int>(std::min<std::int64_t>(discard_, produced));
    discard_ -= dropped;
    const auto frameBytes = static_cast<std::size_t>(frameBytes_);
    if (dropped > 0 && dropped < produced) {
        std::memmove(buffer_.data() + tail_, buffer_.data() + tail_ + dropped * frameBytes,
                     (produced - dropped) * frameBytes);
    }
    tail_ += static_cast<std::size_t>(produced - dropped) * frameBytes;
}

void PcmOutputQueue::append(const AVFrame* frame, int skipSamples) {
    if (skipSamples >= frame->nb_samples || frame->sample_rate <= 0 || !configure(frame)) return;
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int bytesPerSample = av_get_bytes_per_sample(format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const std::uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
    const std::size_t offset = static_cast<std::size_t>(skipSamples) * bytesPerSample * (planar ? 1 : channels);
    for (int c = 0; c < (planar ? channels : 1) && c < AV_NUM_DATA_POINTERS; ++c) {
        planes[c] = frame->extended_data[c] + offset;
    }
    const int inputFrames = frame->nb_samples - skipSamples;
    const int planeCount = std::min(planar ? channels : 1, AV_NUM_DATA_POINTERS);
    const std::size_t planeBytes = static_cast<std::size_t>(inputFrames) * bytesPerSample * (planar ? 1 : channels);
    sanitizeFloatPlanes(frame->format, planes, planeCount, planeBytes);
    const int capacity = swr_get_out_samples(converter_, inputFrames);
    if (capacity <= 0) return;
    std::uint8_t* out = reserve(capacity);
    keep(swr_convert(converter_, &out, capacity, planes, inputFrames));
}

void PcmOutputQueue::drain() {
    if (!converter_) return;
    for (;;) {
        const int capacity = std::max(swr_get_out_samples(converter_, 0), 0) + 64;
        std::uint8_t* out = reserve(capacity);
        const int produced = swr_convert(converter_, &out, capacity, nullptr, 0);
        if (produced <= 0) break;
        keep(produced);
    }
}

std::size_t PcmOutputQueue::take(std::uint8_t* destination, std::size_t bytes) {
    const std::size_t taken = std::min(bytes, queuedBytes());
    std::memcpy(destination, buffer_.data() + head_, taken);
    head_ += taken;
    return taken;
}

}  // namespace quillmix
