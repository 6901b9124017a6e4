// The cost of one ResetChart and one DrawChart on the real window.
// Run with -callgrind under valgrind for instruction counts.

#include "app/vendrola.h"

#include <QTest>

class BenchChart : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void resetChart();
    void drawChart();

private:
    app::Vendrola window_;
};

void BenchChart::initTestCase()
{
    window_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window_.form()));
}

void BenchChart::resetChart()
{
    QBENCHMARK
    {
        window_.ResetChart();
    }
}

void BenchChart::drawChart()
{
    for (int b : {0, 3, 4, 7})
        window_.Command1_Click(static_cast<ui::Integer>(b));
    QBENCHMARK
    {
        window_.Command3_Click(0);
    }
}

QTEST_MAIN(BenchChart)
#include "bench_chart.moc"
