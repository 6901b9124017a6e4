// The drawn chart, read from the picture's persistent image in device
// pixels. Run at several device-pixel ratios: a twip is 1/15 of a logical
// pixel, so at ratio r a bar at x twips stands at column x * r / 15.

#include "app/vendrola.h"
#include "click.h"
#include "ui/look.h"

#include <qpa/qwindowsysteminterface.h>
#include <QTest>
#include <QtGui/private/qhighdpiscaling_p.h>

#include <cmath>

namespace {

int devicePixel(double twips, double ratio)
{
    return static_cast<int>(std::lround(twips * ratio / 15.0));
}

// Value of month j in series k; covers the extremes 10 and 99.
int valueAt(int k, int j)
{
    if (j == 0 && k == 0)
        return 10;
    if (j == 0 && k == 1)
        return 99;
    return 10 + (j * 37 + k * 23) % 90;
}

class Chart : public QObject
{
public:
    Chart()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("window not exposed");
        for (int k = 0; k < 4; ++k) {
            form.List1(k).Clear();
            for (int j = 0; j < 12; ++j)
                form.List1(k).AddItem(QString::number(valueAt(k, j)));
        }
    }
    void choose(std::initializer_list<int> buttons)
    {
        for (int b : buttons)
            click(form.Command1(b));
    }
    void draw() { click(form.Command3(0)); }
    const QImage &image() { return form.Picture1->image(); }
    double ratio() { return image().devicePixelRatio(); }
    QRgb background() { return form.Picture1->backColor().rgb(); }
    int column(int month, int series)
    {
        return devicePixel(540 * month + 60 * (series + 1), ratio());
    }
    QRgb bottomPixel(int month, int series)
    {
        return image().pixel(column(month, series), image().height() - 1);
    }

    app::Vendrola window;
    ui::Form &form = window.form();
};

} // namespace

class TestChart : public QObject
{
    Q_OBJECT
private slots:
    void barsStandAtTheirColumnsAndHeights();
    void gapsBetweenMonthsStayBackground();
    void chosenColourIsDrawnByteForByte();
    void seriesWithoutColourAreBlack();
    void twoColoursColourTwoSeries();
    void drawingTwiceChangesNothing();
    void newColoursRepaintEveryBarInPlace();
    void drawingIsShownAtTheRightPlace();
    void everyPixelIsPaintedAtAnyRatio_data();
    void everyPixelIsPaintedAtAnyRatio();
    void barArithmetic_data();
    void barArithmetic();
    void colourSplitsIntoBytes();
};

