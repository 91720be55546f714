// The settings file: defaults stored on first read, exact round trips, and damaged or
// unwritable files that must neither crash nor leave the decks silent.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <bit>
#include <filesystem>
#include <fstream>

#include "app/settings_store.h"
#include "support/temp_dir.h"

using namespace quillmix;

namespace {
class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    const std::filesystem::path file = dir.file("Quillmix.conf");
};
}  // namespace

TEST_F(SettingsStoreTest, FirstRunStoresDefaultsExceptDeviceNames) {
    SettingsStore store(file);
    EXPECT_FALSE(store.valueExists("levelDeckA"));
    EXPECT_FLOAT_EQ(store.getLevel(0), 0.7f);
    EXPECT_FLOAT_EQ(store.getLevel(1), 0.7f);
    EXPECT_EQ(store.getCrossFaderCurvePosition(), 0.0f);
    EXPECT_EQ(store.getColor(0), 0x00FFABCDu);
    EXPECT_EQ(store.getColor(1), 0x00ABCDFFu);
    EXPECT_EQ(store.getSoundDeviceMain(), "");
    EXPECT_EQ(store.getSoundDeviceHeadphones(), "");
    for (const char* name : {"levelDeckA", "levelDeckB", "crossFaderCurvePosition", "colorDeckA", "colorDeckB"})
        EXPECT_TRUE(store.valueExists(name)) << name;
    EXPECT_FALSE(store.valueExists("soundDeviceMain"));
    EXPECT_FALSE(store.valueExists("soundDeviceHeadphones"));
    // The stored value is what is read back: an edited value wins over the default.
    store.setLevel(1, 0.25f);
    EXPECT_FLOAT_EQ(SettingsStore(file).getLevel(1), 0.25f);
}

TEST_F(SettingsStoreTest, FloatsAndTextRoundTripExactly) {
    SettingsStore store(file);
    for (float f : {0.1f, -0.0f, 1e-38f, 0.7f, -0.333333343f}) {
        store.setCrossFaderCurvePosition(f);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(store.getCrossFaderCurvePosition()), std::bit_cast<std::uint32_t>(f));
    }
    const std::string name = "Haut-parleurs « Büro » 日本 = [x]\nline\\two\t";
    store.setSoundDeviceMain(name);
    store.setSoundDeviceHeadphones("");
    EXPECT_EQ(store.getSoundDeviceMain(), name);
    EXPECT_TRUE(store.valueExists("soundDeviceHeadphones"));
    EXPECT_EQ(store.getSoundDeviceHeadphones(), "");
    store.writeDword("colorDeckA", 0xFFFFFFFFu);
    EXPECT_EQ(store.getColor(0), 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, DamagedFilesGiveDefaultsAndAreRepairedByWrites) {
    for (const std::string& garbage : {std::string(), std::string("\0\xff\xfe[Settings\n=\n==\nlevelDeckA=d:zz\n", 33),
                                       std::string("[Settings]\nlevelDeckA=d:\ncolorDeckB=q:1\nlevelDeckB=s:\\x4\n")}) {
        { std::ofstream(file, std::ios::binary | std::ios::trunc) << garbage; }
        SettingsStore store(file);
        EXPECT_FLOAT_EQ(store.getLevel(0), 0.7f);
        EXPECT_EQ(store.getColor(1), 0x00ABCDFFu);
        EXPECT_EQ(store.getSoundDeviceMain(), "");
    }
    // The user's XDG folder is used when no file is given.
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(SettingsStore().filePath(), dir.path() / "Quillworks" / "Quillmix.conf");
}

TEST_F(SettingsStoreTest, UnwritableStoreAnswersWithDefaultsNotZeros) {
    if (geteuid() == 0) {
        // root writes through permissions; a path under a regular file can never be created.
        { std::ofstream(dir.file("blocker")) << "x"; }
        SettingsStore store(dir.file("blocker") / "Quillmix.conf");
        EXPECT_FLOAT_EQ(store.getLevel(0), 0.7f);
        EXPECT_EQ(store.getColor(0), 0x00FFABCDu);
        EXPECT_EQ(store.getCrossFaderCurvePosition(), 0.0f);
        store.setSoundDeviceMain("x");
        EXPECT_EQ(store.getSoundDeviceMain(), "");
        return;
    }
    SettingsStore(file).setLevel(0, 0.5f);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    SettingsStore store(file);
    EXPECT_FLOAT_EQ(store.getLevel(0), 0.5f);  // what is there is still read
    EXPECT_FLOAT_EQ(store.getLevel(1), 0.7f);  // what cannot be stored falls back to its default
    EXPECT_EQ(store.getColor(1), 0x00ABCDFFu);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
}

TEST_F(SettingsStoreTest, ValuesOfTheOtherTypeReadAsTheirBytes) {
    SettingsStore store(file);
    store.writeString("levelDeckA", "AB");
    EXPECT_EQ(store.readDword("levelDeckA"), 0x4241u);
    store.writeDword("soundDeviceMain", 0x00434241u);
    EXPECT_EQ(store.readString("soundDeviceMain"), "ABC");
}

// Two processes writing at once (the program and the render tool) must not lose each
// other's values: each read-modify-write holds the lock beside the file.
TEST_F(SettingsStoreTest, WritesOfTwoProcessesAtOnceAreAllKept) {
    constexpr int kPerProcess = 150;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            SettingsStore store(file);
            for (int i = 0; i < kPerProcess; ++i)
                store.writeDword("p" + std::to_string(p) + "v" + std::to_string(i), i);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore store(file);
    int missing = 0;
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < kPerProcess; ++i)
            missing += store.valueExists("p" + std::to_string(p) + "v" + std::to_string(i)) ? 0 : 1;
    EXPECT_EQ(missing, 0);
}
