// The FFmpeg decoder layer: formats, lengths, titles, sample-accurate seeking through the
// containers' indexes, bad input and files that are not what their names say.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <future>
#include <random>

#include "platform/audio_decoder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

constexpr int kFixtureFrames = 3 * 44100;  // 3 s

std::vector<std::uint8_t> decodeAll(AudioDecoder& decoder, int blockBytes) {
    std::vector<std::uint8_t> all;
    std::vector<std::uint8_t> block(blockBytes);
    for (int guard = 0; guard < 100000; ++guard) {
        int got = 0;
        const std::int32_t status = decoder.readBlock(block.data(), blockBytes, got);
        all.insert(all.end(), block.begin(), block.begin() + got);
        if (status != kStatusOk) break;
    }
    return all;
}

int maxDifference(const std::uint8_t* a, const std::uint8_t* b, int samples) {
    int worst = 0;
    for (int k = 0; k < samples; ++k) {
        std::int16_t x, y;
        std::memcpy(&x, a + 2 * k, 2);
        std::memcpy(&y, b + 2 * k, 2);
        worst = std::max(worst, std::abs(x - y));
    }
    return worst;
}

// A canonical 16-bit stereo WAV whose header claims `rate`, over `frames` frames of a tone.
void writeWavClaimingRate(const std::filesystem::path& file, std::uint32_t rate, int frames) {
    sourcesWriteWav16(file, sourcesSignal(frames, 2, 5), 2, 44100);
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::uint32_t byteRate = rate * 4;
    f.seekp(24);
    f.write(reinterpret_cast<const char*>(&rate), 4);
    f.write(reinterpret_cast<const char*>(&byteRate), 4);
}

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One stereo 44.1 kHz fixture per format, each with a title tag, shared by the suite.
class DecoderFormatTest : public ::testing::TestWithParam<std::string> {
public:
    static void SetUpTestSuite() {
        dir = new TempDir;
        const auto wav = dir->file("source.wav");
        sourcesWriteWav16(wav, sourcesSignal(kFixtureFrames, 2, 7), 2, 44100);
        for (const std::string format : {"mp3", "ogg", "opus", "mka", "flac", "wav", "wma", "m4a"}) {
            const auto file = dir->file("tagged." + format);
            ASSERT_TRUE(
                sourcesEncode(wav, file, sourcesEncoderArguments(format) + " -metadata title='Title " + format + "'"));
        }
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static std::filesystem::path fixture(const std::string& format) { return dir->file("tagged." + format); }
    static TempDir* dir;
};
TempDir* DecoderFormatTest::dir = nullptr;

}  // namespace

TEST_P(DecoderFormatTest, OpensWithLengthTitleAndTheReferenceSamples) {
    const std::string format = GetParam();
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(fixture(format).string()), kStatusOk);
    EXPECT_EQ(decoder.format().bitsPerSample, 16);
    EXPECT_EQ(decoder.format().channels, 2);
    EXPECT_EQ(decoder.format().sampleRate, 44100);
    // The WMA encoder drops the last part of a frame; Matroska states the length in
    // milliseconds.
    const double lengthTolerance = format == "wma" ? 0.03 : format == "mka" ? 0.002 : 0.0;
    EXPECT_NEAR(decoder.durationSeconds(), 3.0, lengthTolerance) << format;
    EXPECT_EQ(decoder.title(), "Title " + format);

    // Same samples as the ffmpeg tool, encoder delay removed alike; the AAC padding, which
    // the tool keeps, ends here at the track's length.
    const auto decoded = decodeAll(decoder, 11760);
    const auto reference = sourcesReferenceDecode(fixture(format), 2);
    ASSERT_GE(reference.size(), decoded.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), reference.begin())) << format;
    if (format != "m4a") {
        EXPECT_EQ(decoded.size(), reference.size()) << format;
    }
    EXPECT_NEAR(decoded.size() / 4.0 / 44100.0, 3.0, format == "wma" ? 0.03 : 0.0) << format;
}

