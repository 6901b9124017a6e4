// The run-time functions, the data value rule and the twips conversion.

#include "app/vendrola.h"
#include "ui/runtime.h"
#include "ui/twips.h"

#include <QTest>

#include <cmath>
#include <map>

class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void intRoundsDown();
    void valReadsLeadingNumber_data();
    void valReadsLeadingNumber();
    void rgbComposesLittleEndianColour();
    void rndStaysInUnitIntervalAndRepeatsFromSeed();
    void clockSeedsDiffer();
    void valueRuleAtItsBoundaries_data();
    void valueRuleAtItsBoundaries();
    void valueRuleCoversExactly10To99WithFoldedFrequencies();
    void twipsEdgesRoundToNearestPixel();
    void twipsToDevicePixelsFollowsRatio_data();
    void twipsToDevicePixelsFollowsRatio();
};

void TestRuntime::roundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("2.5000001") << 2.5000001 << 3;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("32767.4") << 32767.4 << 32767;
    QTest::newRow("-32768.5") << -32768.5 << -32768;
}

void TestRuntime::roundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(ui::CInt(value), expected);
    QCOMPARE(ui::CLng(value), expected);
}

void TestRuntime::intRoundsDown()
{
    QCOMPARE(ui::Int(2.9), 2.0);
    QCOMPARE(ui::Int(-0.5), -1.0);
    QCOMPARE(ui::Int(1800.0), 1800.0);
}

void TestRuntime::valReadsLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("two digits") << "42" << 42.0;
    QTest::newRow("leading blanks") << "  7" << 7.0;
    QTest::newRow("trailing text") << "99 [%]" << 99.0;
    QTest::newRow("fraction") << "-3.25x" << -3.25;
    QTest::newRow("no digits") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("٣") << 0.0;
}

void TestRuntime::valReadsLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ui::Val(text), expected);
}

void TestRuntime::rgbComposesLittleEndianColour()
{
    QCOMPARE(ui::RGB(237, 149, 100), 0x006495ED);
    QCOMPARE(ui::RGB(0, 0, 0), 0);
    QCOMPARE(ui::RGB(255, 255, 255), 0x00FFFFFF);
    QCOMPARE(ui::toQColor(0x006495ED), QColor(237, 149, 100));
}

void TestRuntime::rndStaysInUnitIntervalAndRepeatsFromSeed()
{
    ui::Randomize(7);
    std::vector<ui::Single> first;
    for (int i = 0; i < 10000; ++i) {
        const ui::Single r = ui::Rnd(100);
        QVERIFY(r >= 0.0f && r < 1.0f);
        first.push_back(r);
    }
    ui::Randomize(7);
    for (ui::Single expected : first)
        QCOMPARE(ui::Rnd(100), expected);
}

void TestRuntime::clockSeedsDiffer()
{
    ui::Randomize();
    const ui::Single a = ui::Rnd(), b = ui::Rnd();
    QTest::qSleep(2);
    ui::Randomize();
    QVERIFY(ui::Rnd() != a || ui::Rnd() != b);
}

void TestRuntime::valueRuleAtItsBoundaries_data()
{
    QTest::addColumn<float>("scaled");
    QTest::addColumn<int>("expected");
    QTest::newRow("0") << 0.0f << 10;
    QTest::newRow("0.5 rounds to 0") << 0.5f << 10;
    QTest::newRow("0.51") << 0.51f << 11;
    QTest::newRow("1.5 rounds to 2") << 1.5f << 12;
    QTest::newRow("2.5 rounds to 2") << 2.5f << 12;
    QTest::newRow("89.4") << 89.4f << 99;
    QTest::newRow("89.5 rounds to 90") << 89.5f << 10;
    QTest::newRow("90.5 rounds to 90") << 90.5f << 10;
    QTest::newRow("91") << 91.0f << 11;
    QTest::newRow("99.5 rounds to 100") << 99.5f << 20;
    QTest::newRow("just below 100") << 99.99999f << 20;
}

void TestRuntime::valueRuleAtItsBoundaries()
{
    QFETCH(float, scaled);
    QFETCH(int, expected);
    QCOMPARE(app::valueFromScaledDraw(scaled), expected);
}

void TestRuntime::valueRuleCoversExactly10To99WithFoldedFrequencies()
{
    // Every Single that Rnd can return, in order: the 2^24 multiples of 2^-24.
    constexpr int kDraws = 1 << 24;
    std::map<int, long> counts;
    for (int i = 0; i < kDraws; ++i)
        ++counts[app::valueFromDraw(std::ldexp(static_cast<float>(i), -24))];
    QCOMPARE(counts.begin()->first, 10);
    QCOMPARE(counts.rbegin()->first, 99);
    QCOMPARE(counts.size(), std::size_t{90});
    QCOMPARE(app::valueFromDraw(std::nextafter(1.0f, 0.0f)), 20);
    // 11..19 come up twice as often as 21..99, 10 and 20 one and a half times.
    const double single = counts[50];
    QVERIFY(std::abs(counts[15] / single - 2.0) < 0.01);
    QVERIFY(std::abs(counts[10] / single - 1.5) < 0.01);
    QVERIFY(std::abs(counts[20] / single - 1.5) < 0.01);
    QVERIFY(std::abs(counts[99] / single - 1.0) < 0.01);
}

void TestRuntime::twipsEdgesRoundToNearestPixel()
{
    QCOMPARE(ui::twipsToPixels(7), 0);
    QCOMPARE(ui::twipsToPixels(8), 1);
    QCOMPARE(ui::twipsToPixels(9135), 609);
    // 1300 twips is 86.7 pixels: the header starts at 87 and, 300 twips high,
    // ends exactly where its list (at 1600 twips, 106.7 pixels) begins.
    const QRect header = ui::twipsToPixelRect(240, 1300, 855, 300);
    const QRect list = ui::twipsToPixelRect(240, 1600, 855, 630);
    QCOMPARE(header, QRect(16, 87, 57, 20));
    QCOMPARE(header.bottom() + 1, list.top());
    // Neighbouring colour buttons overlap by one pixel, as by 15 twips.
    QCOMPARE(ui::twipsToPixelRect(240, 960, 255, 255).right(),
             ui::twipsToPixelRect(480, 960, 255, 255).left());
}

void TestRuntime::twipsToDevicePixelsFollowsRatio_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("expected");
    QTest::newRow("60 @1") << 60.0 << 1.0 << 4;
    QTest::newRow("60 @1.25 (12 twips a pixel)") << 60.0 << 1.25 << 5;
    QTest::newRow("60 @2") << 60.0 << 2.0 << 8;
    QTest::newRow("2000 @1") << 2000.0 << 1.0 << 133;
    QTest::newRow("20 @1") << 20.0 << 1.0 << 1;
    QTest::newRow("6 @1.25 (half)") << 6.0 << 1.25 << 1;
}

void TestRuntime::twipsToDevicePixelsFollowsRatio()
{
    QFETCH(double, twips);
    QFETCH(double, ratio);
    QFETCH(int, expected);
    QCOMPARE(ui::twipsToDevicePixels(twips, ratio), expected);
}

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
