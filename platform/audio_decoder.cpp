#include "platform/audio_decoder.h"

#include "platform/mp3_gapless_info.h"
#include "platform/pcm_output_queue.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <numeric>

namespace quillmix {

namespace {

constexpr int kOutputRate = 44100;
// Decoding starts this long before a seek target, so that the decoder's state (bit
// reservoir, transform overlap, predictors) is rebuilt before the first frame we keep.
constexpr double kSeekPrerollSeconds = 0.25;

// Every Opus frame lasts a multiple of 2.5 ms: this many samples at 48 kHz.
constexpr int kOpusFrameGrain = 120;

void quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The demuxers of real audio files. Play lists and other containers that name further
// files (hls, concat, dash, image sequences) are not among them: a track is one local file.
constexpr const char* kAudioDemuxers =
    "mp3,ogg,wav,w64,asf,matroska,mov,flac,aac,aiff,au,caf,wv,ape,tta,mpc,mpc8,ac3,eac3,dts,amr,amrnb,amrwb,"
    "shn,voc,truehd,mlp,tak,dsf,xwma,loas";

// No open or read of the container may keep a thread longer than this; a stream that does
// (a device file, a stalled file system) reads as failed or ended.
constexpr auto kIoLimit = std::chrono::milliseconds(1500);

// The first rate and the last one a track may have; outside, a header is taken as broken.
constexpr int kMinInputRate = 1000;
constexpr int kMaxInputRate = 768000;

bool isRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

}  // namespace

struct AudioDecoder::Impl {
    AVFormatContext* container = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int streamIndex = -1;
    PcmOutputQueue queue;

    std::string path;
    bool opened = false;  // from a successful open to close, even if a reopen failed since
    AudioFormat output;
    int inputRate = kOutputRate;
    std::int64_t durationFrames = 0;
    std::int64_t originPts = AV_NOPTS_VALUE;  // stream time of the first sample delivered

    bool inputEnded = false;    // the demuxer has no more packets; the decoder was flushed
    bool decoderEnded = false;  // the decoder has given its last frame
    bool streamEnded = false;   // the resampler has been drained too

    // Seek bookkeeping, in input samples counted from the first sample delivered.
    bool inputPositionKnown = true;
    std::int64_t inputPosition = 0;   // input sample at which the next decoded frame starts
    std::int64_t discardBefore = 0;   // input samples before this are dropped
    int positionGrain = 1;            // decoded frames start on multiples of this many samples
    int grainOffset = 0;              // ... less this many (the encoder delay cut from the first)
    std::int64_t outputPosition = 0;  // output frame that the next block starts with
    std::int64_t packetsRead = 0;     // container packets read since the last open or seek
    bool endAtDuration = false;       // the container's length is exact and the codec pads past it

    // The container's interrupt callback ends any operation that runs past this.
    std::chrono::steady_clock::time_point ioDeadline;
    void armIoLimit() { ioDeadline = std::chrono::steady_clock::now() + kIoLimit; }
    static int ioExpired(void* self) {
        return std::chrono::steady_clock::now() > static_cast<Impl*>(self)->ioDeadline ? 1 : 0;
    }

    ~Impl() { release(); }

    // Frees the FFmpeg objects; the format, duration and origin stay for a reopen.
    void releaseStreams() {
        avcodec_free_context(&codec);
        avformat_close_input(&container);
        av_packet_free(&packet);
        av_frame_free(&frame);
        streamIndex = -1;
    }

    void release() {
        releaseStreams();
        queue.reset();
        durationFrames = 0;
        originPts = AV_NOPTS_VALUE;
        outputPosition = 0;
        opened = false;
    }

    AVStream* stream() const { return container->streams[streamIndex]; }