TEST_P(DecoderFormatTest, SeekThenReadEqualsStraightRead) {
    const std::string format = GetParam();
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(fixture(format).string()), kStatusOk);
    const auto straight = decodeAll(decoder, 7 * 4 * 1001);  // an odd block size on purpose
    const std::int64_t frames = static_cast<std::int64_t>(straight.size() / 4);
    for (std::int64_t target : {std::int64_t{0}, std::int64_t{1}, std::int64_t{2940 * 3 + 17}, std::int64_t{44100},
                                frames / 2 + 5, frames - 3000, frames}) {
        ASSERT_EQ(decoder.seekToFrame(target), kStatusOk);
        std::vector<std::uint8_t> block(2940 * 4);
        int got = 0;
        decoder.readBlock(block.data(), static_cast<int>(block.size()), got);
        const std::size_t expected = std::min<std::size_t>(block.size(), straight.size() - target * 4);
        ASSERT_EQ(static_cast<std::size_t>(got), expected) << format << " at " << target;
        // The Opus decoder keeps state across frames that a seek cannot rebuild exactly (its
        // own conformance is by signal-to-noise ratio): a few LSB are allowed there, far
        // less than a shift by one frame would give.
        const int tolerance = format == "opus" || format == "mka" ? 8 : 0;
        EXPECT_LE(maxDifference(block.data(), straight.data() + target * 4, got / 2), tolerance)
            << format << " differs after a seek to frame " << target;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DecoderFormatTest,
                         ::testing::Values("mp3", "ogg", "opus", "mka", "flac", "wav", "wma", "m4a"));

TEST(DecoderTest, PcmVariantsKeepWidthAndChannelsAndBecome44100) {
    TempDir dir;
    const auto mono = dir.file("mono.wav");
    const auto stereo = dir.file("stereo.wav");
    sourcesWriteWav16(mono, sourcesSignal(44100, 1, 3), 1, 44100);
    sourcesWriteWav16(stereo, sourcesSignal(44100, 2, 4), 2, 44100);
    struct Variant {
        std::filesystem::path source;
        std::string arguments;
        int bits;
        int channels;
    };
    const std::vector<Variant> variants = {
        {mono, "-c:a pcm_u8", 8, 1},
        {stereo, "-c:a pcm_u8", 8, 2},
        {mono, "-c:a pcm_s16le", 16, 1},
        {stereo, "-c:a pcm_s24le", 16, 2},
        {stereo, "-c:a pcm_f32le", 16, 2},
        {mono, "-c:a pcm_s16le -ar 48000", 16, 1},
        {stereo, "-c:a pcm_s24le -ar 48000", 16, 2},
        {stereo, "-c:a pcm_s16le -ac 6", 16, 2},
    };
    int index = 0;
    for (const Variant& v : variants) {
        const auto file = dir.file("variant" + std::to_string(index++) + ".wav");
        ASSERT_TRUE(sourcesEncode(v.source, file, v.arguments));
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(file.string()), kStatusOk) << v.arguments;
        EXPECT_EQ(decoder.format().bitsPerSample, v.bits) << v.arguments;
        EXPECT_EQ(decoder.format().channels, v.channels) << v.arguments;
        EXPECT_EQ(decoder.format().sampleRate, 44100) << v.arguments;
        EXPECT_NEAR(decoder.durationSeconds(), 1.0, 0.001) << v.arguments;
        const auto decoded = decodeAll(decoder, 5880);
        const auto reference = sourcesReferenceDecode(file, v.channels, v.bits == 8 ? "u8" : "s16le");
        EXPECT_NEAR(static_cast<double>(decoded.size()), static_cast<double>(reference.size()), 64.0) << v.arguments;
        if (v.arguments.find("48000") == std::string::npos) {
            EXPECT_TRUE(decoded == reference) << v.arguments;
        }
    }
}

