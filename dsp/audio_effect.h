#pragma once
// The effect-chain slot of a sound buffer.
//
// A chain is built and prepared off the audio thread (prepare is the only place that
// allocates), handed to the buffer, run by the audio thread after resampling and before
// volume and pan, and destroyed off the audio thread again. Samples are interleaved stereo
// floats at the device rate the chain was prepared for, scaled so that full scale of a
// 16-bit sample is 1.0 (sample / 32768).

namespace quillmix {

class AudioEffectChain {
public:
    virtual ~AudioEffectChain() = default;

    // Audio thread. Processes `frames` stereo frames in place. No allocation, no locks,
    // no I/O.
    virtual void process(float* interleavedStereo, int frames) noexcept = 0;

    // Audio thread or owner: clears delay lines and envelopes, keeps parameters.
    virtual void reset() noexcept = 0;
};

}  // namespace quillmix