    std::int32_t openStreams();
    std::int32_t openContainer(const std::string& filePath);
    std::int32_t openCodec();
    void chooseOutputFormat();
    void measureDuration();
    bool decodeFrame();
    void appendFrame(const AVFrame* source);
    bool refill();
    bool placeAfterSeek(std::int64_t pts);
    void noteClockGrain(int firstFrameSamples);
    void resetStreamState(std::int64_t firstInputSample, bool positionKnown);
    bool reopenAtStart();
    bool seekContainer(std::int64_t firstInputSample);
    std::int64_t ptsToInputSamples(std::int64_t pts) const;
    std::int64_t inputSamplesToPts(std::int64_t samples) const;
};

std::int32_t AudioDecoder::Impl::openContainer(const std::string& filePath) {
    // The "file:" prefix keeps a name such as "http:x.mp3" a local file, and the protocol
    // list keeps a playlist-like container from reaching out to other files or the network.
    container = avformat_alloc_context();
    if (!container) return kStatusFail;
    container->interrupt_callback = AVIOInterruptCB{&Impl::ioExpired, this};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", kAudioDemuxers, 0);
    const std::string url = "file:" + filePath;
    armIoLimit();
    int result = avformat_open_input(&container, url.c_str(), nullptr, &options);  // frees it on failure
    av_dict_free(&options);
    if (result < 0) return kStatusFail;
    armIoLimit();
    if (avformat_find_stream_info(container, nullptr) < 0) return kStatusFail;
    streamIndex = av_find_best_stream(container, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (streamIndex < 0) return kStatusNotAudio;
    for (unsigned i = 0; i < container->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex) container->streams[i]->discard = AVDISCARD_ALL;
    }
    return kStatusOk;
}

std::int32_t AudioDecoder::Impl::openCodec() {
    const AVCodecParameters* parameters = stream()->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder) return kStatusNotAudio;
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, parameters) < 0) return kStatusFail;
    codec->pkt_timebase = stream()->time_base;
    if (avcodec_open2(codec, decoder, nullptr) < 0) return kStatusNotAudio;
    if (codec->ch_layout.nb_channels <= 0) return kStatusNotAudio;
    // A rate far outside what audio uses is a broken header; at 1 Hz the resampler would
    // blow every decoded block up 44100-fold.
    if (codec->sample_rate < kMinInputRate || codec->sample_rate > kMaxInputRate) return kStatusNotAudio;
    if (!packet) packet = av_packet_alloc();
    if (!frame) frame = av_frame_alloc();
    return (packet && frame) ? kStatusOk : kStatusFail;
}

void AudioDecoder::Impl::chooseOutputFormat() {
    const bool eightBit = codec->sample_fmt == AV_SAMPLE_FMT_U8;
    output.bitsPerSample = eightBit ? 8 : 16;
    output.channels = codec->ch_layout.nb_channels == 1 ? 1 : 2;
    output.sampleRate = kOutputRate;
    inputRate = codec->sample_rate;
    queue.setOutput(output.bitsPerSample, output.channels);
}

// The stream's own length where it has one, less the encoder delay that some containers
// count in it (the pre-skip of Ogg Opus); for an MP3, the length its info frame gives. An MP4 length comes from its
// edit list and is exact, while the AAC decoder would deliver the encoder's padding after it: those files end at their
// length.
void AudioDecoder::Impl::measureDuration() {
    const AVStream* s = stream();
    double seconds = 0.0;
    if (s->duration != AV_NOPTS_VALUE && s->duration > 0) {
        seconds = s->duration * av_q2d(s->time_base);
    } else if (container->duration != AV_NOPTS_VALUE && container->duration > 0) {
        seconds = container->duration / static_cast<double>(AV_TIME_BASE);
    }
    if (s->codecpar->initial_padding > 0 && codec->sample_rate > 0) {
        seconds -= static_cast<double>(s->codecpar->initial_padding) / codec->sample_rate;
    }
    durationFrames = std::max<std::int64_t>(static_cast<std::int64_t>(seconds * kOutputRate + 0.5), 0);
    if (std::strcmp(container->iformat->name, "mp3") == 0) {
        if (const auto info = readMp3GaplessInfo(path)) {
            durationFrames = av_rescale(info->musicSamples(), kOutputRate, info->sampleRate);
        }
    }
    endAtDuration = durationFrames > 0 && std::strstr(container->iformat->name, "mp4") != nullptr;
}

std::int64_t AudioDecoder::Impl::ptsToInputSamples(std::int64_t pts) const {
    return av_rescale_q(pts, stream()->time_base, AVRational{1, inputRate});
}

std::int64_t AudioDecoder::Impl::inputSamplesToPts(std::int64_t samples) const {
    return av_rescale_q(samples, AVRational{1, inputRate}, stream()->time_base);
}