// The length read from an MP3's info frame is the length the decoder delivers, for MPEG-1
// and MPEG-2 streams, mono and stereo, behind an ID3v2 tag or not.
TEST(DecoderTest, Mp3LengthIsExactlyWhatDecodes) {
    TempDir dir;
    const auto wav = dir.file("s.wav");
    sourcesWriteWav16(wav, sourcesSignal(44100 + 123, 2, 12), 2, 44100);
    int index = 0;
    for (const std::string arguments : {"-ar 22050 -ac 1", "-ar 48000", "-ac 1 -id3v2_version 0", "-b:a 320k"}) {
        const auto mp3 = dir.file("v" + std::to_string(index++) + ".mp3");
        ASSERT_TRUE(sourcesEncode(wav, mp3, "-c:a libmp3lame " + arguments));
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(mp3.string()), kStatusOk) << arguments;
        const std::int64_t length = decoder.durationFrames();
        const auto decoded = decodeAll(decoder, 11760);
        EXPECT_NEAR(static_cast<double>(length), static_cast<double>(decoded.size() / decoder.format().frameBytes()),
                    arguments.find("-ar") == std::string::npos ? 0.0 : 2.0)
            << arguments;
    }
}

TEST(DecoderTest, TitleFromId3v1AloneAndEmptyWithoutTags) {
    TempDir dir;
    const auto wav = dir.file("s.wav");
    sourcesWriteWav16(wav, sourcesSignal(22050, 2, 5), 2, 44100);
    const auto bare = dir.file("bare.mp3");
    ASSERT_TRUE(sourcesEncode(wav, bare, "-c:a libmp3lame -map_metadata -1 -id3v2_version 0"));
    const auto v1 = dir.file("v1.mp3");
    std::filesystem::copy_file(bare, v1);
    {  // The 128-byte ID3v1 trailer: "TAG", then a 30-byte title, the rest zero.
        std::ofstream out(v1, std::ios::binary | std::ios::app);
        std::string tag = "TAGOld";
        tag.resize(128, '\0');
        out.write(tag.data(), 128);
    }
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(v1.string()), kStatusOk);
    EXPECT_EQ(decoder.title(), "Old");
    ASSERT_EQ(decoder.open(bare.string()), kStatusOk);
    EXPECT_EQ(decoder.title(), "");
    decoder.close();
    EXPECT_EQ(decoder.title(), "");
    int got = -1;
    std::uint8_t block[16];
    EXPECT_EQ(decoder.readBlock(block, 16, got), kStatusUnexpected);
    EXPECT_EQ(got, 0);
}

// Bad input never crashes, hangs or leaks: open fails with a status, or a damaged file
// plays what decodes and ends.
TEST(DecoderTest, BadInputFailsOrEndsCleanly) {
    TempDir dir;
    const auto wav = dir.file("good.wav");
    sourcesWriteWav16(wav, sourcesSignal(44100, 2, 9), 2, 44100);
    const auto mp3 = dir.file("good.mp3");
    const auto flac = dir.file("good.flac");
    ASSERT_TRUE(sourcesEncode(wav, mp3, "-c:a libmp3lame"));
    ASSERT_TRUE(sourcesEncode(wav, flac, "-c:a flac"));
    auto truncatedCopy = [&](const std::filesystem::path& from, const std::string& name) {
        const auto to = dir.file(name);
        std::filesystem::copy_file(from, to);
        std::filesystem::resize_file(to, std::filesystem::file_size(from) / 2);
        return to;
    };
    std::ofstream(dir.file("empty.mp3")).close();
    {
        std::mt19937 random(11);
        std::ofstream noise(dir.file("noise.mp3"), std::ios::binary);
        for (int i = 0; i < 200000; ++i) noise.put(static_cast<char>(random()));
    }
    {  // A WAV header that claims 2 GB of data over a few bytes.
        std::ofstream lie(dir.file("huge.wav"), std::ios::binary);
        const unsigned char header[] = {'R', 'I', 'F',  'F',  0xF0, 0xFF, 0xFF, 0x7F, 'W',  'A',  'V',
                                        'E', 'f', 'm',  't',  ' ',  16,   0,    0,    0,    1,    0,
                                        2,   0,   0x44, 0xAC, 0,    0,    0x10, 0xB1, 2,    0,    4,
                                        0,   16,  0,    'd',  'a',  't',  'a',  0xCC, 0xFF, 0xFF, 0x7F};
        lie.write(reinterpret_cast<const char*>(header), sizeof header);
        for (int i = 0; i < 4000; ++i) lie.put(static_cast<char>(i));
    }
    const std::vector<std::filesystem::path> mustFail = {"", dir.file("missing.mp3"), dir.path(), dir.file("empty.mp3"),
                                                         dir.file("noise.mp3")};
    for (const auto& path : mustFail) {
        AudioDecoder decoder;
        EXPECT_NE(decoder.open(path.string()), kStatusOk) << path;
        EXPECT_FALSE(decoder.isOpen()) << path;
    }
    EXPECT_EQ(AudioDecoder().open(""), kStatusUnexpected);
    EXPECT_EQ(AudioDecoder().open(dir.file("missing.mp3").string()), kStatusUnexpected);

    const std::vector<std::filesystem::path> mayPlay = {truncatedCopy(mp3, "cut.mp3"), truncatedCopy(flac, "cut.flac"),
                                                        truncatedCopy(wav, "cut.wav"), dir.file("huge.wav")};
    for (const auto& path : mayPlay) {
        AudioDecoder decoder;
        if (decoder.open(path.string()) != kStatusOk) continue;
        const auto decoded = decodeAll(decoder, 11760);
        EXPECT_LT(decoded.size(), 44100u * 4u) << path;  // ended, and with no more than the file held
        decoder.seekToFrame(decoder.durationFrames() / 2);
        decodeAll(decoder, 11760);
    }

    // Unusual but valid names open.
    for (const std::string& name : {std::string("with spaces and 'quote'.wav"), std::string("bytes\xff\xfe.wav"),
                                    std::string("http:not-a-url.wav")}) {
        std::filesystem::copy_file(wav, dir.file(name));
        AudioDecoder decoder;
        EXPECT_EQ(decoder.open(dir.file(name).string()), kStatusOk) << name;
    }
    if (geteuid() != 0) {  // root reads anything
        const auto locked = dir.file("locked.wav");
        std::filesystem::copy_file(wav, locked);
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_NE(AudioDecoder().open(locked.string()), kStatusOk);
    }
}

