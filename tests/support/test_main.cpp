// Entry point of every test program but the window tests': a Qt Core application (so that
// messaging and timers work) and a private settings folder.
#include <gtest/gtest.h>
#include <QCoreApplication>

#include <cstdlib>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
    static quillmix::test::TempDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().c_str(), 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