void TestChart::barsStandAtTheirColumnsAndHeights()
{
    Chart chart;
    chart.choose({0, 3, 4, 7});
    chart.draw();
    const QImage &image = chart.image();
    const double r = chart.ratio();
    QCOMPARE(r, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    for (int j = 0; j < 12; ++j) {
        for (int k = 0; k < 4; ++k) {
            const QRgb colour = ui::toQColor(app::kPalette[std::array{0, 3, 4, 7}[k]]).rgb();
            const int x = chart.column(j, k);
            const int top = devicePixel(20 * (100 - valueAt(k, j)), r);
            const QString where = QStringLiteral("month %1 series %2").arg(j).arg(k);
            // Three device pixels wide, centred on the bar's column ...
            for (int dx : {-1, 0, 1}) {
                QVERIFY2(image.pixel(x + dx, image.height() - 1) == colour, qPrintable(where));
                QVERIFY2(image.pixel(x + dx, top) == colour, qPrintable(where));
            }
            QVERIFY2(image.pixel(x - 2, top) == chart.background(), qPrintable(where));
            QVERIFY2(image.pixel(x + 2, top) == chart.background(), qPrintable(where));
            // ... from the bottom edge up to its top and no further.
            QVERIFY2(top == 0 || image.pixel(x, top - 1) == chart.background(), qPrintable(where));
        }
    }
    // January: x = 60, 120, 180, 240 twips; December: 5940 plus the same.
    QCOMPARE(chart.column(0, 0), devicePixel(60, r));
    QCOMPARE(chart.column(11, 3), devicePixel(6180, r));
    // 10 reaches up to y = 1800 twips, 99 to y = 20.
    QVERIFY(image.pixel(chart.column(0, 0), devicePixel(1800, r)) != chart.background());
    QCOMPARE(image.pixel(chart.column(0, 0), devicePixel(1800, r) - 1), chart.background());
    QVERIFY(image.pixel(chart.column(0, 1), devicePixel(20, r)) != chart.background());
    QCOMPARE(image.pixel(chart.column(0, 1), devicePixel(20, r) - 1), chart.background());
}

void TestChart::gapsBetweenMonthsStayBackground()
{
    Chart chart;
    chart.draw();
    const QImage &image = chart.image();
    for (int j = 0; j < 12; ++j) {
        const int from = chart.column(j, 3) + 2;
        const int to = j < 11 ? chart.column(j + 1, 0) - 2 : image.width() - 1;
        QVERIFY(from < to);
        for (int x = from; x <= to; ++x)
            for (int y = 0; y < image.height(); ++y)
                QVERIFY2(image.pixel(x, y) == chart.background(),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }
    // Within a month the bars keep a gap between them too.
    const int gap = chart.column(0, 0) + 2;
    QCOMPARE(image.pixel(gap, image.height() - 1), chart.background());
}

void TestChart::chosenColourIsDrawnByteForByte()
{
    Chart chart;
    chart.choose({2});
    chart.draw();
    QCOMPARE(QColor(chart.bottomPixel(5, 0)), QColor(237, 149, 100));
    QCOMPARE(chart.form.Label2(0).palette().color(QPalette::Window), QColor(237, 149, 100));
}

void TestChart::seriesWithoutColourAreBlack()
{
    Chart chart;
    chart.draw();
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(chart.form.Label2(k).palette().color(QPalette::Window), QColor(Qt::black));
        for (int j = 0; j < 12; ++j)
            QCOMPARE(chart.bottomPixel(j, k), qRgb(0, 0, 0));
    }
}

void TestChart::twoColoursColourTwoSeries()
{
    Chart chart;
    chart.choose({6, 1});
    QCOMPARE(chart.form.Label2(2).palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(chart.form.Label2(3).palette().color(QPalette::Window), QColor(Qt::white));
    chart.draw();
    const QRgb purple = ui::toQColor(app::kPalette[6]).rgb();
    const QRgb olive = ui::toQColor(app::kPalette[1]).rgb();
    for (int j = 0; j < 12; ++j) {
        QCOMPARE(chart.bottomPixel(j, 0), purple);
        QCOMPARE(chart.bottomPixel(j, 1), olive);
        QCOMPARE(chart.bottomPixel(j, 2), qRgb(0, 0, 0));
        QCOMPARE(chart.bottomPixel(j, 3), qRgb(0, 0, 0));
    }
    QCOMPARE(chart.form.Label2(2).palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(chart.form.Label2(3).palette().color(QPalette::Window), QColor(Qt::black));
}

void TestChart::drawingTwiceChangesNothing()
{
    Chart chart;
    chart.choose({0, 1, 2, 3});
    chart.draw();
    const QImage first = chart.image().copy();
    chart.draw();
    QCOMPARE(chart.image(), first);
}

void TestChart::newColoursRepaintEveryBarInPlace()
{
    Chart chart;
    chart.choose({0, 1, 2, 3});
    chart.draw();
    const QImage before = chart.image().copy();
    // Four more clicks give every series a new colour.
    chart.choose({4, 5, 6, 7});
    QCOMPARE(chart.image(), before); // the bars wait for the next drawing
    chart.draw();
    const QImage &after = chart.image();
    QCOMPARE(after.size(), before.size());
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const bool wasBar = before.pixel(x, y) != chart.background();
            const bool isBar = after.pixel(x, y) != chart.background();
            QCOMPARE(isBar, wasBar);
            if (isBar)
                QVERIFY(after.pixel(x, y) != before.pixel(x, y));
        }
    }
    for (int k = 0; k < 4; ++k)
        QCOMPARE(chart.bottomPixel(7, k), ui::toQColor(app::kPalette[4 + k]).rgb());
}

void TestChart::drawingIsShownAtTheRightPlace()
{
    Chart chart;
    chart.choose({0});
    chart.draw();
    const QImage shown = chart.form.Picture1->grab().toImage();
    const double r = shown.devicePixelRatio();
    QCOMPARE(r, chart.ratio());
    // The drawing area starts inside a two-pixel border.
    const int inset = static_cast<int>(std::lround(ui::PictureBox::kBorderPixels * r));
    const int x = inset + chart.column(3, 0);
    const int y = inset + chart.image().height() - 1;
    QCOMPARE(shown.pixel(x, y), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(x + 2, y), chart.background());
    QCOMPARE(shown.pixel(x, inset), chart.background());
}

void TestChart::everyPixelIsPaintedAtAnyRatio_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<bool>("cleared"); // "Изчисти" before the ratio changes
    for (double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
        QTest::addRow("%g", ratio) << ratio << false;
        QTest::addRow("%g, cleared", ratio) << ratio << true;
    }
}