TEST(DecoderTest, FileCutShortWhileReadingEndsTheStream) {
    TempDir dir;
    const auto wav = dir.file("long.wav");
    sourcesWriteWav16(wav, sourcesSignal(10 * 44100, 2, 2), 2, 44100);
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(wav.string()), kStatusOk);
    std::vector<std::uint8_t> block(11760);
    int got = 0;
    ASSERT_EQ(decoder.readBlock(block.data(), 11760, got), kStatusOk);
    std::filesystem::resize_file(wav, 44100 * 4);
    const auto rest = decodeAll(decoder, 11760);
    EXPECT_LT(rest.size(), 2u * 44100u * 4u);
    std::filesystem::remove(wav);
    EXPECT_EQ(decoder.readBlock(block.data(), 11760, got), kStatusEndOfStream);
    EXPECT_EQ(decoder.seekToSeconds(0.5), kStatusOk);  // the file is gone: still ended, no crash
    EXPECT_EQ(decoder.readBlock(block.data(), 11760, got), kStatusEndOfStream);
    EXPECT_EQ(got, 0);
    EXPECT_TRUE(decoder.isOpen());
}

// Float samples that are not numbers, or infinite, must not reach the output as full-scale
// clicks: NaN becomes silence and infinities the end of the scale.
TEST(AudioDecoderTest, FloatNansAndInfinitiesAreTamed) {
    TempDir dir;
    const std::vector<float> samples = {NAN, NAN, INFINITY, -INFINITY, 0.5f, -0.5f, NAN, 0.25f};
    std::vector<float> body;
    for (int i = 0; i < 4410; ++i) body.insert(body.end(), samples.begin(), samples.end());
    {  // A 16-bit WAV of the same byte count, made a float one: format 3, stereo, 8-byte frames.
        sourcesWriteWav16(dir.file("f.wav"), std::vector<std::int16_t>(2 * body.size()), 2, 44100);
        const std::uint16_t format[8] = {3, 2, 44100, 0, 44100 * 8 % 65536, 44100 * 8 / 65536, 8, 32};
        std::fstream out(dir.file("f.wav"), std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(20).write(reinterpret_cast<const char*>(format), sizeof format);
        out.seekp(44).write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(4 * body.size()));
    }
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(dir.file("f.wav").string()), kStatusOk);
    const auto pcm = decodeAll(decoder, 11760);
    ASSERT_GE(pcm.size(), 8u * 2 * 100);
    std::int16_t s[8];
    std::memcpy(s, pcm.data() + 16 * 50, sizeof s);  // frames 200..203, past any start-up
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], 32767);
    EXPECT_EQ(s[3], -32768);
    EXPECT_NEAR(s[4], 16384, 1);
    EXPECT_EQ(s[6], 0);
}

