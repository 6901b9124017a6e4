// The built program in a real X window, worked from outside with real mouse
// and keyboard events and checked on screenshots. Screenshots of a failing
// case are kept in the build tree.
//
// VENDROLA_E2E_COMMAND starts another build instead, such as the Windows
// one under Wine ("wine .../vendrola.exe") or the page in a browser's app
// window, and VENDROLA_E2E_SCALE gives the device pixels per logical pixel
// it runs at (1.25 at 120 DPI).

#include "app/vendrola.h"
#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "xsession.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using ui::layout::Array;

namespace {

// Device pixels per logical pixel of the program under test.
double scale = 1.0;

int device(int logical)
{
    return static_cast<int>(std::lround(logical * scale));
}

QRect logicalRect(Array array, int index = 0)
{
    for (const ui::layout::Control &c : ui::layout::controls())
        if (c.array == array && c.index == index)
            return ui::twipsToPixelRect(c.left, c.top, c.width, c.height);
    qFatal("no such control");
}

// A control's place on screen, its edges in device pixels.
QRect controlRect(Array array, int index = 0)
{
    const QRect r = logicalRect(array, index);
    return QRect(QPoint(device(r.left()), device(r.top())),
                 QPoint(device(r.right() + 1) - 1, device(r.bottom() + 1) - 1));
}

// The chart's drawing area inside the picture's border, as the picture
// places its image: the border's width in device pixels, rounded, and the
// inside of the logical border rounded to device pixels.
QRect drawingArea()
{
    const QRect picture = controlRect(Array::Picture1);
    const QSize logical = logicalRect(Array::Picture1).size();
    const int border = ui::PictureBox::borderDevicePixels(scale);
    const int inner = ui::PictureBox::kBorderPixels;
    return QRect(picture.left() + border, picture.top() + border,
                 device(logical.width() - inner) - border,
                 device(logical.height() - inner) - border);
}

QPoint barBottom(int month, int series)
{
    const QRect area = drawingArea();
    return {area.left() + ui::twipsToDevicePixels(540 * month + 60 * (series + 1), scale),
            area.bottom()};
}

// Whether the program under test is a Windows build, or the page in a browser.
bool windowsBuild(const QStringList &command)
{
    return command.last().endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}
bool pageBuild(const QStringList &command)
{
    return command.last().startsWith(QLatin1String("http"));
}

// A point on a colour button's face away from the cross of a used button.
QPoint facePoint(int button)
{
    const QRect r = controlRect(Array::Command1, button);
    return {r.left() + 3, r.center().y()};
}

QRgb rgb(ui::Long colour)
{
    return ui::toQColor(colour).rgb();
}

const QRgb kPictureBackground = qRgb(0xEF, 0xEF, 0xEF);

int countColour(const QImage &image, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void paletteShowsOnTheFaces();
    void chosenColoursDrawTheChart();
    void clearBlanksTheChartAndFreesTheColours();
    void monthLabelHighlightsAllFourLists();
    void keyboardAloneWorksTheWindow();
    void chartSurvivesCoveringAndMinimising();
    void secondInstanceIsIndependent();
    void closingEndsTheProgram();
    void fixedSizeOffersNoMaximise();
    void designedLookUnderADarkDesktop();
    void withoutDisplaySaysSoInOneLine_data();
    void withoutDisplaySaysSoInOneLine();

private:
    QImage shot();
    bool waitForWindow(const std::function<bool(const QImage &)> &check);

    std::unique_ptr<XSession> session_;
    std::unique_ptr<ProgramWindow> window_;
    QStringList command_;
    int shots_ = 0;
};

void TestEndToEnd::initTestCase()
{
    command_ = QProcess::splitCommand(qEnvironmentVariable("VENDROLA_E2E_COMMAND"));
    if (command_.isEmpty())
        command_ = {QStringLiteral(VENDROLA_PATH)};
    scale = qEnvironmentVariableIsSet("VENDROLA_E2E_SCALE")
                ? qEnvironmentVariable("VENDROLA_E2E_SCALE").toDouble()
                : 1.0;
    QVERIFY(scale >= 1.0);
    session_ = std::make_unique<XSession>(scale);
    QVERIFY2(session_->error().isEmpty(), qPrintable(session_->error()));
}

void TestEndToEnd::init()
{
    shots_ = 0;
    window_ = std::make_unique<ProgramWindow>(*session_, command_);
    QVERIFY(window_->isUp());
    QCOMPARE(window_->geometry().size(),
             QSize(ui::twipsToDevicePixels(9135, scale), ui::twipsToDevicePixels(5505, scale)));
}

void TestEndToEnd::cleanup()
{
    const QString folder = QDir::currentPath() + "/e2e-shots/" + QTest::currentTestFunction();
    if (QTest::currentTestFailed()) {
        QDir().mkpath(folder);
        session_->screenshot().save(folder + "/final.png");
        qWarning("screenshots of the failing case are in %s", qPrintable(folder));
    } else {
        QDir(folder).removeRecursively();
    }
    window_.reset();
}

QImage TestEndToEnd::shot()
{
    const QImage image = window_->capture(session_->screenshot());
    const QString folder = QDir::currentPath() + "/e2e-shots/" + QTest::currentTestFunction();
    QDir().mkpath(folder);
    image.save(QStringLiteral("%1/%2.png").arg(folder).arg(++shots_, 2, 10, QLatin1Char('0')));
    return image;
}

bool TestEndToEnd::waitForWindow(const std::function<bool(const QImage &)> &check)
{
    return session_->waitFor([&](const QImage &screen) { return check(window_->capture(screen)); });
}

void TestEndToEnd::paletteShowsOnTheFaces()
{
    const QImage image = shot();
    for (int b = 0; b < 8; ++b)
        QCOMPARE(image.pixel(facePoint(b)), rgb(app::kPalette[b]));
    QCOMPARE(image.pixel(controlRect(Array::Label2, 0).topLeft() + QPoint(1, 1)),
             qRgb(255, 255, 255));
    QCOMPARE(image.pixel(controlRect(Array::Command3, 0).topLeft() + QPoint(4, 4)),
             qRgb(0, 255, 0));
    QCOMPARE(image.pixel(controlRect(Array::Command3, 1).topLeft() + QPoint(4, 4)),
             qRgb(255, 0, 0));
    QCOMPARE(countColour(image, drawingArea(), kPictureBackground),
             drawingArea().width() * drawingArea().height());
}

void TestEndToEnd::chosenColoursDrawTheChart()
{
    const int chosen[] = {2, 3, 4, 7};
    for (int b : chosen)
        window_->click(controlRect(Array::Command1, b).center());
    QVERIFY(waitForWindow([&](const QImage &image) {
        for (int k = 0; k < 4; ++k)
            if (image.pixel(controlRect(Array::Label2, k).topLeft() + QPoint(1, 1)) !=
                rgb(app::kPalette[chosen[k]]))
                return false;
        return true;
    }));
    window_->click(controlRect(Array::Command3, 0).center());
    QVERIFY(waitForWindow(
        [](const QImage &image) { return image.pixel(barBottom(11, 3)) != kPictureBackground; }));
    const QImage image = shot();
    const QRect area = drawingArea();
    for (int j = 0; j < 12; ++j) {
        for (int k = 0; k < 4; ++k) {
            const QPoint bottom = barBottom(j, k);
            const QRgb colour = rgb(app::kPalette[chosen[k]]);
            for (int dx : {-1, 0, 1})
                QCOMPARE(image.pixel(bottom + QPoint(dx, 0)), colour);
            QCOMPARE(image.pixel(bottom + QPoint(2, 0)), kPictureBackground);
            // Solid from the bottom edge up to a top that a value of 10..99 gives.
            int top = bottom.y();
            while (top > area.top() && image.pixel(bottom.x(), top - 1) == colour)
                --top;
            // Values 10..99 reach up to y = 1800..20 twips: rows 120..1 at
            // 15 twips a pixel.
            const int topRow = top - area.top();
            QVERIFY2(topRow >= ui::twipsToDevicePixels(20, scale) &&
                         topRow <= ui::twipsToDevicePixels(1800, scale),
                     qPrintable(QString::number(topRow)));
            QCOMPARE(image.pixel(bottom.x(), top - 1), kPictureBackground);
        }
    }
    // A second drawing leaves the screen exactly as it was.
    window_->click(controlRect(Array::Command3, 0).center());
    QTest::qWait(300);
    QCOMPARE(shot(), image);
}

void TestEndToEnd::clearBlanksTheChartAndFreesTheColours()
{
    for (int b : {0, 1, 5, 6, 7})
        window_->click(controlRect(Array::Command1, b).center());
    window_->click(controlRect(Array::Command3, 0).center());
    QVERIFY(waitForWindow(
        [](const QImage &image) { return image.pixel(barBottom(0, 0)) != kPictureBackground; }));
    // A used colour is crossed out: its centre no longer shows the face colour.
    QVERIFY(shot().pixel(controlRect(Array::Command1, 0).center()) != rgb(app::kPalette[0]));

    window_->click(controlRect(Array::Command3, 1).center());
    QVERIFY(waitForWindow([](const QImage &image) {
        return countColour(image, drawingArea(), kPictureBackground) ==
               drawingArea().width() * drawingArea().height();
    }));
    const QImage image = shot();
    for (int b = 0; b < 8; ++b) {
        QCOMPARE(image.pixel(facePoint(b)), rgb(app::kPalette[b]));
        QCOMPARE(image.pixel(controlRect(Array::Command1, b).center()), rgb(app::kPalette[b]));
    }
    for (int k = 0; k < 4; ++k)
        QCOMPARE(image.pixel(controlRect(Array::Label2, k).topLeft() + QPoint(1, 1)),
                 qRgb(255, 255, 255));
}

void TestEndToEnd::monthLabelHighlightsAllFourLists()
{
    const QRgb highlight =
        QApplication::palette().color(QPalette::Inactive, QPalette::Highlight).rgb();
    const QImage before = shot();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(countColour(before, controlRect(Array::List1, i), highlight), 0);
    window_->click(controlRect(Array::Label1, 7).center()); // "Jun"
    QVERIFY(waitForWindow([&](const QImage &image) {
        for (int i = 0; i < 4; ++i)
            if (countColour(image, controlRect(Array::List1, i), highlight) < 100)
                return false;
        return true;
    }));
    // The title changes nothing.
    const QImage selected = shot();
    window_->click(controlRect(Array::Label1, 0).center());
    QTest::qWait(300);
    QCOMPARE(shot(), selected);
}

void TestEndToEnd::keyboardAloneWorksTheWindow()
{
    // Focus starts on the first colour button; Space uses it and moves on.
    window_->key("space space space space");
    QVERIFY(waitForWindow([](const QImage &image) {
        return image.pixel(controlRect(Array::Label2, 3).topLeft() + QPoint(1, 1)) ==
               rgb(app::kPalette[3]);
    }));
    // On to "Изведи": four colour buttons, the text box, "Изчисти".
    window_->key("Tab Tab Tab Tab Tab Tab Return");
    QVERIFY(waitForWindow([](const QImage &image) {
        return image.pixel(barBottom(11, 3)) == rgb(app::kPalette[3]);
    }));
    window_->key("shift+Tab space");
    QVERIFY(waitForWindow([](const QImage &image) {
        return image.pixel(barBottom(11, 3)) == kPictureBackground &&
               image.pixel(facePoint(0)) == rgb(app::kPalette[0]);
    }));
    // Back out of the text box to the last colour, which goes to series 01.
    window_->key("shift+Tab shift+Tab space");
    QVERIFY(waitForWindow([](const QImage &image) {
        return image.pixel(controlRect(Array::Label2, 0).topLeft() + QPoint(1, 1)) ==
               rgb(app::kPalette[7]);
    }));
    shot();
}

void TestEndToEnd::chartSurvivesCoveringAndMinimising()
{
    window_->click(controlRect(Array::Command1, 4).center());
    window_->click(controlRect(Array::Command3, 0).center());
    QVERIFY(waitForWindow(
        [](const QImage &image) { return image.pixel(barBottom(5, 0)) == rgb(app::kPalette[4]); }));
    const QImage drawn = shot().copy(drawingArea());

    {
        // Another window over the chart, then gone again.
        ProgramWindow cover(*session_, command_);
        QVERIFY(cover.isUp());
        QVERIFY(cover.moveTo(window_->geometry().topLeft() + QPoint(250, 60)));
        QVERIFY(
            waitForWindow([&](const QImage &image) { return image.copy(drawingArea()) != drawn; }));
    }
    QVERIFY(waitForWindow([&](const QImage &image) { return image.copy(drawingArea()) == drawn; }));

    session_->run("xdotool", {"windowminimize", "--sync", window_->id()});
    QVERIFY(waitForWindow([&](const QImage &image) { return image.copy(drawingArea()) != drawn; }));
    session_->run("wmctrl", {"-i", "-a", window_->id()});
    QVERIFY(waitForWindow([&](const QImage &image) { return image.copy(drawingArea()) == drawn; }));
    shot();
}

void TestEndToEnd::secondInstanceIsIndependent()
{
    ProgramWindow second(*session_, command_);
    QVERIFY(second.isUp());
    QVERIFY(window_->moveTo({10, 30}));
    QVERIFY(second.moveTo({device(405), device(400)}));
    QVERIFY(!window_->geometry().intersects(second.geometry()));
    second.click(controlRect(Array::Command1, 0).center());
    second.click(controlRect(Array::Command3, 0).center());
    QVERIFY(session_->waitFor([&](const QImage &screen) {
        return second.capture(screen).pixel(barBottom(0, 0)) == rgb(app::kPalette[0]);
    }));
    const QImage first = shot();
    QCOMPARE(first.pixel(barBottom(0, 0)), kPictureBackground);
    QCOMPARE(first.pixel(facePoint(0)), rgb(app::kPalette[0]));
    QCOMPARE(first.pixel(controlRect(Array::Command1, 0).center()), rgb(app::kPalette[0]));
}

void TestEndToEnd::closingEndsTheProgram()
{
    session_->run("wmctrl", {"-i", "-c", window_->id()});
    QVERIFY(window_->process().waitForFinished(5000));
    QCOMPARE(window_->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(window_->process().exitCode(), 0);
}

void TestEndToEnd::fixedSizeOffersNoMaximise()
{
    if (windowsBuild(command_))
        QSKIP("Wine derives these hints from Windows's frame styles");
    if (pageBuild(command_))
        QSKIP("the browser's window is the browser's");
    const QString hints = session_->run(
        "xprop", {"-id", window_->id(), "_NET_WM_ALLOWED_ACTIONS", "_MOTIF_WM_HINTS"});
    // What the window manager offers, and what the window asked of it.
    QVERIFY2(hints.contains("_NET_WM_ACTION_MOVE") && !hints.contains("MAXIMIZE") &&
                 !hints.contains("_NET_WM_ACTION_RESIZE"),
             qPrintable(hints));
    const QStringList motif =
        hints.section("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = ", 1).trimmed().split(", ");
    QCOMPARE(motif.size(), 5);
    constexpr int kFunctionMaximise = 0x10, kDecorationMaximise = 0x40;
    QCOMPARE(motif[1].toInt(nullptr, 16) & kFunctionMaximise, 0);
    QCOMPARE(motif[2].toInt(nullptr, 16) & kDecorationMaximise, 0);
    // The caption is shown whole: what the window manager shows is the name.
    const auto property = [&](const char *name) {
        return session_->run("xprop", {"-id", window_->id(), name}).section(" = ", 1).trimmed();
    };
    QVERIFY(!property("_NET_WM_NAME").isEmpty());
    QCOMPARE(property("_NET_WM_VISIBLE_NAME"), property("_NET_WM_NAME"));
}

void TestEndToEnd::designedLookUnderADarkDesktop()
{
    if (windowsBuild(command_))
        QSKIP("GNOME's dark scheme reaches only the Linux build");
    // GNOME's dark scheme, through Qt's GTK platform theme (for the page,
    // through the browser, which follows the GTK theme too).
    if (!pageBuild(command_))
        QVERIFY(QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                              "/platformthemes/libqgtk3.so"));
    QProcessEnvironment dark;
    dark.insert("QT_QPA_PLATFORMTHEME", "gtk3");
    dark.insert("GTK_THEME", "Adwaita:dark");
    window_.reset();
    window_ = std::make_unique<ProgramWindow>(*session_, command_, dark);
    QVERIFY(window_->isUp());
    window_->key("space Tab Tab Tab Tab Tab Tab Tab Tab Tab Return");
    QVERIFY(waitForWindow([](const QImage &image) {
        return image.pixel(barBottom(11, 0)) == rgb(app::kPalette[0]);
    }));
    const QImage image = shot();
    // The chart's background stays light, and so do the lists and the text box.
    QCOMPARE(image.pixel(drawingArea().topLeft() + QPoint(1, 1)), kPictureBackground);
    QCOMPARE(image.pixel(controlRect(Array::List1, 2).bottomRight() - QPoint(device(18), 3)),
             qRgb(255, 255, 255));
    QCOMPARE(image.pixel(controlRect(Array::Text1).bottomRight() - QPoint(device(25), 3)),
             qRgb(255, 255, 255));
    // "Изведи" keeps a dark caption on its green face.
    const QRect display = controlRect(Array::Command3, 0).adjusted(4, 4, -4, -4);
    QVERIFY(countColour(image, display, qRgb(0, 0, 0)) > 20);
    QCOMPARE(countColour(image, display, qRgb(255, 255, 255)), 0);
}

void TestEndToEnd::withoutDisplaySaysSoInOneLine_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no DISPLAY") << QString() << QString() << "no display";
    QTest::newRow("no server there")
        << ":4999" << QString() << "could not connect to display :4999";
    QTest::newRow("no server there, C locale") << ":4999"
                                               << "C"
                                               << "could not connect to display :4999";
}

void TestEndToEnd::withoutDisplaySaysSoInOneLine()
{
    if (windowsBuild(command_) || pageBuild(command_))
        QSKIP("only X11 and Wayland can be missing; Windows always has its desktop");
    QFETCH(QString, display);
    QFETCH(QString, locale);
    QFETCH(QString, reason);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    if (!locale.isEmpty()) {
        for (const char *name : {"LANG", "LC_ALL", "LC_CTYPE"})
            env.insert(QString::fromLatin1(name), locale);
    }
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(command_.first(), command_.mid(1));
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // no crash, no core
    QCOMPARE(program.exitCode(), 2);
    // Qt's own warnings stand as they are; the program adds one line.
    const QStringList ours = QString::fromLocal8Bit(program.readAllStandardError())
                                 .split('\n')
                                 .filter(QRegularExpression("^vendrola: "));
    QCOMPARE(ours.size(), 1);
    QVERIFY2(ours.first().startsWith("vendrola: cannot open the window: " + reason),
             qPrintable(ours.first()));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
