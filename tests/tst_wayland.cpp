// The built program running natively on Wayland: a headless sway of its own
// (sway runs only as an unprivileged user, so it runs as nobody, in a private
// runtime directory), worked with a virtual keyboard (wtype) and checked on
// screenshots (grim). A smoke test at output scales 1 and 2; the X11 tests
// cover the behaviour in depth.

#include "app/vendrola.h"
#include "ui/layout.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <pwd.h>
#include <unistd.h>

using ui::layout::Array;

namespace {

constexpr int kTimeoutMs = 10000;
constexpr const char *kAppId = "bg.vendrola.Vendrola";

QRect controlRect(Array array, int index = 0)
{
    for (const ui::layout::Control &c : ui::layout::controls())
        if (c.array == array && c.index == index)
            return ui::twipsToPixelRect(c.left, c.top, c.width, c.height);
    qFatal("no such control");
}

class SwaySession
{
public:
    SwaySession()
    {
        const passwd *nobody = getpwnam("nobody");
        if (!nobody || !runtime_.isValid() ||
            chown(qPrintable(runtime_.path()), nobody->pw_uid, nobody->pw_gid) != 0) {
            error_ = QStringLiteral("cannot make a runtime directory for nobody");
            return;
        }
        QFile config(runtime_.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly) ||
            config.write("xwayland disable\noutput HEADLESS-1 resolution 1024x768 scale 1\n") < 0) {
            error_ = QStringLiteral("cannot write the configuration");
            return;
        }
        config.close();
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env.insert(QStringLiteral("HOME"), runtime_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        sway_.setProcessEnvironment(env);
        sway_.setStandardOutputFile(QProcess::nullDevice());
        sway_.setStandardErrorFile(QProcess::nullDevice());
        sway_.start(QStringLiteral("setpriv"),
                    {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "sway", "--config",
                     config.fileName()});
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kTimeoutMs && sway_.state() != QProcess::NotRunning) {
            const QDir dir(runtime_.path());
            const QStringList sockets = dir.entryList({"wayland-*"}, QDir::System);
            const QStringList ipc = dir.entryList({"sway-ipc.*.sock"}, QDir::System);
            const QStringList display = sockets.filter(QRegularExpression("^wayland-\\d+$"));
            if (!display.isEmpty() && !ipc.isEmpty()) {
                env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
                env_.insert(QStringLiteral("WAYLAND_DISPLAY"), display.first());
                env_.insert(QStringLiteral("SWAYSOCK"), dir.filePath(ipc.first()));
                // A keyboard that stays for the whole session, so that the
                // program has one from the start; each wtype call types on it.
                keyboard_.setProcessEnvironment(environment());
                keyboard_.start(QStringLiteral("wtype"), {"-s", "3600000"});
                if (keyboard_.waitForStarted())
                    return;
            }
            QThread::msleep(50);
        }
        error_ = QStringLiteral("sway did not start");
    }

    ~SwaySession()
    {
        for (QProcess *process : {&keyboard_, &sway_}) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(1000);
        }
    }

    const QString &error() const { return error_; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "QT_SCALE_FACTOR", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        for (const QString &name : env_.keys())
            env.insert(name, env_.value(name));
        return env;
    }

    QByteArray run(const QString &program, const QStringList &arguments) const
    {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(program, arguments);
        tool.waitForFinished(kTimeoutMs);
        return tool.readAllStandardOutput();
    }

    void setScale(int scale) const
    {
        run(QStringLiteral("swaymsg"), {"output", "HEADLESS-1", "resolution",
                                        QStringLiteral("%1x%2").arg(1024 * scale).arg(768 * scale),
                                        "scale", QString::number(scale)});
    }

    QImage screenshot() const
    {
        return QImage::fromData(run(QStringLiteral("grim"), {"-t", "png", "-"}), "PNG")
            .convertToFormat(QImage::Format_RGB32);
    }

    // The program's window: its app id and its client area in logical pixels.
    QJsonObject window() const
    {
        const QJsonObject tree =
            QJsonDocument::fromJson(run(QStringLiteral("swaymsg"), {"-t", "get_tree"})).object();
        std::function<QJsonObject(const QJsonObject &)> find = [&](const QJsonObject &node) {
            if (node.contains(QStringLiteral("app_id")) && !node.value("app_id").isNull())
                return node;
            for (const char *key : {"nodes", "floating_nodes"})
                for (const QJsonValue &child : node.value(QLatin1String(key)).toArray())
                    if (const QJsonObject found = find(child.toObject()); !found.isEmpty())
                        return found;
            return QJsonObject();
        };
        return find(tree);
    }

    void keys(const QString &names) const
    {
        for (const QString &name : names.split(' ', Qt::SkipEmptyParts)) {
            run(QStringLiteral("wtype"), {"-k", name});
            QThread::msleep(30);
        }
    }

private:
    QTemporaryDir runtime_;
    QProcess sway_;
    QProcess keyboard_;
    QProcessEnvironment env_;
    QString error_;
};

