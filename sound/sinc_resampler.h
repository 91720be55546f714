#pragma once
// Band-limited (windowed-sinc) resampling of interleaved stereo float frames at a rate
// ratio that may change from one block to the next.
//
// Positions and steps are 32.32 fixed point in source frames, so that a play cursor
// advances by exactly the same amount on every run, whatever the block size. The kernel is
// a Kaiser-windowed sinc reaching kZeroCrossings zero crossings each side of the centre.
// When the source runs faster than the output (step > 1) the cutoff drops to the output's
// Nyquist frequency (the kernel widens by the step) so that nothing aliases. At a step of
// exactly 1 with a whole-frame position the kernel is 1 at the centre and exactly 0 at
// every other tap, so the source comes out bit for bit.
//
// Steps up to 1 (a 44100 Hz source on a 48000 Hz device, and every tempo below the device
// rate) and the step from 48000 to 44100 read a precomputed polyphase table: one row of
// tap weights per 1/1024 of a frame, interpolated between adjacent rows. Other steps
// evaluate the kernel table tap by tap.
//
// Nothing here allocates after the tables are built (once per process, on first use from
// a non-real-time thread: call SincResampler::warmUp()).

#include <cstdint>

namespace quillmix {

class SincResampler {
public:
    static constexpr int kZeroCrossings = 24;
    static constexpr std::uint64_t kOne = std::uint64_t{1} << 32;  // 1.0 source frame
    // The step is clamped to this, so the kernel reach stays bounded.
    static constexpr double kMaxStep = 4.0;

    // Builds the shared kernel table. Not real-time safe; call before the first render.
    static void warmUp();

    // 32.32 step for playing a `sourceRate` buffer on a `deviceRate` output.
    static std::uint64_t stepFor(double sourceRate, double deviceRate);

    // Source frames the kernel reads on each side of a position, for this step: the caller
    // supplies input from floor(first position) - reach + 1 to floor(last position) + reach.
    static int reach(std::uint64_t step);

    // Source frames of input a block of `frames` outputs needs, starting at fraction
    // `fraction` (0 .. kOne-1) of the first whole frame: the input span the caller fills.
    static int inputFramesFor(std::uint64_t fraction, std::uint64_t step, int frames);

    // Real-time safe. `input` holds interleaved stereo frames; input frame reach(step) - 1 is
    // the whole frame of the first output position and `fraction` its fractional part.
    // Writes `frames` interleaved stereo frames to `out`.
    static void process(const float* input, std::uint64_t fraction, std::uint64_t step, int frames,
                        float* out) noexcept;
};

}  // namespace quillmix
