// The window as its widgets really stand: positions after the twips
// conversion, overlaps, focus order, texts and fonts.

#include "ui/form.h"

#include "ui/look.h"

#include <QFontInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <map>

namespace {

// The controls that take part in the layout, by name.
QList<QWidget *> controlsOf(ui::Form &form)
{
    QList<QWidget *> controls;
    for (QObject *child : form.children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            controls << widget;
    return controls;
}

QRect twipsRect(int left, int top, int width, int height)
{
    // The edges in pixels as a person measures them: twips / 15, rounded.
    auto px = [](int twips) { return (twips + 7) / 15; };
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void windowHasFixedClientAreaAndCaption();
    void everyControlLiesInsideTheClientArea();
    void onlyNeighbouringColourButtonsAndLegendRowsOverlap();
    void controlsStandWhereTheTwipsSay_data();
    void controlsStandWhereTheTwipsSay();
    void monthLabelsAreUnevenlySpaced();
    void focusFollowsTheTabOrder();
    void textsAndFontsFit();
    void taskStatementHasNineLines();
    void designedLookWhateverTheDesktop_data();
    void designedLookWhateverTheDesktop();
};

void TestLayout::windowHasFixedClientAreaAndCaption()
{
    ui::Form form;
    QCOMPARE(form.size(), QSize(609, 367));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowTitle().endsWith(
        QString::fromUtf8(" ИТ - посещения на сайт, изтеглена информация, кликове")));
    QVERIFY(!form.windowTitle().startsWith(' '));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xFF));
    QCOMPARE(form.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

void TestLayout::everyControlLiesInsideTheClientArea()
{
    ui::Form form;
    const QList<QWidget *> controls = controlsOf(form);
    QCOMPARE(controls.size(), 38);
    for (QWidget *control : controls)
        QVERIFY2(form.rect().contains(control->geometry()), qPrintable(control->objectName()));
}

void TestLayout::onlyNeighbouringColourButtonsAndLegendRowsOverlap()
{
    ui::Form form;
    const QList<QWidget *> controls = controlsOf(form);
    const QStringList legend = {"Label2(4)", "Label2(5)", "Label2(6)", "Label2(7)"};
    int overlaps = 0;
    for (int a = 0; a < controls.size(); ++a) {
        for (int b = a + 1; b < controls.size(); ++b) {
            const QRect common = controls[a]->geometry() & controls[b]->geometry();
            if (common.isEmpty())
                continue;
            const QString pair = controls[a]->objectName() + " & " + controls[b]->objectName();
            const QString nameA = controls[a]->objectName(), nameB = controls[b]->objectName();
            const int ia = nameA.section('(', 1).chopped(1).toInt();
            const int ib = nameB.section('(', 1).chopped(1).toInt();
            const bool buttons = nameA.startsWith("Command1(") && nameB.startsWith("Command1(");
            const bool rows = legend.contains(nameA) && legend.contains(nameB);
            QVERIFY2((buttons || rows) && std::abs(ia - ib) == 1, qPrintable(pair));
            // 15 twips: one pixel.
            QCOMPARE(buttons ? common.width() : common.height(), 1);
            ++overlaps;
        }
    }
    QCOMPARE(overlaps, 7 + 3);
}

void TestLayout::controlsStandWhereTheTwipsSay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("title") << "Label1(0)" << twipsRect(2040, 0, 4695, 375);
    QTest::newRow("prompt") << "Label1(1)" << twipsRect(360, 600, 1695, 255);
    QTest::newRow("first colour") << "Command1(0)" << twipsRect(240, 960, 255, 255);
    QTest::newRow("last colour") << "Command1(7)" << twipsRect(1920, 960, 255, 255);
    QTest::newRow("header 02") << "Label2(1)" << twipsRect(1440, 1300, 855, 300);
    QTest::newRow("list 03") << "List1(2)" << twipsRect(240, 2800, 855, 630);
    QTest::newRow("legend 04") << "Label2(7)" << twipsRect(120, 4320, 2415, 255);
    QTest::newRow("display") << "Command3(0)" << twipsRect(120, 4680, 1095, 375);
    QTest::newRow("clear") << "Command3(1)" << twipsRect(1440, 5040, 1095, 375);
    QTest::newRow("picture") << "Picture1" << twipsRect(2640, 600, 6360, 2000);
    QTest::newRow("text") << "Text1" << twipsRect(2640, 3120, 6375, 2175);
}

