// What a screen reader hears: every control has a clean name and the right
// role, the names follow the window's state with the matching events, only
// real focus moves are announced, and everything a mouse does can be done
// from the keyboard or through an accessible action.

#include "app/vendrola.h"
#include "click.h"

#include <QAccessible>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>

namespace {

QString spoken(QWidget &widget, QAccessible::Text what = QAccessible::Name)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&widget);
    return face ? face->text(what) : QString();
}

// Every accessibility event the window sends, as assistive technology would
// receive it.
struct Heard
{
    QAccessible::Event type;
    QObject *object;
    int child;
    QString name; // what the event's object or child was called then
};
QList<Heard> heard;

void record(QAccessibleEvent *event)
{
    QAccessibleInterface *face = event->accessibleInterface();
    heard.append({event->type(), event->object(), event->child(),
                  face ? face->text(QAccessible::Name) : QString()});
}

QList<QObject *> sources(QAccessible::Event type)
{
    QList<QObject *> objects;
    for (const Heard &h : heard)
        if (h.type == type)
            objects << h.object;
    return objects;
}

// The child that the control last announced as the focus; -1 for the
// control itself, -2 for none.
int announcedChild(QObject *control)
{
    int child = -2;
    for (const Heard &h : heard)
        if (h.type == QAccessible::Focus && h.object == control)
            child = h.child;
    return child;
}

// What was said with the control's last focus event.
QString announcedName(QObject *control)
{
    QString name;
    for (const Heard &h : heard)
        if (h.type == QAccessible::Focus && h.object == control)
            name = h.name;
    return name;
}

// A month of the chart as a screen reader hears it: its name and the four
// lists' values.
QString spokenMonth(ui::Form &form, int month)
{
    static const QStringList names{"януари",    "февруари", "март",    "април",
                                   "май",       "юни",      "юли",     "август",
                                   "септември", "октомври", "ноември", "декември"};
    return QStringLiteral("%1: %2, %3, %4, %5")
        .arg(names[month], form.List1(0).List(month), form.List1(1).List(month),
             form.List1(2).List(month), form.List1(3).List(month));
}

// The window as a screen reader finds it, with nothing heard yet.
struct HeardWindow : Window
{
    HeardWindow() { heard.clear(); }
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyControlHasACleanNameAndItsRole();
    void colourButtonsSayTheirColourAndWhetherFree();
    void headersAndChartSayTheSeriesColours();
    void onlyRealFocusMovesAreAnnounced();
    void listItemsSayTheirMonth();
    void enteringAListSaysItsValue_data();
    void enteringAListSaysItsValue();
    void chartMonthsFollowTheLists();
    void chartKeysSelectMonths_data();
    void chartKeysSelectMonths();
    void monthLabelsCanBePressed();
};

void TestAccessibility::initTestCase()
{
    // As when a screen reader listens: events reach the handler only while
    // the platform's accessibility is active.
    QAccessible::installUpdateHandler(record);
    QPlatformAccessibility *platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    QVERIFY(platform);
    platform->setActive(true);
    QVERIFY(QAccessible::isActive());
}

void TestAccessibility::everyControlHasACleanNameAndItsRole()
{
    HeardWindow w;
    for (QWidget *control : w.form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QString name = spoken(*control);
        QVERIFY2(!name.isEmpty() && name == name.trimmed(), qPrintable(control->objectName()));
    }
    QCOMPARE(spoken(w.form.Command3(0)), QString("Изведи"));
    QCOMPARE(spoken(w.form.Label1(4)), QString("Mar"));
    QCOMPARE(spoken(w.form.List1(3)), QString("Серия 04 – обем информация, стойности по месеци"));
    QCOMPARE(spoken(w.form.Label2(6)), QString("03 - Кликове"));
    const auto role = [](QWidget &widget) {
        return QAccessible::queryAccessibleInterface(&widget)->role();
    };
    QCOMPARE(role(w.form), QAccessible::Window);
    QCOMPARE(spoken(w.form), w.form.windowTitle());
    QCOMPARE(role(*w.form.Picture1), QAccessible::Chart);
    QCOMPARE(role(w.form.Label1(0)), QAccessible::StaticText);
}

void TestAccessibility::colourButtonsSayTheirColourAndWhetherFree()
{
    HeardWindow w;
    QCOMPARE(spoken(w.form.Command1(0)), QString("Цвят червен – свободен"));
    QCOMPARE(spoken(w.form.Command1(3)), QString("Цвят тъмнозелен – свободен"));
    click(w.form.Command1(3));
    QCOMPARE(spoken(w.form.Command1(3)), QString("Цвят тъмнозелен – използван"));
    click(w.form.Command3(1));
    QCOMPARE(spoken(w.form.Command1(3)), QString("Цвят тъмнозелен – свободен"));
}

