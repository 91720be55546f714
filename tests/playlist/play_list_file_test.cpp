// Reading and writing m3u and pls files, including what real and hostile files contain.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "playlist/play_list_model.h"
#include "playlist/play_list_reader.h"
#include "playlist/play_list_text.h"
#include "playlist/play_list_writer.h"
#include "support/playlist_fakes.h"
#include "support/temp_dir.h"

using namespace quillmix;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

PlayListRecord Rec(std::string path, std::string title, double seconds) {
    return {std::move(path), std::move(title), seconds};
}

TEST(PlayListReaderTest, M3uExtinfVariantsCommentsAndLastLine) {
    const std::string text =
        "#EXTM3U\r\n"
        "#EXTINF:215,My Song\r\n"
        "x.mp3\r\n"
        "#EXTINF:215\n"    // no comma: the number still counts
        "y.mp3\r"          // a lone CR ends a line too
        "#EXTINF:,Song\n"  // comma first: title kept, length unknown
        "\n"
        "#EXTVLCOPT:skipped\n"  // comments between the info and its path
        "z.mp3\n"
        "#EXTINF:abc,Song, with comma\n"  // not a number: unknown, not 0:00
        "  sub/../w.mp3  \n"
        "/abs/v.mp3\n"
        "file:///abs/a%20b%C3%A9%zz.mp3\n"
        "http://host/stream\n"
        "C:\\Music\\win.mp3\n"
        "last.mp3";  // no EXTINF, no line end
    const std::vector<PlayListRecord> expected = {
        Rec("/l/x.mp3", "My Song", 215),   Rec("/l/y.mp3", "", 215),
        Rec("/l/z.mp3", "Song", -1),       Rec("/l/w.mp3", "Song, with comma", -1),
        Rec("/abs/v.mp3", "", -1),         Rec("/abs/a b\xC3\xA9%zz.mp3", "", -1),
        Rec("http://host/stream", "", -1), Rec("C:\\Music\\win.mp3", "", -1),
        Rec("/l/last.mp3", "", -1)};
    EXPECT_EQ(ParseM3u(text, "/l"), expected);
}

TEST(PlayListReaderTest, EncodingsAreReadWithoutLoss) {
    const std::string utf8Bom = "\xEF\xBB\xBF#EXTINF:1,Caf\xC3\xA9\nc.mp3\n";
    const std::string latin1 = "#EXTINF:1,Caf\xE9\nc.mp3\n";
    const std::string utf16le =
        std::string("\xFF\xFE#\0E\0X\0T\0I\0N\0F\0:\0001\0,\0C\0a\0f\0\xE9\0\n\0c\0.\0m\0p\0003\0", 42);
    for (const std::string& bytes : {utf8Bom, latin1, utf16le}) {
        const auto records = ParseM3u(bytes, "/l");
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0], Rec("/l/c.mp3", "Caf\xC3\xA9", 1));
    }
}

TEST(PlayListReaderTest, PlsRecordsGoByNumberInAnyOrder) {
    const std::string text =
        "\n[Playlist]\n"
        "File2=b.mp3\n"
        "File1=/abs/a.mp3\n"  // no Title line: must not swallow the next File
        "Length1=61\n"
        "file3 = c.mp3\n"
        "Title2=Bee\n"
        "Title3=Sea\n"
        "Length2=junk\n"
        "Title4=orphan\n"  // no File4: no entry
        "NumberOfEntries=3\nVersion=2\n";
    const std::vector<PlayListRecord> expected = {Rec("/abs/a.mp3", "", 61), Rec("/l/b.mp3", "Bee", -1),
                                                  Rec("/l/c.mp3", "Sea", -1)};
    EXPECT_EQ(ParsePls(text, "/l"), expected);
    EXPECT_FALSE(ParsePls("File1=a.mp3\n", "/l"));  // not a pls without its header
}