// Hands a decoded frame to the output stage, less what lies before the seek target.
void AudioDecoder::Impl::appendFrame(const AVFrame* source) {
    // A frame that changes to an unplayable rate midway is dropped, like a damaged one.
    if (source->sample_rate < kMinInputRate || source->sample_rate > kMaxInputRate) return;
    int skip = 0;
    if (inputPosition < discardBefore) {
        skip = static_cast<int>(std::min<std::int64_t>(discardBefore - inputPosition, source->nb_samples));
    }
    inputPosition += source->nb_samples;
    queue.append(source, skip);
}

// Decodes one frame into `frame`. False at the end of the stream (or on an error that
// ends it).
bool AudioDecoder::Impl::decodeFrame() {
    for (;;) {
        const int received = avcodec_receive_frame(codec, frame);
        if (received == 0) return true;
        if (received != AVERROR(EAGAIN)) return false;  // AVERROR_EOF or a decoder failure
        if (inputEnded) return false;
        armIoLimit();
        const int read = av_read_frame(container, packet);
        if (read < 0) {
            inputEnded = true;
            avcodec_send_packet(codec, nullptr);  // enter draining
            continue;
        }
        if (packet->stream_index == streamIndex) {
            ++packetsRead;
            // A damaged packet is skipped; the next one may decode.
            avcodec_send_packet(codec, packet);
        }
        av_packet_unref(packet);
    }
}

// Adds at least one decoded frame's worth of output to the queue. False once nothing more
// will come.
bool AudioDecoder::Impl::refill() {
    while (!streamEnded) {
        if (!decoderEnded && decodeFrame()) {
            const std::int64_t pts = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
            if (originPts == AV_NOPTS_VALUE) {
                originPts = pts;
                noteClockGrain(frame->nb_samples);
            }
            if (!inputPositionKnown && !placeAfterSeek(pts)) continue;
            const std::size_t before = queue.queuedBytes();
            appendFrame(frame);
            av_frame_unref(frame);
            if (queue.queuedBytes() > before) return true;
            continue;
        }
        decoderEnded = true;
        queue.drain();
        streamEnded = true;
    }
    return queue.queuedBytes() > 0;
}

// WMA frame length in samples, as its decoder derives it from the rate and version.
static int wmaFrameLength(int sampleRate, AVCodecID codecId) {
    const int version = codecId == AV_CODEC_ID_WMAV1 ? 1 : 2;
    if (sampleRate <= 16000) return 1 << 9;
    if (sampleRate <= 22050 || (sampleRate <= 32000 && version == 1)) return 1 << 10;
    return 1 << 11;
}

// Containers that stamp packets in milliseconds (ASF, Matroska) cannot place a frame to the
// sample. Where the codec's frames have one fixed length, the nearest multiple of it is the
// true position; an Opus frame lasts a multiple of 2.5 ms (120 samples at its 48 kHz), so
// every Opus frame starts on that grid, which a millisecond clock resolves. Otherwise
// (grain 0) a seek decodes from the start and counts. The first frame may have lost its
// head to the encoder delay, which shifts the grid.
void AudioDecoder::Impl::noteClockGrain(int firstFrameSamples) {
    const AVRational clock = stream()->time_base;
    const bool coarse = static_cast<std::int64_t>(clock.num) * inputRate > clock.den;
    if (!coarse) {
        positionGrain = 1;
    } else if (codec->frame_size > 0) {
        positionGrain = codec->frame_size;
    } else if (codec->codec_id == AV_CODEC_ID_WMAV1 || codec->codec_id == AV_CODEC_ID_WMAV2) {
        positionGrain = wmaFrameLength(codec->sample_rate, codec->codec_id);
    } else if (codec->codec_id == AV_CODEC_ID_OPUS && codec->sample_rate == 48000) {
        positionGrain = kOpusFrameGrain;
    } else {
        positionGrain = 0;
    }
    grainOffset = positionGrain > 1 ? (positionGrain - firstFrameSamples % positionGrain) % positionGrain : 0;
}

