// "+ Folder": which files a scan finds, in which order they are inserted, and that odd
// file systems neither hang nor crash it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/shared_state.h"
#include "playlist/folder_scan.h"
#include "playlist/play_list_model.h"
#include "support/playlist_fakes.h"
#include "support/temp_dir.h"

using namespace quillmix;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Relative(const std::vector<std::string>& paths, const fs::path& base) {
    std::vector<std::string> out;
    for (const std::string& path : paths) out.push_back(fs::path(path).lexically_relative(base).string());
    return out;
}

TEST(FolderScanTest, FindsTracksDepthFirstInNameOrder) {
    test::TempDir dir;
    for (const char* name :
         {"c.mp3", "a.MP3", "sub/b.wav", "sub/deeper/z.ogg", "readme", "cover.jpg", "x.mp", ".DS_Store", "b.flac"})
        dir.touch(name);
    ASSERT_EQ(mkfifo(dir.file("pipe.mp3").c_str(), 0600), 0);  // would block a reader forever
    fs::create_symlink(dir.file("c.mp3"), dir.file("link.mp3"));
    fs::create_symlink(dir.file("gone.mp3"), dir.file("dangling.mp3"));

    const auto found = Relative(ScanFolderForTracks(dir.path().string() + "/", audioFileFilter), dir.path());
    // ".mp" matches because the filter is searched for the extension as a substring,
    // and a file without extension matches in the same way.
    EXPECT_EQ(found, (std::vector<std::string>{"a.MP3", "c.mp3", "link.mp3", "readme", "sub/b.wav", "sub/deeper/z.ogg",
                                               "x.mp"}));
}

TEST(FolderScanTest, LinkLoopsEndAndEachFolderIsScannedOnce) {
    test::TempDir dir;
    dir.touch("top/a.mp3");
    dir.touch("top/inner/b.mp3");
    fs::create_directory_symlink(dir.file("top"), dir.file("top/inner/back"));  // a loop
    fs::create_directory_symlink(dir.file("top/inner/back"), dir.file("top/inner/chain"));
    EXPECT_EQ(Relative(ScanFolderForTracks(dir.file("top").string(), audioFileFilter), dir.file("top")),
              (std::vector<std::string>{"a.mp3", "inner/b.mp3"}));
    EXPECT_TRUE(ScanFolderForTracks(dir.file("absent").string(), audioFileFilter).empty());
}

TEST(FolderScanTest, UnreadableFolderIsPassedOver) {
    test::TempDir dir;
    dir.touch("top/a.mp3");
    dir.touch("top/inner/b.mp3");

    dir.touch("top/locked/c.mp3");
    ASSERT_EQ(chmod(dir.file("top/locked").c_str(), 0), 0);
    const auto found = ScanFolderForTracks(dir.file("top").string(), audioFileFilter);
    chmod(dir.file("top/locked").c_str(), 0700);
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not lock root out";
    EXPECT_EQ(found.size(), 2u);
}

TEST(FolderScanTest, InsertsInPathOrderAfterTheExistingEntriesWithSwitchedDecks) {
    test::RecordingMixer mixer;
    test::ManualLoader loader;
    PlayListModel model(mixer, loader);
    test::MirrorView view(model);
    model.SetView(&view);
    model.AddEntry(1, "/zz/existing.mp3", -1, "");  // sorts after everything, yet stays first
    model.MarkFound(0);

    FolderScanQueue scan;
    scan.Begin({"/f/c.mp3", "/f/a.mp3", "/f/sub/b.wav", "/f/b.mp3"}, DeckChoice::alternate, model.EntryCount());
    EXPECT_EQ(scan.Total(), 4);
    while (scan.InsertNext(model)) {}
    EXPECT_EQ(scan.Progress(), 4);
    EXPECT_FALSE(scan.Active());
    EXPECT_EQ(mixer.changes, 1);  // once, when the queue ran dry
    EXPECT_FALSE(scan.InsertNext(model));
    EXPECT_EQ(mixer.changes, 1);

    std::vector<std::pair<std::string, int>> rows;
    for (int row = 0; row < model.EntryCount(); ++row) rows.emplace_back(model.Entry(row).path, model.Entry(row).deck);
    // Decks follow queue order (c A, a B, sub/b A, b B); rows follow path order.
    EXPECT_EQ(rows,
              (std::vector<std::pair<std::string, int>>{
                  {"/zz/existing.mp3", 1}, {"/f/a.mp3", 1}, {"/f/b.mp3", 1}, {"/f/c.mp3", 0}, {"/f/sub/b.wav", 0}}));
    EXPECT_EQ(model.SelectedRow(), 0);
    EXPECT_TRUE(view.MatchesModel());
}

}  // namespace
