#include "app/startup.h"

#include "app/vendrola.h"
#include "ui/form.h"

#include <QApplication>

#ifdef Q_OS_WASM
#include "web/page.h"
#endif

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

constexpr int kNoDisplayExitStatus = 2;

// Without a display Qt's platform plugin warns why ("could not connect to
// display :5"), then gives up with a fatal message and aborts. While the GUI
// starts, every message goes on to standard error as usual; the platform
// plugin's own warning is kept, and on the fatal message it is said in one
// line before the program leaves cleanly instead of dumping core. Other
// warnings, such as the one about a non-UTF-8 locale, are not the reason.
QtMessageHandler qtHandler = nullptr;
QString platformWarning;

void reportStartFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        qtHandler(type, context, message);
        const QLatin1String category(context.category ? context.category : "");
        if (platformWarning.isEmpty() && category.startsWith(QLatin1String("qt.qpa.")) &&
            category != QLatin1String("qt.qpa.plugin"))
            platformWarning = message;
        return;
    }
    const QString reason = platformWarning.isEmpty() ? message : platformWarning;
    std::fprintf(stderr, "vendrola: cannot open the window: %s\n",
                 qUtf8Printable(reason.section(QLatin1Char('\n'), 0, 0)));
    std::fflush(stderr);
    std::_Exit(kNoDisplayExitStatus);
}

bool hasDisplay()
{
#if defined(Q_OS_WIN) || defined(Q_OS_WASM)
    // Windows always has its desktop, and a page its canvas; the variables
    // below are X11's and Wayland's.
    return true;
#else
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

} // namespace

int run(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fprintf(stderr, "vendrola: cannot open the window: no display (neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set)\n");
        return kNoDisplayExitStatus;
    }
    qtHandler = qInstallMessageHandler(reportStartFailure);
#ifdef Q_OS_WASM
    web::prepareToolkit();
#endif
    QApplication application(argc, argv);
    qInstallMessageHandler(qtHandler);
#ifdef Q_OS_WASM
    web::preparePage();
#endif
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