// The first frame after a seek tells where the container landed. A container that landed
// past the target (or gave no time) is answered by decoding from the start instead, which
// is slow but exact.
bool AudioDecoder::Impl::placeAfterSeek(std::int64_t pts) {
    inputPositionKnown = true;
    if (pts != AV_NOPTS_VALUE && originPts != AV_NOPTS_VALUE) {
        inputPosition = ptsToInputSamples(pts) - ptsToInputSamples(originPts);
        if (positionGrain > 1) {
            // A clock coarser than a sample: snap to the frame grid. The frame's end is on it
            // even when its head was cut (a fresh Opus decoder cuts the pre-skip from
            // whatever frame it decodes first).
            const std::int64_t end = inputPosition + frame->nb_samples;
            const std::int64_t onGrid = end + grainOffset + positionGrain / 2;
            inputPosition = onGrid / positionGrain * positionGrain - grainOffset - frame->nb_samples;
        }
        if (inputPosition <= discardBefore) return true;
    }
    av_frame_unref(frame);
    const std::int64_t target = discardBefore;
    const std::int64_t targetOutput = queue.framesToDiscard();
    if (reopenAtStart()) {
        discardBefore = target;
        queue.discardNext(targetOutput);
    }
    return false;
}

void AudioDecoder::Impl::resetStreamState(std::int64_t firstInputSample, bool positionKnown) {
    queue.reset();
    inputEnded = decoderEnded = streamEnded = false;
    inputPositionKnown = positionKnown;
    inputPosition = firstInputSample;
    discardBefore = 0;
}

std::int32_t AudioDecoder::Impl::openStreams() {
    std::int32_t status = openContainer(path);
    if (status == kStatusOk) status = openCodec();
    return status;
}

// Back to the first sample with a fresh demuxer and decoder. Seeking a container to its
// start does not bring back what only the first read applies (the encoder delay skip of
// some formats), and a flushed decoder is not always in the state of a new one.
bool AudioDecoder::Impl::reopenAtStart() {
    releaseStreams();
    resetStreamState(0, true);
    if (openStreams() == kStatusOk) return true;
    releaseStreams();
    inputEnded = decoderEnded = streamEnded = true;
    return false;
}

// Moves the open demuxer to a point at or before `firstInputSample` and starts a fresh
// decoder there, so that what the decoder read before never shapes what follows. The demuxer
// is kept: its index, once read (a long MP4's sample table, Matroska's cues), serves every
// later seek. Ogg, whose demuxer carries page state across a seek that changes where it
// lands (and which reopens cheaply), and a file gone since it opened are reopened first.
// False when the container cannot seek; the caller then reopens at the start.
bool AudioDecoder::Impl::seekContainer(std::int64_t firstInputSample) {
    const bool keep = container && std::strcmp(container->iformat->name, "ogg") != 0 && isRegularFile(path);
    if (keep) {
        avcodec_free_context(&codec);
        av_packet_unref(packet);
        av_frame_unref(frame);
        if (openCodec() != kStatusOk) return false;
    } else if (!reopenAtStart()) {
        return false;
    }
    const std::int64_t pts = originPts + inputSamplesToPts(firstInputSample);
    armIoLimit();
    if (avformat_seek_file(container, streamIndex, INT64_MIN, pts, pts, 0) < 0) return false;
    resetStreamState(0, false);
    return true;
}

AudioDecoder::AudioDecoder() : impl_(std::make_unique<Impl>()) { quietLibraries(); }

AudioDecoder::~AudioDecoder() = default;

std::int32_t AudioDecoder::open(const std::string& path) {
    close();
    if (path.empty() || !isRegularFile(path)) return kStatusUnexpected;
    Impl& d = *impl_;
    d.path = path;
    const std::int32_t status = d.openStreams();
    if (status != kStatusOk) {
        d.release();
        return status;
    }
    d.chooseOutputFormat();
    d.measureDuration();
    d.resetStreamState(0, true);
    // The first frame tells where the music starts on the stream's clock; seeks count from it.
    if (!d.refill()) {
        d.release();
        return kStatusNotAudio;
    }
    d.opened = true;
    d.outputPosition = 0;
    d.packetsRead = 0;
    if (d.originPts == AV_NOPTS_VALUE) {
        const AVStream* s = d.stream();
        d.originPts = s->start_time != AV_NOPTS_VALUE ? s->start_time : 0;
    }
    return kStatusOk;
}

void AudioDecoder::close() { impl_->release(); }

bool AudioDecoder::isOpen() const { return impl_->opened; }

AudioFormat AudioDecoder::format() const { return isOpen() ? impl_->output : AudioFormat{}; }

