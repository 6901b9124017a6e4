#pragma once

// A private X server for tests of the real program: Xvfb on a display
// number it picks itself, with a window manager, plus the outside tools
// (xdotool, wmctrl, ImageMagick) that work windows as a person would.

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>

#include <functional>

class XSession
{
public:
    // The screen is big enough for two windows side by side at the scale
    // the program under test runs at.
    explicit XSession(double scale = 1.0);
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Empty when the session is up; otherwise what went wrong.
    const QString &error() const { return error_; }
    QProcessEnvironment environment() const;

    // Runs a tool on the display and returns its standard output.
    QString run(const QString &program, const QStringList &arguments,
                int *exitCode = nullptr) const;
    QImage screenshot() const;
    // Retakes screenshots until the check holds or the time is up.
    bool waitFor(const std::function<bool(const QImage &)> &check, int milliseconds = 5000) const;

private:
    QProcess server_;
    QProcess windowManager_;
    QString display_;
    QString error_;
};

// The program under test, started on a session's display.
class ProgramWindow
{
public:
    // command: the program and its arguments; extra: variables set for the
    // program on top of the session's.
    ProgramWindow(const XSession &session, const QStringList &command,
                  const QProcessEnvironment &extra = {});
    ~ProgramWindow();

    bool isUp() const { return !window_.isEmpty(); }
    // The window's client area on the screen.
    QRect geometry() const;
    void click(QPoint clientPoint) const;
    // Presses keys given as xdotool names, separated by blanks.
    void key(const QString &keys) const;
    // Moves the window so that its client area starts at the given point.
    bool moveTo(QPoint clientTopLeft) const;
    QImage capture(const QImage &screen) const { return screen.copy(geometry()); }
    QProcess &process() { return process_; }
    const QString &id() const { return window_; }

private:
    const XSession &session_;
    QProcess process_;
    QString window_;
};
