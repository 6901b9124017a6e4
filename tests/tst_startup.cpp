// What the window shows when it opens and after every reset.

#include "app/vendrola.h"
#include "click.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

namespace {

QStringList itemsOf(ui::ListBox &list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.item(i)->text();
    return items;
}

// Whether the picture shows nothing but its background.
bool pictureIsBlank(ui::PictureBox &picture)
{
    const QImage &image = picture.image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != picture.backColor().rgb())
                return false;
    return true;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void loadRunsOnceBeforeTheWindowShows();
    void startsWithFreshDataAndNoChoice();
    void resetRestoresTheStartingState();
    void clearedSelectionKeepsTheScrollPosition();

private:
    void verifyStartingState(app::Vendrola &window);
};

void TestStartup::loadRunsOnceBeforeTheWindowShows()
{
    app::Vendrola window;
    ui::Form &form = window.form();
    int loads = 0;
    bool visibleAtLoad = true;
    connect(&form, &ui::Form::Load, this, [&] {
        ++loads;
        visibleAtLoad = form.isVisible();
    });
    QCOMPARE(form.List1(0).count(), 0);
    window.show();
    form.hide();
    form.show();
    QCOMPARE(loads, 1);
    QVERIFY(!visibleAtLoad);
    QCOMPARE(form.List1(0).count(), 12);
}

void TestStartup::verifyStartingState(app::Vendrola &window)
{
    ui::Form &form = window.form();
    static const QRegularExpression twoDigits(QStringLiteral("^[1-9][0-9]$"));
    for (int i = 0; i < 4; ++i) {
        const QStringList items = itemsOf(form.List1(i));
        QCOMPARE(items.size(), 12);
        for (const QString &item : items)
            QVERIFY2(twoDigits.match(item).hasMatch(), qPrintable(item));
        QCOMPARE(form.List1(i).ListIndex(), -1);
        QVERIFY(form.List1(i).selectedItems().isEmpty());
        QCOMPARE(form.List1(i).verticalScrollBar()->value(), 0);
        QCOMPARE(window.SeriesColor(i), 0);
        QCOMPARE(form.Label2(i).palette().color(QPalette::Window), QColor(Qt::white));
    }
    QCOMPARE(window.NextSeries(), 0);
    for (int k = 0; k < 8; ++k) {
        QVERIFY(form.Command1(k).isEnabled());
        QCOMPARE(form.Command1(k).BackColor(), app::kPalette[k]);
    }
    QVERIFY(pictureIsBlank(*form.Picture1));
}

void TestStartup::startsWithFreshDataAndNoChoice()
{
    app::Vendrola window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form()));
    verifyStartingState(window);
    // Red, olive khaki, ..., magenta on the faces.
    QCOMPARE(window.form().Command1(0).BackColor(), 255);
    QCOMPARE(window.form().Command1(3).BackColor(), 25600);
    QCOMPARE(window.form().Command1(7).BackColor(), 16711935);
}

void TestStartup::resetRestoresTheStartingState()
{
    app::Vendrola window;
    window.show();
    ui::Form &form = window.form();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList before;
    for (int i = 0; i < 4; ++i)
        before << itemsOf(form.List1(i));

    click(form.Command1(3));
    click(form.Command1(6));
    click(form.Command1(0));
    click(form.Label1(9));
    click(form.Command3(0));
    QVERIFY(!pictureIsBlank(*form.Picture1));
    QCOMPARE(window.NextSeries(), 3);

    click(form.Command3(1));
    verifyStartingState(window);
    QStringList after;
    for (int i = 0; i < 4; ++i)
        after << itemsOf(form.List1(i));
    // 48 fresh values; that they all repeat is a chance of about 1 in 10^93.
    QVERIFY(after != before);
}

void TestStartup::clearedSelectionKeepsTheScrollPosition()
{
    app::Vendrola window;
    window.show();
    ui::ListBox &list = window.form().List1(2);
    QVERIFY(QTest::qWaitForWindowExposed(&window.form()));
    list.setListIndex(11);
    const int scrolled = list.verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    QVERIFY(list.visualItemRect(list.item(11)).intersects(list.viewport()->rect()));
    list.setListIndex(-1);
    QCOMPARE(list.ListIndex(), -1);
    QCOMPARE(list.verticalScrollBar()->value(), scrolled);
    QVERIFY(list.currentItem() == nullptr);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