void TestAccessibility::headersAndChartSayTheSeriesColours()
{
    HeardWindow w;
    QCOMPARE(spoken(w.form.Label2(0)), QString("Серия 01 – без цвят"));
    click(w.form.Command1(3));
    QCOMPARE(spoken(w.form.Label2(0)), QString("Серия 01 – тъмнозелен"));
    QVERIFY(sources(QAccessible::NameChanged).contains(&w.form.Label2(0)));
    QCOMPARE(spoken(w.form.Label2(1)), QString("Серия 02 – без цвят"));

    QCOMPARE(spoken(*w.form.Picture1, QAccessible::Description), QString("празна"));
    heard.clear();
    click(w.form.Command3(0));
    // Drawing paints the series without a colour black, and says so.
    QCOMPARE(spoken(w.form.Label2(1)), QString("Серия 02 – черен"));
    QVERIFY(sources(QAccessible::NameChanged).contains(&w.form.Label2(3)));
    QVERIFY(sources(QAccessible::DescriptionChanged).contains(w.form.Picture1));
    const QString description = spoken(*w.form.Picture1, QAccessible::Description);
    QVERIFY2(description.contains("Серии: 01 тъмнозелен, 02 черен, 03 черен, 04 черен."),
             qPrintable(description));
    // The months are named as everywhere else a screen reader hears them.
    QVERIFY2(description.contains(". " + spokenMonth(w.form, 0) + "; "), qPrintable(description));
    QVERIFY(description.contains("; " + spokenMonth(w.form, 2) + "; "));
    QVERIFY(description.endsWith("; " + spokenMonth(w.form, 11)));

    heard.clear();
    click(w.form.Command3(1));
    QCOMPARE(spoken(w.form.Label2(0)), QString("Серия 01 – без цвят"));
    QCOMPARE(spoken(*w.form.Picture1, QAccessible::Description), QString("празна"));
    QVERIFY(sources(QAccessible::DescriptionChanged).contains(w.form.Picture1));
}

void TestAccessibility::onlyRealFocusMovesAreAnnounced()
{
    HeardWindow w;
    // "Изчисти" from the keyboard: focus stays on the button.
    w.form.Command3(1).setFocus();
    heard.clear();
    QTest::keyClick(&w.form.Command3(1), Qt::Key_Space);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!sources(QAccessible::Focus).contains(&w.form.List1(i)));

    // A month chosen while list 01 has focus: list 01 announces the item its
    // focus moved to, the other lists only their new selection.
    w.form.List1(0).setFocus();
    heard.clear();
    click(w.form.Label1(7));
    QCOMPARE(sources(QAccessible::Focus), QList<QObject *>{&w.form.List1(0)});
    QCOMPARE(announcedChild(&w.form.List1(0)), 5);
    for (int i = 1; i < 4; ++i) {
        QVERIFY(sources(QAccessible::SelectionAdd).contains(&w.form.List1(i)) ||
                sources(QAccessible::Selection).contains(&w.form.List1(i)));
    }
}

void TestAccessibility::listItemsSayTheirMonth()
{
    HeardWindow w;
    ui::ListBox &list = w.form.List1(2);
    QAccessibleTableInterface *table =
        QAccessible::queryAccessibleInterface(&list)->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), "януари: " + list.List(0));
    QCOMPARE(table->cellAt(11, 0)->text(QAccessible::Name), "декември: " + list.List(11));
    QCOMPARE(list.item(0)->text(), list.List(0));
    QCOMPARE(list.List(0).size(), 2);

    // After a reset the first step down reaches January and announces it.
    list.setFocus();
    heard.clear();
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.ListIndex(), 0);
    QCOMPARE(announcedChild(&list), 0);
    heard.clear();
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.ListIndex(), 1);
    QCOMPARE(announcedChild(&list), 1);
}

void TestAccessibility::enteringAListSaysItsValue_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("valueSaid"); // besides the list itself
    QTest::newRow("Tab") << Qt::TabFocusReason << true;
    QTest::newRow("Shift+Tab") << Qt::BacktabFocusReason << true;
    QTest::newRow("back to the window") << Qt::ActiveWindowFocusReason << true;
    QTest::newRow("mouse") << Qt::MouseFocusReason << false;
}

void TestAccessibility::enteringAListSaysItsValue()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, valueSaid);
    HeardWindow w;
    ui::ListBox &list = w.form.List1(2);
    click(w.form.Label1(9)); // "Aug"
    w.form.Command1(0).setFocus();
    heard.clear();
    list.setFocus(reason);
    QCOMPARE(announcedChild(&list), -1);
    QCOMPARE(announcedName(&list), QString("Серия 03 – кликове, стойности по месеци"));
    // The value follows the list's own announcement, once.
    QTest::qWait(50);
    const QString august = "август: " + list.List(7);
    QCOMPARE(announcedChild(&list), valueSaid ? 7 : -1);
    QCOMPARE(announcedName(&list), valueSaid ? august : spoken(list));
    QCOMPARE(sources(QAccessible::Focus).count(&list), valueSaid ? 2 : 1);
}

