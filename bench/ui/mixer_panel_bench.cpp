// Paint cost of the whole mixer panel (every control, meters lit, both curves drawn) on
// hand-stepped outputs, rendered into an image as one full redraw of the window.
#include <benchmark/benchmark.h>

#include <QImage>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "bench_application.h"
#include "engine/zan_mixer.h"
#include "sound/sound_system.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "ui/mixer_panel.h"

using namespace quillmix;

namespace {

void BM_PaintMixerPanel(benchmark::State& state) {
    bench::benchApplication();
    createSharedEvents();
    SoundSystemOptions options;
    options.usePortAudio = false;
    SoundSystem sound(options);
    sound.addSteppedDevice("stepped:stereo", "Stereo Card", 2);
    sound.enumerate();
    std::array<CZanTrackReader, 2> readers;
    std::array<CZanReadAheadRing, 2> rings;
    CZanMixer mixer(MixerServices{sound, nullptr, {&readers[0], &readers[1]}, {&rings[0], &rings[1]}, nullptr, {}});
    {
        MixerPanel panel(nullptr, mixer);
        mixer.engine().OpenOutputs("stepped:stereo", "Stereo Card (Can't Split)", "", "");
        deckColor = {0x00FFABCD, 0x00ABCDFF};
        panel.onRefresh(UWM_SHOW_MAIN_LEVEL, 0);
        panel.onRefresh(UWM_REFRESH_CROSS_FADE_CURVE_GRAPH, 0);
        panel.showCpuUsage(12, "12 %");
        QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
        for (auto _ : state) {
            panel.render(&image);
            benchmark::DoNotOptimize(image.constBits());
        }
        state.SetLabel(std::to_string(panel.width()) + "x" + std::to_string(panel.height()));
    }
    mixer.destroyOwned();
}
BENCHMARK(BM_PaintMixerPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
