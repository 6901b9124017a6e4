#include "app/startup.h"

#include "app/vendrola.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

constexpr int kNoDisplayExitStatus = 2;

// Without a display Qt's platform plugin gives up with a fatal message and
// aborts; say so in one line and leave cleanly instead of dumping core.
void reportStartFailure(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    const QString firstLine = message.section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "vendrola: cannot open the window: %s\n", qUtf8Printable(firstLine));
    std::fflush(stderr);
    std::_Exit(kNoDisplayExitStatus);
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int run(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fprintf(stderr, "vendrola: no display to open the window on (DISPLAY is not set)\n");
        return kNoDisplayExitStatus;
    }
    const QtMessageHandler previous = qInstallMessageHandler(reportStartFailure);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    QApplication::setApplicationName(QStringLiteral("vendrola"));

    Vendrola window;
    window.show();
    return QApplication::exec();
}

} // namespace app