std::int32_t AudioDecoder::readBlock(std::uint8_t* destination, int byteCount, int& bytesDelivered) {
    bytesDelivered = 0;
    if (!isOpen()) return kStatusUnexpected;
    Impl& d = *impl_;
    const int frameBytes = d.output.frameBytes();
    const std::size_t requested = static_cast<std::size_t>(std::max(byteCount, 0) / frameBytes) * frameBytes;
    std::size_t wanted = requested;
    if (d.endAtDuration) {
        const std::int64_t left = std::max<std::int64_t>(d.durationFrames - d.outputPosition, 0);
        wanted =
            static_cast<std::size_t>(std::min<std::int64_t>(left * frameBytes, static_cast<std::int64_t>(requested)));
    }
    std::size_t delivered = 0;
    while (delivered < wanted) {
        if (d.queue.queuedBytes() == 0 && !d.refill()) break;
        delivered += d.queue.take(destination + delivered, wanted - delivered);
    }
    bytesDelivered = static_cast<int>(delivered);
    d.outputPosition += static_cast<std::int64_t>(delivered / frameBytes);
    return delivered < requested ? kStatusEndOfStream : kStatusOk;
}

std::int64_t AudioDecoder::durationFrames() const { return isOpen() ? impl_->durationFrames : 0; }

double AudioDecoder::durationSeconds() const { return static_cast<double>(durationFrames()) / kOutputRate; }

// Seeking lands the container somewhat before the target and drops what precedes it. For a
// file at another rate the drop is split: input samples before a point where the two rates
// are in phase (so the resampler starts as it did at the start of the file), then output
// frames while the resampler settles, up to the target.
std::int32_t AudioDecoder::seekToFrame(std::int64_t frame) {
    if (!isOpen()) return kStatusUnexpected;
    Impl& d = *impl_;
    frame = std::max<std::int64_t>(frame, 0);
    if (d.durationFrames > 0) frame = std::min(frame, d.durationFrames);
    const std::int64_t phaseStep =
        d.inputRate / std::gcd(d.inputRate, kOutputRate);  // input samples per in-phase point
    const std::int64_t settle = d.inputRate == kOutputRate ? 0 : (512 + phaseStep - 1) / phaseStep * phaseStep;
    const std::int64_t inputKeep = std::max<std::int64_t>(
        av_rescale_rnd(frame, d.inputRate, kOutputRate, AV_ROUND_DOWN) / phaseStep * phaseStep - settle, 0);
    // The state after a seek never depends on what was read before it: a fresh decoder
    // behind a seeked demuxer, or near the start a fresh demuxer too.
    if (!d.container && !d.reopenAtStart()) return kStatusOk;  // the file is gone: reads as ended
    const std::int64_t preroll =
        std::max<std::int64_t>(static_cast<std::int64_t>(kSeekPrerollSeconds * d.inputRate),
                               av_rescale(d.stream()->codecpar->seek_preroll, d.inputRate, d.codec->sample_rate));
    const std::int64_t start = inputKeep - preroll;
    const bool seeked = start > 0 && d.positionGrain > 0 && d.seekContainer(start);
    if (!seeked && !d.reopenAtStart()) return kStatusOk;
    d.packetsRead = 0;
    d.discardBefore = inputKeep;
    d.queue.discardNext(frame - av_rescale(inputKeep, kOutputRate, d.inputRate));
    d.outputPosition = frame;
    return kStatusOk;
}

std::int64_t AudioDecoder::packetsReadSinceSeek() const { return impl_->packetsRead; }

std::int32_t AudioDecoder::seekToSeconds(double seconds) {
    return seekToFrame(static_cast<std::int64_t>(std::floor(std::max(seconds, 0.0) * kOutputRate + 1e-6)));
}

std::string AudioDecoder::title() const {
    if (!isOpen() || !impl_->container) return {};
    const AVDictionaryEntry* entry = av_dict_get(impl_->container->metadata, "title", nullptr, 0);
    if (!entry || !entry->value || !*entry->value) {
        entry = av_dict_get(impl_->stream()->metadata, "title", nullptr, 0);  // Ogg keeps its comments here
    }
    return entry && entry->value ? std::string(entry->value) : std::string();
}

}  // namespace quillmix