void TestAccessibility::chartMonthsFollowTheLists()
{
    HeardWindow w;
    QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(w.form.Picture1);
    // From the start: twelve months with their values, none reached.
    QCOMPARE(chart->childCount(), 12);
    for (int m : {0, 11})
        QCOMPARE(chart->child(m)->text(QAccessible::Name), spokenMonth(w.form, m));
    QVERIFY(!chart->child(0)->state().selected);

    // A month clicked while the chart has the focus is the month reached.
    w.form.Picture1->setFocus();
    heard.clear();
    click(w.form.Label1(7)); // "Jun"
    QCOMPARE(QApplication::focusWidget(), w.form.Picture1);
    QCOMPARE(announcedChild(w.form.Picture1), 5);
    QCOMPARE(announcedName(w.form.Picture1), spokenMonth(w.form, 5));
    QCOMPARE(chart->focusChild(), chart->child(5));

    // "Изчисти" makes new values: the months say their new names at once,
    // and none is reached until the next key.
    heard.clear();
    click(w.form.Command3(1));
    int renamed = 0;
    for (const Heard &h : heard) {
        if (h.type == QAccessible::NameChanged && h.object == w.form.Picture1) {
            QCOMPARE(h.name, spokenMonth(w.form, h.child));
            ++renamed;
        }
    }
    QVERIFY(renamed > 0);
    QCOMPARE(announcedChild(w.form.Picture1), -2);
    w.form.Picture1->setFocus();
    heard.clear();
    QTest::keyClick(w.form.Picture1, Qt::Key_Right);
    QCOMPARE(announcedName(w.form.Picture1), spokenMonth(w.form, 0));
}

void TestAccessibility::chartKeysSelectMonths_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("months"); // after each key, -1 for none
    QTest::newRow("Right starts at January")
        << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Left} << QList<int>{0, 1, 0};
    QTest::newRow("Left starts at December")
        << QList<int>{Qt::Key_Left, Qt::Key_Left} << QList<int>{11, 10};
    QTest::newRow("ends stay put")
        << QList<int>{Qt::Key_Home, Qt::Key_Left, Qt::Key_End, Qt::Key_Right}
        << QList<int>{0, 0, 11, 11};
    QTest::newRow("other keys do nothing")
        << QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_PageDown} << QList<int>{-1, -1, -1};
}

void TestAccessibility::chartKeysSelectMonths()
{
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, months);
    HeardWindow w;
    click(w.form.Command1(2));
    click(w.form.Command3(0));
    const QImage drawn = w.form.Picture1->image().copy();
    w.form.Picture1->setFocus();
    for (int n = 0; n < keys.size(); ++n) {
        heard.clear();
        QTest::keyClick(w.form.Picture1, Qt::Key(keys[n]));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w.form.List1(i).ListIndex(), months[n]);
        // The month reached is the chart's focused child, named with its values.
        QCOMPARE(announcedChild(w.form.Picture1), months[n] < 0 ? -2 : months[n]);
        if (months[n] >= 0)
            QCOMPARE(announcedName(w.form.Picture1), spokenMonth(w.form, months[n]));
    }
    QCOMPARE(QApplication::focusWidget(), w.form.Picture1);
    QCOMPARE(w.form.Picture1->image(), drawn); // the chart holds only its bars
    QCOMPARE(spoken(*w.form.Picture1), QString("Диаграма на посещенията"));
    QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(w.form.Picture1);
    if (months.last() >= 0) {
        const int m = months.last();
        QCOMPARE(chart->childCount(), 12);
        QCOMPARE(chart->focusChild(), chart->child(m));
        QVERIFY(chart->child(m)->state().focused);
        QCOMPARE(chart->indexOfChild(chart->child(m)), m);
        QCOMPARE(chart->child(m)->text(QAccessible::Name), spokenMonth(w.form, m));
    }
}

void TestAccessibility::monthLabelsCanBePressed()
{
    HeardWindow w;
    QAccessibleActionInterface *may =
        QAccessible::queryAccessibleInterface(&w.form.Label1(6))->actionInterface();
    QVERIFY(may);
    QCOMPARE(may->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    may->doAction(QAccessibleActionInterface::pressAction());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.form.List1(i).ListIndex(), 4);
    // So can the chart's months, as the labels under them.
    QAccessibleInterface *october =
        QAccessible::queryAccessibleInterface(w.form.Picture1)->child(9);
    QVERIFY(october && october->actionInterface());
    october->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.form.List1(i).ListIndex(), 9);
    QVERIFY(october->state().selected);
    // The title and the prompt do nothing when clicked, and offer nothing.
    for (int title : {0, 1}) {
        QAccessibleInterface *label = QAccessible::queryAccessibleInterface(&w.form.Label1(title));
        QVERIFY(label->actionInterface()->actionNames().isEmpty());
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
