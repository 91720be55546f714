// Entry point of the window tests: an offscreen widget application and a private settings
// folder.
#include <gtest/gtest.h>
#include <QApplication>

#include <cstdlib>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static quillmix::test::TempDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