void TestLayout::controlsStandWhereTheTwipsSay()
{
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    ui::Form form;
    auto *control = form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), expected);
}

void TestLayout::monthLabelsAreUnevenlySpaced()
{
    ui::Form form;
    const int lefts[] = {2640, 3165, 3705, 4245, 4800, 5340, 5880, 6405, 6915, 7440, 7965, 8520};
    const QStringList captions = {"Jan", "Feb", " Mar", " Apr", " May", "Jun",
                                  "Jul", "Aug", "Sep",  "Oct",  "Nov",  "Dec"};
    for (int j = 0; j < 12; ++j) {
        ui::Label &label = form.Label1(j + 2);
        QCOMPARE(label.text(), captions[j]);
        QCOMPARE(label.x(), (lefts[j] + 7) / 15);
        QCOMPARE(label.y(), 176);
        QCOMPARE(label.width(), 33);
    }
    // The gaps differ: 525 twips (35 px) between Jan and Feb, 555 (37 px)
    // between Apr and May, 510 (34 px) between Aug and Sep.
    QCOMPARE(form.Label1(3).x() - form.Label1(2).x(), 35);
    QCOMPARE(form.Label1(6).x() - form.Label1(5).x(), 37);
    QCOMPARE(form.Label1(10).x() - form.Label1(9).x(), 34);
}

void TestLayout::focusFollowsTheTabOrder()
{
    ui::Form form;
    const QStringList expected = {"Command1(0)", "Command1(1)", "Command1(2)", "Command1(3)",
                                  "Command1(4)", "Command1(5)", "Command1(6)", "Command1(7)",
                                  "Text1",       "Command3(1)", "Command3(0)", "Picture1",
                                  "List1(0)",    "List1(1)",    "List1(2)",    "List1(3)"};
    QStringList chain;
    QWidget *widget = &form.Command1(0);
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != &form.Command1(0));
    QCOMPARE(chain, expected);
    for (QWidget *control : controlsOf(form))
        if (qobject_cast<QLabel *>(control))
            QCOMPARE(control->focusPolicy(), Qt::NoFocus);
}

void TestLayout::textsAndFontsFit()
{
    ui::Form form;
    const QStringList headers = {"01 [%]", "02 [%]", "03 [%]", "04 [%]"};
    const QStringList legend = {"01 - Брой посещения", "02 - Страници", "03 - Кликове",
                                "04 - Обем информация"};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(form.Label2(k).text(), headers[k]);
        QCOMPARE(form.Label2(k + 4).text(), legend[k]);
        QCOMPARE(form.Label2(k + 4).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
    QCOMPARE(form.Label1(0).text(), QString("Vendrola"));
    QCOMPARE(form.Label1(1).text(), QString("Изберете цвят"));
    QCOMPARE(form.Command3(0).text(), QString("Изведи"));
    QCOMPARE(form.Command3(1).text(), QString("Изчисти"));
    for (int k = 0; k < 8; ++k)
        QVERIFY(form.Command1(k).text().isEmpty());

    // Times New Roman, 12 pt, or its metric-compatible substitute.
    const QFontInfo info(form.Label1(0).font());
    QVERIFY2(info.family() == "Times New Roman" || info.family() == "Liberation Serif",
             qPrintable(info.family()));
    QCOMPARE(form.font().pointSizeF(), 12.0);
    QCOMPARE(form.Command1(0).font().family(), QString("MS Sans Serif"));

    // Every caption fits on one line inside its control.
    for (QLabel *label : form.findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->objectName()));
        QVERIFY2(metrics.height() <= label->height(), qPrintable(label->objectName()));
    }
    for (int k = 0; k < 2; ++k) {
        ui::CommandButton &button = form.Command3(k);
        QVERIFY(QFontMetrics(button.font()).horizontalAdvance(button.text()) < button.width() - 4);
    }
}

