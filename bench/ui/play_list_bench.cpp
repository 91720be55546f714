// The play list window with large lists: a folder of tracks added in path order behind
// thousands of entries, the find over every row, and a display-mode change, each with the
// repaint of the list that shows it. These are what the window thread (which also feeds
// the audio) spends while the DJ works with a long set.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>

#include "bench_application.h"
#include "playlist/play_list_model.h"
#include "playlist/zan_play_list.h"
#include "ui/dialog_seam.h"
#include "ui/play_list_controls.h"
#include "ui/play_list_panel.h"

using namespace quillmix;

namespace {

// Answers the folder dialog with one folder and the deck selector with Switch.
class FolderSeam : public RealDialogs {
public:
    explicit FolderSeam(QString folder) : folder_(std::move(folder)) { setDialogSeam(this); }
    ~FolderSeam() override { setDialogSeam(nullptr); }
    QString chooseFolder(QWidget*, const QString&) override { return folder_; }
    std::optional<DeckChoice> selectDeck(QWidget*) override { return DeckChoice::alternate; }

private:
    QString folder_;
};

// A window with `entries` entries named "track <n>" (one in three with a title), shown.
struct Window {
    explicit Window(int entries) {
        for (int i = 0; i < entries; ++i)
            playList.model().AddEntry(i % 2, "/music/set/track " + std::to_string(i) + ".mp3", 180 + i % 300,
                                      i % 3 ? "" : "Title " + std::to_string(i));
        panel.show();
    }
    void repaint() {
        QImage image(panel.list().viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        panel.list().viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    CZanPlayList2 playList;
    PlayListPanel panel{nullptr, playList};
};

// A folder of `count` empty track files in two subfolders, made once per count.
const QString& trackFolder(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& dir = folders[count];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < count; ++i) {
            const QString sub = dir->path() + (i % 2 ? "/b" : "/a");
            QDir().mkpath(sub);
            QFile file(sub + QString("/%1 mix.mp3").arg(count - i, 6, 10, QChar('0')));
            file.open(QIODevice::WriteOnly);
        }
    }
    static QString path;
    path = dir->path();
    return path;
}

// Scan and insert `n` paths behind `n` entries, through the window's own 4 ms ticks, until
// the buttons are back.
void BM_PlayListAddFolder(benchmark::State& state) {
    bench::benchApplication();
    const int n = static_cast<int>(state.range(0));
    FolderSeam seam(trackFolder(n));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>(n);
        state.ResumeTiming();
        window->panel.addFolder();
        while (window->panel.scanning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window->repaint();
        state.PauseTiming();
        if (window->playList.model().EntryCount() != 2 * n) state.SkipWithError("paths missing");
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayListAddFolder)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// "Next" from the first row to the one match at the end of the list, and its repaint.
void BM_PlayListFind(benchmark::State& state) {
    bench::benchApplication();
    Window window(static_cast<int>(state.range(0)));
    window.playList.model().AddEntry(0, "/music/set/Deep Beats.mp3", 200, "");
    window.panel.findChild<CZanEdit*>(QString::number(PlayListPanel::kFindTextId))->setText("beat");
    for (auto _ : state) {
        window.playList.model().SelectRow(0);
        window.panel.findNext();
        window.repaint();
    }
    if (window.playList.model().SelectedRow() != window.playList.model().EntryCount() - 1)
        state.SkipWithError("not found");
}
BENCHMARK(BM_PlayListFind)->Arg(10000)->Unit(benchmark::kMillisecond);

// "Path" then "Tag" (two mode changes per iteration), each with the repaint of the list.
void BM_PlayListModeSwitch(benchmark::State& state) {
    bench::benchApplication();
    Window window(static_cast<int>(state.range(0)));
    auto* path = window.panel.findChild<QRadioButton*>(QString::number(PlayListPanel::kPathId));
    auto* tag = window.panel.findChild<QRadioButton*>(QString::number(PlayListPanel::kTagId));
    for (auto _ : state) {
        path->click();
        window.repaint();
        tag->click();
        window.repaint();
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_PlayListModeSwitch)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