// Seeking in a long Opus track goes through the container's index instead of decoding
// everything before the target: in Ogg, and in Matroska, whose clock counts milliseconds.
TEST(DecoderSeekIndexTest, LongOpusSeeksThroughTheIndex) {
    TempDir dir;
    for (const char* name : {"long.mka", "long.opus"}) {
        const auto file = dir.file(name);
        const std::string command =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=240 "
            "-ac 1 -c:a libopus -b:a 16k " +
            sourcesQuote(file);
        ASSERT_EQ(std::system(command.c_str()), 0);
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(file.string()), kStatusOk);
        // 240 s of 20 ms packets: 12000 in all, 10800 before the target.
        for (int repeat = 0; repeat < 2; ++repeat) {  // the second seek starts from a used demuxer
            ASSERT_EQ(decoder.seekToSeconds(216.0 - repeat * 100), kStatusOk);
            std::vector<std::uint8_t> block(4410 * 2);
            int got = 0;
            EXPECT_EQ(decoder.readBlock(block.data(), static_cast<int>(block.size()), got), kStatusOk);
            EXPECT_GT(decoder.packetsReadSinceSeek(), 0);
            EXPECT_LT(decoder.packetsReadSinceSeek(), 1000) << name << ": the seek decoded from the start";
        }
    }
}

// A play list dressed as an MP3 that leads to a FIFO, and WAV headers with absurd rates:
// opening fails promptly, with bounded memory.
TEST(HostileStreamTest, PlayListNamedMp3WhoseSegmentIsAFifoFailsPromptly) {
    TempDir dir;
    const auto fifo = dir.file("segment.ts");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(dir.file("list.mp3")) << "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n"
                                           "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:10.0,\nsegment.ts\n#EXT-X-ENDLIST\n";
    std::ofstream(dir.file("list.m4a")) << "ffconcat version 1.0\nfile segment.ts\n";
    for (const char* name : {"list.mp3", "list.m4a"}) {
        const std::string path = dir.file(name).string();
        auto opened = std::async(std::launch::async, [path] { return AudioDecoder().open(path); });
        const bool prompt = opened.wait_for(3s) == std::future_status::ready;
        if (!prompt) {  // a writer end lets a reader stuck on the FIFO go, so the test can end
            const int writer = ::open(fifo.c_str(), O_WRONLY);
            if (writer >= 0) ::close(writer);
        }
        EXPECT_TRUE(prompt) << name << " blocked on the FIFO behind it";
        EXPECT_NE(opened.get(), kStatusOk) << name;
    }
}

TEST(HostileStreamTest, WavRatesOutsideTheplayableRangeDoNotLoadAndMemoryStaysBounded) {
    TempDir dir;
    const long before = peakResidentKb();
    for (std::uint32_t rate : {1u, 999u, 768001u, 4000000000u}) {
        const auto file = dir.file("rate" + std::to_string(rate) + ".wav");
        writeWavClaimingRate(file, rate, 1000);
        AudioDecoder decoder;
        EXPECT_NE(decoder.open(file.string()), kStatusOk) << rate;
        EXPECT_FALSE(decoder.isOpen()) << rate;
        std::vector<std::uint8_t> block(11760);
        int got = 0;
        for (int i = 0; i < 10 && decoder.readBlock(block.data(), 11760, got) == kStatusOk; ++i) {}
    }
    // The range's ends still play, at 44100 Hz: a second of 1000 Hz is 44100 frames.
    for (std::uint32_t rate : {1000u, 768000u}) {
        const auto file = dir.file("edge" + std::to_string(rate) + ".wav");
        writeWavClaimingRate(file, rate, static_cast<int>(rate));
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(file.string()), kStatusOk) << rate;
        EXPECT_NEAR(decoder.durationSeconds(), 1.0, 0.01) << rate;
    }
    EXPECT_LT(peakResidentKb() - before, 64 * 1024) << "kB more at peak";
}
