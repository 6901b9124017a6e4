// Preloaded into a Qt program (LD_PRELOAD) to end it the first time its
// event loop is about to wait for events once its window is on the screen:
// start-up is then over, the window shown and painted. Under callgrind that
// counts the instructions of start-up alone, for any program, without
// changing the program.

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

bool windowIsUp()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows)
        if (window->isVisible() && !window->isExposed())
            return false;
    return !windows.isEmpty();
}

void endAtFirstWait()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) {
        std::fprintf(stderr, "first_wait: no event dispatcher\n");
        return;
    }
    // An exposed window has been painted: the expose event paints it at once.
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
        if (!windowIsUp())
            return;
        std::fflush(nullptr);
        std::_Exit(0);
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(endAtFirstWait)