void TestChart::everyPixelIsPaintedAtAnyRatio()
{
    QFETCH(double, ratio);
    QFETCH(bool, cleared);
    Chart chart;
    chart.choose({3});
    chart.draw();
    if (cleared)
        click(chart.form.Command3(1));
    // The running window moves to a screen of another scale.
    QScreen *screen = chart.form.screen();
    const double start = chart.form.devicePixelRatioF();
    const auto setScale = [&](double factor) {
        QHighDpiScaling::setScreenFactor(screen, factor);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        // Newer Qt keeps a window's ratio until the platform says it changed.
        QWindowSystemInterface::handleWindowDevicePixelRatioChanged<
            QWindowSystemInterface::SynchronousDelivery>(chart.form.windowHandle());
#endif
    };
    setScale(ratio / start);
    const auto restore = qScopeGuard([&] { setScale(1.0); });
    QCOMPARE(chart.form.devicePixelRatioF(), ratio);

    // Rendered over a colour the window never uses, none of it shows.
    const QRgb unused = qRgb(1, 2, 3);
    QImage window((QSizeF(chart.form.size()) * ratio).toSize(), QImage::Format_RGB32);
    window.setDevicePixelRatio(ratio);
    window.fill(unused);
    chart.form.render(&window);
    int unpainted = 0;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x)
            unpainted += window.pixel(x, y) == unused;
    QCOMPARE(unpainted, 0);

    // The frame is the same look at any ratio, as wide as two logical
    // pixels, and the drawing area starts where it ends.
    const int border = static_cast<int>(std::lround(2 * ratio));
    const QPoint origin = (QPointF(chart.form.Picture1->pos()) * ratio).toPoint();
    const QRgb background = chart.background();
    QVERIFY(window.pixel(origin + QPoint(border - 1, border + 5)) != background);
    QCOMPARE(window.pixel(origin + QPoint(border, border + 5)), background);
    QVERIFY(window.pixel(origin + QPoint(border + 5, border - 1)) != background);

    // The chart is redrawn from its lines at the new ratio, bars three
    // device pixels wide; a cleared chart stays clear.
    const QImage &image = chart.image();
    QCOMPARE(image.devicePixelRatio(), ratio);
    const int x = chart.column(4, 0);
    const QRgb bar = cleared ? background : ui::toQColor(app::kPalette[3]).rgb();
    for (int dx : {-1, 0, 1})
        QCOMPARE(image.pixel(x + dx, image.height() - 1), bar);
    QCOMPARE(image.pixel(x + 2, image.height() - 1), background);
    QCOMPARE(window.pixel(origin + QPoint(border + x, border + image.height() - 1)), bar);

    // With focus the frame shows the focus colour, and only the frame.
    const QRgb focus = ui::designedPalette().color(QPalette::Highlight).rgb();
    QVERIFY(window.pixel(origin) != focus);
    chart.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&chart.form));
    chart.form.Picture1->setFocus();
    QVERIFY(chart.form.Picture1->hasFocus());
    chart.form.render(&window);
    for (int d = 0; d < border; ++d)
        QCOMPARE(window.pixel(origin + QPoint(d, d)), focus);
    QCOMPARE(window.pixel(origin + QPoint(border, border)), background);
}

void TestChart::barArithmetic_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("top");
    QTest::newRow("10") << 10.0 << 2000 << 1800.0;
    QTest::newRow("99") << 99.0 << 2000 << 20.0;
    QTest::newRow("no number") << 0.0 << 2000 << 2000.0;
    // (100 - 33) * 1995 / 100 = 1336.65: multiplied first, then rounded down.
    QTest::newRow("rounds down") << 33.0 << 1995 << 1336.0;
}

void TestChart::barArithmetic()
{
    QFETCH(double, value);
    QFETCH(int, height);
    QFETCH(double, top);
    QCOMPARE(chart::barTop(value, static_cast<ui::Integer>(height)), top);
}

void TestChart::colourSplitsIntoBytes()
{
    QCOMPARE(chart::splitColor(0x006495ED), (chart::ColorBytes{237, 149, 100}));
    QCOMPARE(chart::splitColor(0), (chart::ColorBytes{0, 0, 0}));
    QCOMPARE(chart::splitColor(0x00FFFFFF), (chart::ColorBytes{255, 255, 255}));
    QCOMPARE(chart::splitColor(0x00FF00FF), (chart::ColorBytes{255, 0, 255}));
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
