#pragma once
// The sound-file decoder: one file, decoded to interleaved PCM at 44100 Hz, delivered in
// blocks of whatever byte size the caller asks for.
//
// Output format: 8-bit unsigned when the file's own samples are 8-bit unsigned, otherwise
// 16-bit signed little-endian; 1 channel for a mono file, 2 for everything else (more
// channels are mixed down to stereo); always 44100 frames per second (other rates are
// resampled). Frame positions below are output frames at 44100 Hz.
//
// Encoder delay and padding are removed (the LAME/Xing tag of an MP3, the priming of AAC,
// the pre-skip of Opus), so the first frame delivered is the first frame of the music and
// consecutive tracks butt together.
//
// Threads: none of its own. One thread at a time may use a decoder; it may be a different
// thread each time (open on one, read on another), as long as the callers hand it over with
// a happens-before edge (an event, a sent message, a join).

#include <cstdint>
#include <memory>
#include <string>

namespace quillmix {

// 32-bit status codes in the platform's style.
inline constexpr std::int32_t kStatusOk = 0;
inline constexpr std::int32_t kStatusEndOfStream = 0x00040003;                             // block cut short by the end
inline constexpr std::int32_t kStatusUnexpected = static_cast<std::int32_t>(0x8000FFFFu);  // nothing valid to work on
inline constexpr std::int32_t kStatusFail = static_cast<std::int32_t>(0x80004005u);      // the decoder refused the file
inline constexpr std::int32_t kStatusNotAudio = static_cast<std::int32_t>(0x80040265u);  // no decodable audio stream

struct AudioFormat {
    int bitsPerSample = 16;  // 8 or 16
    int channels = 2;        // 1 or 2
    int sampleRate = 44100;  // always 44100
    int frameBytes() const { return channels * bitsPerSample / 8; }
};

class AudioDecoder {
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens a regular file by path (bytes passed through unchanged, so any encoding works).
    // Returns kStatusOk, kStatusUnexpected for an empty path or a path that is not a
    // regular file, kStatusNotAudio when no audio stream decodes, kStatusFail otherwise.
    // Closes whatever was open first; a failed open leaves the decoder closed.
    std::int32_t open(const std::string& path);
    void close();
    bool isOpen() const;

    AudioFormat format() const;

    // Copies up to byteCount bytes of the next output frames into destination (byteCount is
    // rounded down to whole frames). Returns kStatusOk when the block is full, and
    // kStatusEndOfStream when the stream ended before it was (bytesDelivered may then be
    // anything from 0 up). A block that ends exactly at the end of the stream is a full one;
    // the next call delivers 0 bytes with kStatusEndOfStream. kStatusUnexpected when closed.
    // A read error or a truncated file counts as the end of the stream.
    std::int32_t readBlock(std::uint8_t* destination, int byteCount, int& bytesDelivered);

    // Length of the stream in output frames, 0 when unknown or closed.
    std::int64_t durationFrames() const;
    double durationSeconds() const;

    // Positions the stream so that the next block starts at output frame `frame` (clamped
    // to 0 .. durationFrames), the same samples a read straight through would give there.
    // Returns kStatusOk, or kStatusUnexpected when closed. On a failure the stream reads as
    // ended.
    std::int32_t seekToFrame(std::int64_t frame);
    std::int32_t seekToSeconds(double seconds);  // to the frame at or just before `seconds`

    // Packets of the audio stream read from the container since the last open or seek: the
    // work a seek cost. A seek through the container's index reads a few hundred at most;
    // one that decodes from the start reads every packet up to the target.
    std::int64_t packetsReadSinceSeek() const;

    // The title tag, whichever kind the file carries (ID3v2, ID3v1, Vorbis comment, ASF,
    // MP4); empty when there is none or when closed.
    std::string title() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quillmix
