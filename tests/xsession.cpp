#include "xsession.h"

#include <QElapsedTimer>
#include <QThread>

#include <cmath>

namespace {

constexpr int kStartTimeoutMs = 10000;
// A browser with a fresh profile can take long to show a page on a busy
// machine; the waits end as soon as the window is there.
constexpr int kFirstPaintTimeoutMs = 30000;

} // namespace

XSession::XSession(double scale)
{
    const QString screen = QStringLiteral("%1x%2x24")
                               .arg(static_cast<int>(std::ceil(1280 * scale)))
                               .arg(static_cast<int>(std::ceil(1024 * scale)));
    // Xvfb writes the display number it chose to the descriptor given.
    server_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", screen, "-dpi", "96",
                                           "-nolisten", "tcp", "-noreset"});
    if (!server_.waitForStarted() || !server_.waitForReadyRead(kStartTimeoutMs)) {
        error_ = QStringLiteral("Xvfb did not start: %1").arg(server_.errorString());
        return;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(server_.readLine()).trimmed();

    windowManager_.setProcessEnvironment(environment());
    windowManager_.start(QStringLiteral("openbox"), {});
    QElapsedTimer clock;
    clock.start();
    int status = 1;
    while (clock.elapsed() < kStartTimeoutMs) {
        run(QStringLiteral("wmctrl"), {"-m"}, &status);
        if (status == 0)
            return;
        QThread::msleep(50);
    }
    error_ = QStringLiteral("the window manager did not start");
}

XSession::~XSession()
{
    for (QProcess *process : {&windowManager_, &server_}) {
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(1000);
    }
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QString XSession::run(const QString &program, const QStringList &arguments, int *exitCode) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    tool.waitForFinished(kStartTimeoutMs);
    if (exitCode)
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

QImage XSession::screenshot() const
{
    QProcess import;
    import.setProcessEnvironment(environment());
    import.start(QStringLiteral("import"), {"-window", "root", "png:-"});
    import.waitForFinished(kStartTimeoutMs);
    return QImage::fromData(import.readAllStandardOutput(), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

bool XSession::waitFor(const std::function<bool(const QImage &)> &check, int milliseconds) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (check(screenshot()))
            return true;
        QThread::msleep(30);
    } while (clock.elapsed() < milliseconds);
    return false;
}

ProgramWindow::ProgramWindow(const XSession &session, const QStringList &command,
                             const QProcessEnvironment &extra)
    : session_(session)
{
    QProcessEnvironment env = session.environment();
    for (const QString &name : extra.keys())
        env.insert(name, extra.value(name));
    process_.setProcessEnvironment(env);
    process_.start(command.first(), command.mid(1));
    if (!process_.waitForStarted())
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kFirstPaintTimeoutMs) {
        const QString found =
            session_.run(QStringLiteral("xdotool"),
                         {"search", "--all", "--onlyvisible", "--pid",
                          QString::number(process_.processId()), "--name", "vendrola"});
        if (!found.trimmed().isEmpty()) {
            window_ = found.split('\n').first().trimmed();
            // Let the first paint reach the screen (a page loads first).
            session_.waitFor(
                [this](const QImage &screen) {
                    return !capture(screen).isNull() &&
                           capture(screen).pixel(2, 2) == qRgb(0xC0, 0xC0, 0xFF);
                },
                kFirstPaintTimeoutMs);
            return;
        }
        QThread::msleep(50);
    }
}

ProgramWindow::~ProgramWindow()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QRect ProgramWindow::geometry() const
{
    // xwininfo, not xdotool: under a reparenting window manager xdotool
    // counts the frame's offset twice.
    const QString info = session_.run(QStringLiteral("xwininfo"), {"-id", window_});
    QRect rect;
    for (const QString &line : info.split('\n')) {
        const QString text = line.trimmed();
        const int value = text.section(':', 1).trimmed().toInt();
        if (text.startsWith("Absolute upper-left X:"))
            rect.moveLeft(value);
        else if (text.startsWith("Absolute upper-left Y:"))
            rect.moveTop(value);
        else if (text.startsWith("Width:"))
            rect.setWidth(value);
        else if (text.startsWith("Height:"))
            rect.setHeight(value);
    }
    return rect;
}

void ProgramWindow::click(QPoint clientPoint) const
{
    const QPoint at = geometry().topLeft() + clientPoint;
    session_.run(QStringLiteral("xdotool"),
                 {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

void ProgramWindow::key(const QString &keys) const
{
    session_.run(QStringLiteral("xdotool"),
                 QStringList{"key", "--delay", "20"} + keys.split(' ', Qt::SkipEmptyParts));
}

bool ProgramWindow::moveTo(QPoint clientTopLeft) const
{
    // Asked of the window manager. Most windows have it place their client
    // area there; a window of north-west gravity (Firefox's) has it place
    // its frame there, and is asked once more, offset by as much as the
    // frame moved its client area.
    const auto ask = [this](QPoint at) {
        session_.run(
            QStringLiteral("wmctrl"),
            {"-i", "-r", window_, "-e", QStringLiteral("0,%1,%2,-1,-1").arg(at.x()).arg(at.y())});
    };
    ask(clientTopLeft);
    bool askedAgain = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs) {
        const QPoint at = geometry().topLeft();
        if (at == clientTopLeft)
            return true;
        if (!askedAgain && clock.elapsed() > 1000) {
            ask(clientTopLeft + clientTopLeft - at);
            askedAgain = true;
        }
        QThread::msleep(30);
    }
    return false;
}
