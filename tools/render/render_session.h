#pragma once
// The headless render session: the real mixer, decks and play list model on hand-stepped
// devices, rendered as fast as the engine keeps up. It never renders past a notification
// that the window thread has not handled yet, so it never underruns on its own account.
//
// Window thread only (the thread that created the QCoreApplication).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tools/render/render_script.h"

namespace quillmix {
class CZanAnalysis;
class CZanFilterBank;
class CZanMixer;
class CZanReadAheadRing;
class CZanTrackReader;
class SettingsStore;
class SoundSystem;
class WavFileWriter;
}  // namespace quillmix

namespace quillmix::render {

struct RenderOptions {
    int rate = 44100;        // device rate of both outputs
    int period = 256;        // frames rendered per step
    std::string mainWav;     // required
    std::string monitorWav;  // optional
};

struct RenderFigures {
    double renderedSeconds = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    int underruns = 0;
    int readAheadTimeouts = 0;  // periods rendered after 10 s waiting for a read-ahead
};

class RenderSession {
public:
    explicit RenderSession(const RenderOptions& options);
    ~RenderSession();

    bool ready() const { return ready_; }
    // Performs the actions in order, rendering up to each one's time. Problems the engine
    // meets are written to stderr and the run goes on.
    RenderFigures run(const std::vector<Action>& actions);

    CZanMixer& mixer() { return *mixer_; }
    std::int64_t renderedFrames() const { return renderedFrames_; }

private:
    struct Objects;
    void renderUntil(double seconds);
    void renderPeriod(int frames);  // at most one period
    void settle();
    void waitForReadAhead();
    void perform(const Action& action);
    void performTransport(const Action& action);
    void performMix(const Action& action);
    void performSound(const Action& action);
    void waitWhile(const std::function<bool()>& busy, double seconds);
    CZanAnalysis* analysis();

    RenderOptions options_;
    std::unique_ptr<Objects> objects_;
    CZanMixer* mixer_ = nullptr;
    std::int64_t renderedFrames_ = 0;
    int readAheadTimeouts_ = 0;
    std::array<bool, 2> seekHeld_{};  // Ffwd or Rwnd held: render in real time
    std::array<bool, 2> equalizerOn_{};
    bool ready_ = false;
};

}  // namespace quillmix::render