void TestLayout::taskStatementHasNineLines()
{
    ui::Form form;
    const QStringList lines = form.Text1->toPlainText().split('\n');
    // Nine lines, each ended: the text closes with an empty tenth.
    QCOMPARE(lines.size(), 10);
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[1], QString("Тема на проекта: Vendrola."));
    QVERIFY(lines[2].endsWith(": "));
    QCOMPARE(lines[5], QString("брой клика - Hits;"));
    QVERIFY(lines[8].startsWith("Проектът да дава възможност"));
    QVERIFY(!form.Text1->isReadOnly());
    QCOMPARE(form.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Text1->wordWrapMode(), QTextOption::WordWrap);
}

namespace {

// The highest contrast of any pixel of a widget as shown against the colour
// that fills most of it: its text against its background.
double textContrast(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](const auto &a, const auto &b) {
            return a.second < b.second;
        })->first;
    double best = 1;
    for (const auto &[colour, count] : counts)
        best = std::max(best, ui::contrastRatio(QColor(colour), QColor(background)));
    return best;
}

QPalette darkScheme()
{
    QPalette dark;
    for (auto [role, colour] : {std::pair{QPalette::Window, 0x353535},
                                {QPalette::WindowText, 0xEEEEEE},
                                {QPalette::Base, 0x2A2A2A},
                                {QPalette::Text, 0xEEEEEE},
                                {QPalette::Button, 0x444444},
                                {QPalette::ButtonText, 0xFFFFFF},
                                {QPalette::Highlight, 0x2A82DA},
                                {QPalette::Light, 0x505050},
                                {QPalette::Dark, 0x202020}})
        dark.setColor(role, QColor(QRgb(colour)));
    return dark;
}

} // namespace

void TestLayout::designedLookWhateverTheDesktop_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("dark");
    QTest::newRow("as designed") << QString() << false;
    QTest::newRow("dark scheme, Windows style") << "Windows" << true;
    QTest::newRow("dark scheme, Fusion style") << "Fusion" << true;
}

void TestLayout::designedLookWhateverTheDesktop()
{
    QFETCH(QString, style);
    QFETCH(bool, dark);
    const QPalette oldPalette = QApplication::palette();
    const QString oldStyle = QApplication::style()->name();
    const auto restore = qScopeGuard([&] {
        QApplication::setStyle(oldStyle);
        QApplication::setPalette(oldPalette);
    });
    if (!style.isEmpty())
        QApplication::setStyle(style);
    if (dark)
        QApplication::setPalette(darkScheme());

    ui::Form form;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 12; ++j)
            form.List1(i).AddItem(QString::number(10 + 7 * j));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    for (QWidget *control : form.findChildren<QWidget *>())
        QVERIFY2(control->style()->name().compare("fusion", Qt::CaseInsensitive) == 0,
                 qPrintable(control->objectName() + control->metaObject()->className()));
    // Every caption and list text stands out from its own background.
    for (QWidget *control : controlsOf(form)) {
        auto *button = qobject_cast<ui::CommandButton *>(control);
        const bool hasText = qobject_cast<QLabel *>(control) ||
                             qobject_cast<ui::ListBox *>(control) ||
                             (button && !button->text().isEmpty());
        if (hasText)
            QVERIFY2(textContrast(*control) >= 4.5, qPrintable(control->objectName()));
    }
    // The chart stays light, so that black bars stand out from it.
    const QColor chart = form.Picture1->backColor();
    QCOMPARE(chart, ui::designedPalette().color(QPalette::Window));
    QVERIFY(ui::contrastRatio(chart, Qt::black) >= 3);
    QCOMPARE(form.Picture1->grab().toImage().pixel(form.Picture1->rect().center()), chart.rgb());
    // The lists keep their row height and show at least two whole rows.
    for (int i = 0; i < 4; ++i) {
        ui::ListBox &list = form.List1(i);
        const int row = list.visualItemRect(list.item(0)).height();
        QVERIFY2(row > 0 && 2 * row <= list.viewport()->height(), qPrintable(QString::number(row)));
        QCOMPARE(list.palette().color(QPalette::Base), ui::designedPalette().color(QPalette::Base));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
