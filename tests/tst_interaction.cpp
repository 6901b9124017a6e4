// Choosing colours, selecting months and working the window by keyboard,
// through real clicks and key presses on the widgets.

#include "app/vendrola.h"
#include "click.h"

#include <QTest>

namespace {

QColor headerColour(ui::Form &form, int series)
{
    return form.Label2(series).palette().color(QPalette::Window);
}

QColor paletteColour(int button)
{
    return ui::toQColor(app::kPalette[button]);
}

QList<int> listIndexes(ui::Form &form)
{
    QList<int> indexes;
    for (int i = 0; i < 4; ++i)
        indexes << form.List1(i).ListIndex();
    return indexes;
}

} // namespace

class TestInteraction : public QObject
{
    Q_OBJECT
private slots:
    void firstClickColoursSeries01_data();
    void firstClickColoursSeries01();
    void fifthClickRecoloursSeries01();
    void eightClicksUseUpThePalette();
    void monthLabelsSelectAcrossAllLists_data();
    void monthLabelsSelectAcrossAllLists();
    void otherLabelsSelectNothing();
    void labelClickNeedsPressAndReleaseInside();
    void keyboardPressesTheFocusedButton();
    void disabledButtonsTakeNoFocus();
};

void TestInteraction::firstClickColoursSeries01_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("afterReset");
    for (int b = 0; b < 8; ++b) {
        QTest::addRow("button %d at start", b) << b << false;
        QTest::addRow("button %d after reset", b) << b << true;
    }
}

void TestInteraction::firstClickColoursSeries01()
{
    QFETCH(int, button);
    QFETCH(bool, afterReset);
    Window w;
    if (afterReset) {
        click(w.form.Command1((button + 1) % 8));
        click(w.form.Command1((button + 2) % 8));
        click(w.form.Command1((button + 3) % 8));
        click(w.form.Command3(1));
    }
    click(w.form.Command1(button));
    QCOMPARE(w.window.SeriesColor(0), app::kPalette[button]);
    QCOMPARE(headerColour(w.form, 0), paletteColour(button));
    QCOMPARE(w.window.NextSeries(), 1);
    QVERIFY(!w.form.Command1(button).isEnabled());
    QCOMPARE(w.form.Command1(button).BackColor(), app::kPalette[button]);
    for (int k = 1; k < 4; ++k) {
        QCOMPARE(w.window.SeriesColor(k), 0);
        QCOMPARE(headerColour(w.form, k), QColor(Qt::white));
    }
}

void TestInteraction::fifthClickRecoloursSeries01()
{
    Window w;
    for (int b : {0, 1, 2, 3})
        click(w.form.Command1(b));
    QCOMPARE(w.window.NextSeries(), 0);
    click(w.form.Command3(0));
    const QImage &image = w.form.Picture1->image();
    const QPoint bar(static_cast<int>(4 * image.devicePixelRatio()), image.height() - 1);
    QCOMPARE(QColor(image.pixel(bar)), paletteColour(0));

    click(w.form.Command1(4));
    QCOMPARE(w.window.SeriesColor(0), app::kPalette[4]);
    QCOMPARE(headerColour(w.form, 0), paletteColour(4));
    QCOMPARE(headerColour(w.form, 1), paletteColour(1));
    QCOMPARE(QColor(w.form.Picture1->image().pixel(bar)), paletteColour(0));
    click(w.form.Command3(0));
    QCOMPARE(QColor(w.form.Picture1->image().pixel(bar)), paletteColour(4));
}

