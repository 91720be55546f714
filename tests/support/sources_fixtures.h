#pragma once
// Sound-file fixtures for the decoder and track-source tests, made at test time: WAV files
// written by the recorder's writer, every other format encoded from them with the ffmpeg
// command-line tool.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillmix::test {

// Interleaved 16-bit frames of a deterministic signal: two tones, a slow sweep and seeded
// noise, so that any lost, repeated or shifted frame shows in a comparison.
std::vector<std::int16_t> sourcesSignal(int frames, int channels, unsigned seed);

// A silent signal is cheaper to encode when only the length matters.
std::vector<std::int16_t> sourcesSilence(int frames, int channels);

// Writes a canonical 16-bit PCM WAV file, as the recorder does.
void sourcesWriteWav16(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels,
                       int sampleRate);
// The same at 44100 Hz, returning the file's path.
std::string sourcesWav(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels = 2);

// Runs `ffmpeg -y -i input <arguments> output` quietly; true when it succeeded.
bool sourcesEncode(const std::filesystem::path& input, const std::filesystem::path& output,
                   const std::string& arguments);

// Decodes `file` with the ffmpeg tool to raw 44100 Hz PCM with `channels` channels, as
// 16-bit signed ("s16le") or 8-bit unsigned ("u8") bytes.
std::vector<std::uint8_t> sourcesReferenceDecode(const std::filesystem::path& file, int channels,
                                                 const std::string& sampleFormat = "s16le");

// Encoder arguments by fixture name: mp3, ogg, opus, flac, wav, wma, m4a.
std::string sourcesEncoderArguments(const std::string& format);

// A shell-quoted path.
std::string sourcesQuote(const std::filesystem::path& path);

}  // namespace quillmix::test
