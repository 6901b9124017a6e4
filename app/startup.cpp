#include "app/startup.h"

#include "app/vendrola.h"
#include "ui/form.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

constexpr int kNoDisplayExitStatus = 2;

// Without a display Qt's platform plugin warns why ("could not connect to
// display :5"), then gives up with a fatal message and aborts. While the GUI
// starts, keep the warning, and on the fatal message say the reason in one
// line and leave cleanly instead of dumping core.
QString startWarning;

void reportStartFailure(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg) {
        if (startWarning.isEmpty())
            startWarning = message;
        return;
    }
    const QString reason = startWarning.isEmpty() ? message : startWarning;
    std::fprintf(stderr, "vendrola: cannot open the window: %s\n",
                 qUtf8Printable(reason.section(QLatin1Char('\n'), 0, 0)));
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
    startWarning.clear();
    QApplication::setApplicationName(QStringLiteral("vendrola"));
    // Ties the window to its installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("bg.vendrola.Vendrola"));
    // The whole program speaks in the window's font. Set before any widget
    // exists, no text is first laid out in the toolkit's default font.
    QApplication::setFont(ui::Form::windowFont());

    Vendrola window;
    window.show();
    return QApplication::exec();
}

} // namespace app
