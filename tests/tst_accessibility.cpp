// What a screen reader hears: every control has a name, and the names follow
// the window's state.

#include "app/vendrola.h"
#include "click.h"

#include <QAccessible>
#include <QTest>

namespace {

QString spoken(QWidget &widget, QAccessible::Text what = QAccessible::Name)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&widget);
    return face ? face->text(what) : QString();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasAName();
    void colourButtonsSayTheirColourAndWhetherFree();
    void seriesControlsNameTheirSeries();
    void pictureDescribesWhatIsDrawn();
};

void TestAccessibility::everyControlHasAName()
{
    app::Vendrola window;
    window.show();
    for (QWidget *control : window.form().findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(!spoken(*control).trimmed().isEmpty(), qPrintable(control->objectName()));
    QCOMPARE(spoken(window.form().Command3(0)), QString("Изведи"));
    QCOMPARE(spoken(window.form().Label1(13)), QString("Dec"));
}

void TestAccessibility::colourButtonsSayTheirColourAndWhetherFree()
{
    app::Vendrola window;
    window.show();
    ui::Form &form = window.form();
    QCOMPARE(spoken(form.Command1(0)), QString("Цвят червен – свободен"));
    QCOMPARE(spoken(form.Command1(3)), QString("Цвят тъмнозелен – свободен"));
    click(form.Command1(3));
    QCOMPARE(spoken(form.Command1(3)), QString("Цвят тъмнозелен – използван"));
    click(form.Command3(1));
    QCOMPARE(spoken(form.Command1(3)), QString("Цвят тъмнозелен – свободен"));
}

void TestAccessibility::seriesControlsNameTheirSeries()
{
    app::Vendrola window;
    ui::Form &form = window.form();
    QCOMPARE(spoken(form.Label2(0)), QString("Серия 01 – брой посещения, [%]"));
    QCOMPARE(spoken(form.List1(3)), QString("Серия 04 – обем информация, стойности по месеци"));
    QCOMPARE(spoken(form.Label2(6)), QString("03 - Кликове"));
}

void TestAccessibility::pictureDescribesWhatIsDrawn()
{
    app::Vendrola window;
    window.show();
    ui::Form &form = window.form();
    QCOMPARE(spoken(*form.Picture1), QString("Диаграма на посещенията"));
    QCOMPARE(spoken(*form.Picture1, QAccessible::Description), QString("празна"));
    click(form.Command3(0));
    const QString description = spoken(*form.Picture1, QAccessible::Description);
    const QString january = QStringLiteral("Jan: %1, %2, %3, %4")
                                .arg(form.List1(0).List(0), form.List1(1).List(0),
                                     form.List1(2).List(0), form.List1(3).List(0));
    QVERIFY2(description.contains(january), qPrintable(description));
    QVERIFY(description.contains(QStringLiteral("; Mar: ")));
    QVERIFY(description.contains(QStringLiteral("; Dec: ") + form.List1(0).List(11)));
    click(form.Command3(1));
    QCOMPARE(spoken(*form.Picture1, QAccessible::Description), QString("празна"));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
