#pragma once
// The one Qt application of the benchmark program (offscreen unless a platform is set),
// made on first use by whichever benchmark needs widgets or an event loop first.
#include <QApplication>

#include <cstdlib>

namespace quillmix::bench {

inline QApplication& benchApplication() {
    static int argc = 1;
    static char name[] = "quillmix-bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

}  // namespace quillmix::bench
