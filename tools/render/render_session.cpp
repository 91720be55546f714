#include "tools/render/render_session.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "app/settings_store.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "dsp/filter_bank.h"
#include "engine/chunk_analysis.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "sound/sound_system.h"
#include "sound/wav_file_writer.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_length_loader.h"
#include "sources/track_reader.h"

namespace quillmix::render {

namespace {

const char* kMainDevice = "render:main";
const char* kMonitorDevice = "render:monitor";

// Stands in for the main window: the decks' refresh posts land here and are dropped.
class RefreshSink : public MessageWindow {
public:
    MessageResult handleMessage(unsigned, WParam, LParam) override { return 0; }
};

double processCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

struct RenderSession::Objects {
    std::unique_ptr<SoundSystem> system;
    SettingsStore settings;
    std::array<CZanFilterBank, 2> chartBanks, octaveBanks, equalizerBanks;
    std::array<CZanTrackReader, 2> readers;
    std::array<CZanReadAheadRing, 2> rings;
    std::unique_ptr<CZanAnalysis> analysis;
    RefreshSink refreshSink;
    std::unique_ptr<CZanMixer> mixer;
    WavFileWriter mainWav, monitorWav;
    std::thread lengthLoader;
};

RenderSession::RenderSession(const RenderOptions& options) : options_(options), objects_(std::make_unique<Objects>()) {
    createSharedEvents();
    Objects& o = *objects_;
    SoundSystemOptions soundOptions;
    soundOptions.usePortAudio = false;
    soundOptions.periodFrames = options.period;
    soundOptions.sampleRate = options.rate;
    o.system = std::make_unique<SoundSystem>(soundOptions);
    o.system->addSteppedDevice(kMainDevice, "Render Main", 2);
    o.system->addSteppedDevice(kMonitorDevice, "Render Monitor", 2);
    o.system->enumerate();
    for (int d = 0; d < kDeckCount; ++d) {
        o.chartBanks[d].Design(3);
        o.octaveBanks[d].Design(10);
        o.equalizerBanks[d].Design(3);
    }
    o.analysis = std::make_unique<CZanAnalysis>(std::array<CZanFilterBank*, 2>{&o.octaveBanks[0], &o.octaveBanks[1]},
                                                std::array<CZanFilterBank*, 2>{&o.chartBanks[0], &o.chartBanks[1]});
    mainDialogWindow = o.refreshSink.handle();
    MixerServices services{*o.system,
                           &o.settings,
                           {&o.readers[0], &o.readers[1]},
                           {&o.rings[0], &o.rings[1]},
                           o.analysis.get(),
                           {&o.equalizerBanks[0], &o.equalizerBanks[1]}};
    o.mixer = std::make_unique<CZanMixer>(services);
    mixer_ = o.mixer.get();
    mixer_->engine().OpenOutputs(kMainDevice, "Render Main", kMonitorDevice, "Render Monitor");
    mixer_->engine().SetMainVolume(1.0);
    mixer_->engine().SetMonitorVolume(1.0);
    o.lengthLoader = startTrackLengthLoader();
    ready_ = o.mainWav.open(options.mainWav, options.rate, 2) &&
             (options.monitorWav.empty() || o.monitorWav.open(options.monitorWav, options.rate, 2));
}

RenderSession::~RenderSession() {
    Objects& o = *objects_;
    if (o.mixer) {
        o.mixer->destroyOwned();  // decks unload: playback stops, read-ahead threads end
        o.mixer.reset();
    }
    requestTrackLengthLoaderStop();
    if (o.lengthLoader.joinable()) o.lengthLoader.join();
    o.mainWav.close();
    o.monitorWav.close();
    mainDialogWindow = WindowHandle{};
}

// Lets the window thread answer every notification the last period set before rendering
// on: a notify event stays set until its handler has run.
void RenderSession::settle() {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    PlayForwardCycle& cycle = mixer_->engine().cycle();
    for (;;) {
        dispatchPendingMessages();
        bool pending = false;
        for (int d = 0; d < kDeckCount; ++d) {
            pending |= playForwardNotifyEvent[d].isSet() && cycle.ClockOutput().IsForwardPlaying(d) &&
                       flagSet(playForwardThreadRunning[d]);
            pending |= playBackwardNotifyEvent[d].isSet() && cycle.ClockOutput().IsBackwardPlaying(d) &&
                       flagSet(playBackwardThreadRunning[d]);
        }
        if (!pending || std::chrono::steady_clock::now() > giveUp) return;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

// The engine takes an empty read-ahead slot for the end of the track, which is right in
// real time, where decoding runs far ahead. Rendering many times faster than real time,
// the decoder may merely be behind (a busy machine): before each period, a deck playing
// forward whose reader still has a file open gets its next chunk first.
void RenderSession::waitForReadAhead() {
    PlayForwardCycle& cycle = mixer_->engine().cycle();
    for (int d = 0; d < kDeckCount; ++d) {
        if (!cycle.ClockOutput().IsForwardPlaying(d) || !flagSet(playForwardThreadRunning[d])) continue;
        CZanReadAheadRing& ring = objects_->rings[d];
        const CZanTrackReader& reader = objects_->readers[d];
        const auto behind = [&] {
            if (ring.isFilled(ring.readIndex()) || !reader.isOpen()) return false;
            discReadForwardEvent[d].set();  // a reader asleep between passes fills it now
            return true;
        };
        waitWhile(behind, 10.0);
        if (behind()) ++readAheadTimeouts_;  // rendered on anyway: the deck may fall silent
    }
}

void RenderSession::renderPeriod(int frames) {
    waitForReadAhead();
    MixerEngine& engine = mixer_->engine();
    auto stepOutput = [frames](CZanMixOutput& out, WavFileWriter& wav) {
        std::vector<std::int16_t> samples;
        if (out.output && out.output->Device()) samples = stepSoundDevice(*out.output->Device(), frames);
        if (samples.empty()) samples.assign(static_cast<size_t>(frames) * 2, 0);
        if (wav.isOpen()) wav.write(samples.data(), samples.size());
    };
    stepOutput(engine.mix().mainOutput, objects_->mainWav);
    stepOutput(engine.mix().monitorOutput, objects_->monitorWav);
    renderedFrames_ += frames;
    settle();
    // While Ffwd or Rwnd is held the deck's seek timers run on the clock: render in real time.
    if (seekHeld_[0] || seekHeld_[1])
        std::this_thread::sleep_for(std::chrono::microseconds(1000000LL * frames / options_.rate));
}

void RenderSession::renderUntil(double seconds) {
    const auto target = static_cast<std::int64_t>(seconds * options_.rate + 0.5);
    while (renderedFrames_ < target)
        renderPeriod(static_cast<int>(std::min<std::int64_t>(options_.period, target - renderedFrames_)));
}

void RenderSession::waitWhile(const std::function<bool()>& busy, double seconds) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (busy() && std::chrono::steady_clock::now() < giveUp) {
        dispatchPendingMessages();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

CZanAnalysis* RenderSession::analysis() { return objects_->analysis.get(); }

RenderFigures RenderSession::run(const std::vector<Action>& actions) {
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    for (const Action& action : actions) {
        renderUntil(action.time);
        if (action.command == Command::end) break;
        perform(action);
    }
    RenderFigures figures;
    figures.renderedSeconds = static_cast<double>(renderedFrames_) / options_.rate;
    figures.cpuSeconds = processCpuSeconds() - cpuStart;
    figures.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    figures.underruns = mixer_->engine().cycle().UnderrunCount();
    figures.readAheadTimeouts = readAheadTimeouts_;
    return figures;
}

}  // namespace quillmix::render