QRect clientArea(const QJsonObject &window)
{
    const auto rect = [](const QJsonValue &value) {
        const QJsonObject r = value.toObject();
        return QRect(r["x"].toInt(), r["y"].toInt(), r["width"].toInt(), r["height"].toInt());
    };
    const QRect outer = rect(window["rect"]);
    return rect(window["window_rect"]).translated(outer.topLeft());
}

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void drawsTheChartFromTheKeyboard_data();
    void drawsTheChartFromTheKeyboard();

private:
    std::unique_ptr<SwaySession> session_;
};

void TestWayland::initTestCase()
{
    session_ = std::make_unique<SwaySession>();
    QVERIFY2(session_->error().isEmpty(), qPrintable(session_->error()));
}

void TestWayland::cleanupTestCase()
{
    session_.reset();
}

void TestWayland::drawsTheChartFromTheKeyboard_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("scale 1") << 1;
    QTest::newRow("scale 2") << 2;
}

void TestWayland::drawsTheChartFromTheKeyboard()
{
    QFETCH(int, scale);
    session_->setScale(scale);
    QProcess program;
    program.setProcessEnvironment(session_->environment());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(VENDROLA_PATH), {});
    const auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(3000);
    });

    // The window appears under its desktop entry's id, at its designed size.
    QJsonObject window;
    QElapsedTimer clock;
    clock.start();
    while (window.isEmpty() && clock.elapsed() < kTimeoutMs) {
        QThread::msleep(50);
        window = session_->window();
    }
    QCOMPARE(window.value("app_id").toString(), QString(kAppId));

    // On the screen every logical pixel is scale device pixels. The window
    // may still be placed after it appears, so its place is read again until
    // its first paint shows there.
    QRect client;
    const auto at = [&](QPoint logical) { return (client.topLeft() + logical) * scale; };
    QImage shot;
    const auto waitFor = [&](const std::function<bool()> &check) {
        QElapsedTimer wait;
        wait.start();
        do {
            client = clientArea(session_->window());
            shot = session_->screenshot();
            if (check())
                return true;
            QThread::msleep(50);
        } while (wait.elapsed() < kTimeoutMs);
        return false;
    };
    QVERIFY(waitFor([&] { return shot.pixel(at({2, 2})) == qRgb(0xC0, 0xC0, 0xFF); }));
    QCOMPARE(client.size(), QSize(609, 367));
    for (int b = 0; b < 8; ++b) {
        const QRect face = controlRect(Array::Command1, b);
        QCOMPARE(shot.pixel(at({face.left() + 3, face.center().y()})),
                 ui::toQColor(app::kPalette[b]).rgb());
    }

    // Two colours by Space, then on to "Изведи" and press it.
    session_->keys("space space Tab Tab Tab Tab Tab Tab Tab Tab Return");
    const QRect picture = controlRect(Array::Picture1);
    const QPoint origin = at(picture.topLeft());
    const int border = 2 * scale;
    const int bottom = origin.y() + picture.height() * scale - border - 1;
    const auto barColumn = [&](int month, int series) {
        return origin.x() + border +
               ui::twipsToDevicePixels(540 * month + 60 * (series + 1), scale);
    };
    const QRgb red = ui::toQColor(app::kPalette[0]).rgb();
    QVERIFY(waitFor([&] { return shot.pixel(barColumn(11, 0), bottom) == red; }));
    const QRgb background = ui::designedPalette().color(QPalette::Window).rgb();
    for (int month : {0, 6, 11}) {
        // Three device pixels wide at any scale.
        const int x = barColumn(month, 0);
        for (int dx : {-1, 0, 1})
            QCOMPARE(shot.pixel(x + dx, bottom), red);
        QCOMPARE(shot.pixel(x - 2, bottom), background);
        QCOMPARE(shot.pixel(x + 2, bottom), background);
        QCOMPARE(shot.pixel(barColumn(month, 2), bottom), qRgb(0, 0, 0)); // no colour: black
    }

    // The frame is painted to its last device pixel: a sunken panel whose
    // rings hold only the frame's colours, nothing of what lies behind.
    const QPalette look = ui::designedPalette();
    const QList<QRgb> frame = {look.color(QPalette::Dark).rgb(), look.color(QPalette::Shadow).rgb(),
                               look.color(QPalette::Light).rgb(),
                               look.color(QPalette::Midlight).rgb()};
    const int width = picture.width() * scale, height = picture.height() * scale;
    for (int d = 0; d < border; ++d) {
        for (int x = d; x < width - d; x += 7) {
            QVERIFY(frame.contains(shot.pixel(origin.x() + x, origin.y() + d)));
            QVERIFY(frame.contains(shot.pixel(origin.x() + x, origin.y() + height - 1 - d)));
        }
        for (int y = d; y < height - d; y += 7) {
            QVERIFY(frame.contains(shot.pixel(origin.x() + d, origin.y() + y)));
            QVERIFY(frame.contains(shot.pixel(origin.x() + width - 1 - d, origin.y() + y)));
        }
    }
    QCOMPARE(shot.pixel(origin.x() + border, origin.y() + border), background);
}

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