void TestInteraction::eightClicksUseUpThePalette()
{
    Window w;
    for (int b : {7, 2, 5, 0, 3, 6, 1, 4})
        click(w.form.Command1(b));
    for (int b = 0; b < 8; ++b)
        QVERIFY(!w.form.Command1(b).isEnabled());
    QCOMPARE(w.window.NextSeries(), 0);
    const QList<ui::Long> chosen = {app::kPalette[3], app::kPalette[6], app::kPalette[1],
                                    app::kPalette[4]};
    for (int k = 0; k < 4; ++k)
        QCOMPARE(w.window.SeriesColor(k), chosen[k]);

    // A ninth click, by mouse or keyboard, changes nothing.
    click(w.form.Command1(2));
    QTest::keyClick(&w.form.Command1(2), Qt::Key_Space);
    QCOMPARE(w.window.NextSeries(), 0);
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(w.window.SeriesColor(k), chosen[k]);
        QCOMPARE(headerColour(w.form, k), ui::toQColor(chosen[k]));
    }

    click(w.form.Command3(1));
    for (int b = 0; b < 8; ++b)
        QVERIFY(w.form.Command1(b).isEnabled());
}

void TestInteraction::monthLabelsSelectAcrossAllLists_data()
{
    QTest::addColumn<int>("label");
    QTest::newRow("Jan") << 2;
    QTest::newRow("Jun") << 7;
    QTest::newRow("Dec") << 13;
}

void TestInteraction::monthLabelsSelectAcrossAllLists()
{
    QFETCH(int, label);
    Window w;
    click(w.form.Label1(label));
    const int month = label - 2;
    QCOMPARE(listIndexes(w.form), QList<int>(4, month));
    for (int i = 0; i < 4; ++i) {
        ui::ListBox &list = w.form.List1(i);
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.item(month))));
    }
    click(w.form.Command3(1));
    QCOMPARE(listIndexes(w.form), QList<int>(4, -1));
}

void TestInteraction::otherLabelsSelectNothing()
{
    Window w;
    click(w.form.Label1(0));
    click(w.form.Label1(1));
    QCOMPARE(listIndexes(w.form), QList<int>(4, -1));
    click(w.form.Label1(4));
    for (int k = 0; k < 8; ++k)
        click(w.form.Label2(k));
    click(w.form.Label1(0));
    QCOMPARE(listIndexes(w.form), QList<int>(4, 2));
    QCOMPARE(w.window.NextSeries(), 0);
}

void TestInteraction::labelClickNeedsPressAndReleaseInside()
{
    Window w;
    ui::Label &feb = w.form.Label1(3);
    QTest::mousePress(&feb, Qt::LeftButton, {}, feb.rect().center());
    QTest::mouseRelease(&feb, Qt::LeftButton, {}, feb.rect().bottomRight() + QPoint(5, 5));
    QTest::mouseClick(&feb, Qt::RightButton, {}, feb.rect().center());
    QCOMPARE(listIndexes(w.form), QList<int>(4, -1));
}

void TestInteraction::keyboardPressesTheFocusedButton()
{
    Window w;
    QCOMPARE(QApplication::focusWidget(), &w.form.Command1(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(w.window.SeriesColor(0), app::kPalette[0]);
    // The used button gave its focus to the next one.
    QCOMPARE(QApplication::focusWidget(), &w.form.Command1(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(w.window.SeriesColor(1), app::kPalette[1]);

    // Tab along the order: colours, text box, "Изчисти", "Изведи".
    while (QApplication::focusWidget() != w.form.Text1)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &w.form.Command3(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &w.form.Command3(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    const QImage &image = w.form.Picture1->image();
    QCOMPARE(
        QColor(image.pixel(static_cast<int>(4 * image.devicePixelRatio()), image.height() - 1)),
        paletteColour(0));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), &w.form.Command3(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(w.window.SeriesColor(0), 0);
    QVERIFY(w.form.Command1(0).isEnabled());
}

void TestInteraction::disabledButtonsTakeNoFocus()
{
    Window w;
    click(w.form.Command1(3));
    w.form.Command1(2).setFocus();
    QTest::keyClick(&w.form.Command1(2), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &w.form.Command1(4));
    w.form.Command1(3).setFocus();
    QVERIFY(!w.form.Command1(3).hasFocus());
}

QTEST_MAIN(TestInteraction)
#include "tst_interaction.moc"