TEST(PlayListWriterTest, EmptyListsAndExtensions) {
    test::TempDir dir;
    EXPECT_EQ(WritePlayListFile(dir.file("e.m3u").string(), {}), SaveStatus::saved);
    EXPECT_EQ(ReadAll(dir.file("e.m3u")), "#EXTM3U\n");
    EXPECT_EQ(WritePlayListFile(dir.file("e.pls").string(), {}), SaveStatus::saved);
    EXPECT_EQ(ReadAll(dir.file("e.pls")), "[playlist]\nNumberOfEntries=0\nVersion=2\n");

    // Upper-case extensions save and read; a name without one writes nothing at all.
    const std::vector<PlayListRecord> one = {Rec("/m/a.mp3", "A", 3.9)};
    EXPECT_EQ(WritePlayListFile(dir.file("UP.M3U").string(), one), SaveStatus::saved);
    EXPECT_EQ(ReadAll(dir.file("UP.M3U")), "#EXTM3U\n#EXTINF:3,A\n/m/a.mp3\n");
    EXPECT_EQ(ReadPlayListFile(dir.file("UP.M3U").string()), std::vector<PlayListRecord>{Rec("/m/a.mp3", "A", 3)});
    EXPECT_EQ(WritePlayListFile(dir.file("noext").string(), one), SaveStatus::unknownFormat);
    EXPECT_FALSE(std::filesystem::exists(dir.file("noext")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);  // no temp files left
}

TEST(PlayListWriterTest, RoundTripsKeepNonAsciiAndAwkwardPathsAndTitles) {
    test::TempDir dir;
    const std::vector<PlayListRecord> records = {
        Rec("/música/Ünïcødé 曲.mp3", "Café — 曲", 185), Rec("/m/new\nline.mp3", "two\nlines", -1),
        Rec("/m/ padded .mp3", "", 0), Rec("/m/latin\xE9.mp3", "", 7), Rec("/m/50%25 #1.mp3", "=,#", 12)};
    std::vector<PlayListRecord> expected = records;
    expected[1].title = "two lines";  // a title cannot hold a line break
    for (const char* name : {"r.m3u", "r.pls"}) {
        ASSERT_EQ(WritePlayListFile(dir.file(name).string(), records), SaveStatus::saved);
        EXPECT_TRUE(IsValidUtf8(ReadAll(dir.file(name))));
        EXPECT_EQ(ReadPlayListFile(dir.file(name).string()), expected) << name;
    }
}

TEST(PlayListWriterTest, FailedSaveLeavesTheOldListIntact) {
    test::TempDir dir;
    EXPECT_EQ(WritePlayListFile(dir.file("missing/x.m3u").string(), {}), SaveStatus::writeError);

    const std::filesystem::path list = dir.file("keep.pls");
    WriteAll(list, "[playlist]\nFile1=/old.mp3\n");
    std::vector<PlayListRecord> many(2000, Rec("/m/a long enough path to overflow the limit.mp3", "", 1));
    // Make every write past 4 KiB fail, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const SaveStatus status = WritePlayListFile(list.string(), many);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(status, SaveStatus::writeError);
    EXPECT_EQ(ReadAll(list), "[playlist]\nFile1=/old.mp3\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(PlayListWriterTest, SaveTakesTrimmedId3v1Titles) {
    test::TempDir dir;
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 12, "Tagged  \0\0 \0", 12);
    WriteAll(dir.file("t.mp3"), std::string(500, 'x') + tag);
    WriteAll(dir.file("short.mp3"), tag);  // exactly 128 bytes: too short to hold a tag
    test::RecordingMixer mixer;
    test::ManualLoader loader;
    PlayListModel model(mixer, loader);
    model.AddEntry(1, dir.file("t.mp3").string(), 9, "Old");
    model.AddEntry(1, dir.file("short.mp3").string(), -1, "Keep");
    ASSERT_EQ(model.SavePlayList(dir.file("s.m3u").string()), SaveStatus::saved);
    EXPECT_EQ(model.Entry(0).title, "Tagged");
    EXPECT_EQ(model.Entry(1).title, "Keep");

    // Read back: every entry goes to deck A, whatever deck was chosen.
    model.AddFiles({dir.file("s.m3u").string()}, DeckChoice::deckB);
    ASSERT_EQ(model.EntryCount(), 4);
    EXPECT_EQ(model.Entry(2).title, "Tagged");
    EXPECT_EQ(model.Entry(2).deck, 0u);
    EXPECT_EQ(model.Entry(3).deck, 0u);
    EXPECT_FALSE(model.LoadPlayList(dir.file("absent.m3u").string()));
}

// Hostile input: each must parse without a crash and finish; the counts show it was read.
TEST(PlayListReaderTest, HostileFilesParseAndEnd) {
    std::mt19937 random(1234);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    ParseM3u(garbage, "/l");
    ParsePls("[playlist]\n" + garbage, "/l");

    const std::string longLine(10 << 20, 'a');
    EXPECT_EQ(ParseM3u(longLine, "/l").at(0).path.size(), longLine.size() + 3);
    EXPECT_EQ(ParsePls("[playlist]\nTitle1=" + longLine + "\nFile1=x\n", "/l")->at(0).title.size(), longLine.size());

    std::string manyM3u = "#EXTM3U\n", manyPls = "[playlist]\n";
    for (int i = 1; i <= 100000; ++i) {
        manyM3u += "#EXTINF:1,t\n/m/" + std::to_string(i) + ".mp3\n";
        manyPls += "File" + std::to_string(i) + "=/m/" + std::to_string(i) + ".mp3\n";
    }
    EXPECT_EQ(ParseM3u(manyM3u, "/l").size(), 100000u);
    EXPECT_EQ(ParsePls(manyPls, "/l")->size(), 100000u);

    const std::string longPath = "/" + std::string(5000, 'p') + ".mp3";
    EXPECT_EQ(ParseM3u(longPath + "\n", "/l").at(0).path, longPath);
    test::TempDir dir;
    EXPECT_EQ(WritePlayListFile(dir.file("long.pls").string(), {Rec(longPath, "", 1)}), SaveStatus::saved);
    EXPECT_EQ(ReadPlayListFile(dir.file("long.pls").string())->at(0).path, longPath);
}

TEST(PlayListReaderTest, PlsRecordsSharingANumberAreAllKept) {
    const std::string pasted =
        "[playlist]\nFile1=/a.mp3\nTitle1=A\nLength1=1\nNumberOfEntries=1\n"
        "[playlist]\nFile1=/b.mp3\nTitle1=B\nLength1=2\nNumberOfEntries=1\n"
        "Title2=C\nFile2=/c.mp3\nFile0=/z.mp3\n";  // a title may come before its file
    const std::vector<PlayListRecord> expected = {Rec("/z.mp3", "", -1), Rec("/a.mp3", "A", 1), Rec("/b.mp3", "B", 2),
                                                  Rec("/c.mp3", "C", -1)};
    EXPECT_EQ(ParsePls(pasted, "/l"), expected);
    EXPECT_EQ(ParsePls("[playlist]\nFile1=x\nFile1=y\nFile1=z\n", "/l")->size(), 3u);
}

TEST(PlayListReaderTest, RawByteNamesAndRelativeEntriesFindTheirFiles) {
    test::TempDir dir;
    const std::string rawName = "r\xFF\xFE\xC0.wav";
    WriteAll(dir.file(rawName), "x");
    WriteAll(dir.file("l.m3u"), "#EXTINF:1,T\xE9\n" + rawName + "\nmissing\xE9.wav\n");
    const auto records = ReadPlayListFile(dir.file("l.m3u").string());
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ(records->at(0), Rec(dir.file(rawName).string(), "T\xC3\xA9", 1));  // the file's own bytes
    EXPECT_EQ(records->at(1).path, dir.file("missing\xC3\xA9.wav").string());    // no such file: Latin-1

    // A track given relative to the working folder is kept, and saved, with its full path.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    test::RecordingMixer mixer;
    test::ManualLoader loader;
    PlayListModel model(mixer, loader);
    model.AddEntry(0, "music/../a.wav", -1, "");
    model.InsertSorted(1, "b.wav", 0);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(model.Entry(0).path, dir.file("a.wav").string());
    EXPECT_EQ(model.Entry(1).path, dir.file("b.wav").string());
    std::filesystem::create_directory(dir.file("sub"));
    ASSERT_EQ(model.SavePlayList(dir.file("sub/s.m3u").string()), SaveStatus::saved);
    EXPECT_EQ(ReadPlayListFile(dir.file("sub/s.m3u").string())->at(0).path, dir.file("a.wav").string());
}

TEST(PlayListWriterTest, SaveThroughADanglingLinkCreatesItsTarget) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("lists"));
    std::filesystem::create_symlink("lists/real.m3u", dir.file("link.m3u"));
    ASSERT_EQ(WritePlayListFile(dir.file("link.m3u").string(), {Rec("/m/a.mp3", "A", 3)}), SaveStatus::saved);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.m3u")));
    EXPECT_EQ(ReadAll(dir.file("lists/real.m3u")), "#EXTM3U\n#EXTINF:3,A\n/m/a.mp3\n");
}

}  // namespace
