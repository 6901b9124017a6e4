// A long run of random clicks and key presses at every widget of the window,
// including disabled buttons, checked after every event against a small
// model of what the window must show.
//
// VENDROLA_SOAK_SEED and VENDROLA_SOAK_EVENTS rerun it with any seed and length.

#include "app/vendrola.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <malloc.h>
#include <random>

namespace {

// Resident and peak memory of this process in KiB.
std::pair<long, long> memoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    long rss = 0, peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toLong();
            else if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return {rss, peak};
}

// What the window must show, kept apart from the program's own state.
struct Model
{
    int nextSeries = 0;
    std::array<bool, 8> used{};
    std::array<ui::Long, 4> seriesColor{};
    std::array<QColor, 4> header{Qt::white, Qt::white, Qt::white, Qt::white};
    std::optional<std::array<ui::Long, 4>> drawn;                // colours of the bars on screen
    std::array<std::optional<int>, 4> selection{-1, -1, -1, -1}; // nullopt: not tracked
    QStringList data;

    void choose(int button)
    {
        if (used[button])
            return;
        seriesColor[nextSeries] = app::kPalette[button];
        header[nextSeries] = ui::toQColor(app::kPalette[button]);
        nextSeries = (nextSeries + 1) % 4;
        used[button] = true;
    }
    void draw()
    {
        drawn = seriesColor;
        for (int k = 0; k < 4; ++k)
            header[k] = ui::toQColor(seriesColor[k]);
    }
    void reset() { *this = Model{}; }
};

QStringList dataOf(ui::Form &form)
{
    QStringList data;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < form.List1(i).count(); ++j)
            data << form.List1(i).item(j)->text();
    return data;
}

// Heap memory in use (allocated and not freed), in KiB. Unlike resident
// memory it does not depend on how much freed memory the allocator keeps.
long heapInUseKiB()
{
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void randomEventsKeepTheWindowConsistent();

private:
    bool check(app::Vendrola &window, const Model &model, QString &why);
};

bool TestSoak::check(app::Vendrola &window, const Model &model, QString &why)
{
    ui::Form &form = window.form();
    auto fail = [&](const QString &what) {
        why = what;
        return false;
    };
    if (window.NextSeries() != model.nextSeries)
        return fail(QStringLiteral("nextSeries %1, expected %2")
                        .arg(window.NextSeries())
                        .arg(model.nextSeries));
    for (int b = 0; b < 8; ++b) {
        if (form.Command1(b).isEnabled() == model.used[b])
            return fail(QStringLiteral("colour button %1 enabled is wrong").arg(b));
        if (form.Command1(b).BackColor() != app::kPalette[b])
            return fail(QStringLiteral("colour button %1 lost its colour").arg(b));
    }
    if (dataOf(form) != model.data)
        return fail(QStringLiteral("the data changed without a reset"));
    static const QRegularExpression value(QStringLiteral("^[1-9][0-9]$"));
    if (model.data.size() != 48)
        return fail(QStringLiteral("%1 values in the lists").arg(model.data.size()));
    for (const QString &item : model.data)
        if (!value.match(item).hasMatch())
            return fail(QStringLiteral("value '%1' in a list").arg(item));
    const QImage &image = form.Picture1->image();
    const double ratio = image.devicePixelRatio();
    for (int k = 0; k < 4; ++k) {
        if (window.SeriesColor(k) != model.seriesColor[k])
            return fail(QStringLiteral("seriesColor(%1)").arg(k));
        if (form.Label2(k).palette().color(QPalette::Window) != model.header[k])
            return fail(QStringLiteral("header %1").arg(k));
        if (model.selection[k] && form.List1(k).ListIndex() != *model.selection[k])
            return fail(QStringLiteral("list %1 selects %2, expected %3")
                            .arg(k)
                            .arg(form.List1(k).ListIndex())
                            .arg(*model.selection[k]));
        for (int j = 0; j < 12; ++j) {
            const int x = static_cast<int>(std::lround((540 * j + 60 * (k + 1)) * ratio / 15));
            const QRgb expected = model.drawn ? ui::toQColor((*model.drawn)[k]).rgb()
                                              : form.Picture1->backColor().rgb();
            if (image.pixel(x, image.height() - 1) != expected)
                return fail(QStringLiteral("bar of month %1 series %2").arg(j).arg(k));
        }
    }
    return true;
}

void TestSoak::randomEventsKeepTheWindowConsistent()
{
    const quint64 seed = qEnvironmentVariable("VENDROLA_SOAK_SEED", "20261208").toULongLong();
    const long events = qEnvironmentVariable("VENDROLA_SOAK_EVENTS", "100000").toLong();
    qInfo("soak: seed %llu, %ld events (VENDROLA_SOAK_SEED / VENDROLA_SOAK_EVENTS to change)", seed,
          events);

    app::Vendrola window;
    ui::Form &form = window.form();
    window.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    std::mt19937_64 random(seed);
    ui::Randomize(seed);
    Model model;
    QTest::mouseClick(&form.Command3(1), Qt::LeftButton);
    model.data = dataOf(form);

    // Every clickable thing: 8 colours, 2 actions, 14 + 8 labels, 4 lists,
    // the text box and the picture.
    QList<QWidget *> targets;
    for (int b = 0; b < 8; ++b)
        targets << &form.Command1(b);
    targets << &form.Command3(0) << &form.Command3(1);
    for (int i = 0; i < 14; ++i)
        targets << &form.Label1(i);
    for (int i = 0; i < 8; ++i)
        targets << &form.Label2(i);
    for (int i = 0; i < 4; ++i)
        targets << &form.List1(i);
    targets << form.Text1 << form.Picture1;
    const Qt::Key keys[] = {Qt::Key_Tab,   Qt::Key_Backtab, Qt::Key_Space, Qt::Key_Return,
                            Qt::Key_Enter, Qt::Key_Up,      Qt::Key_Down,  Qt::Key_A};

    // What a press or click on a widget must do.
    auto press = [&](QWidget *widget) {
        for (int b = 0; b < 8; ++b)
            if (widget == &form.Command1(b))
                model.choose(b);
        if (widget == &form.Command3(0))
            model.draw();
        if (widget == &form.Command3(1)) {
            model.reset();
            model.data = dataOf(form); // fresh data, checked for form below
        }
    };

    // The heap in use with the text box emptied: what the user typed into it
    // (and its undo history) is the user's, and grows as it should.
    auto heapWithoutTypedText = [&] {
        form.Text1->setPlainText(QString());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return heapInUseKiB();
    };

    QElapsedTimer clock;
    clock.start();
    long warmRss = 0, warmHeap = 0;
    const auto [startRss, startPeak] = memoryKiB();
    for (long n = 0; n < events; ++n) {
        QString event;
        if (random() % 3 != 0) {
            QWidget *target = targets[static_cast<int>(random() % targets.size())];
            const QPoint at(static_cast<int>(random() % target->width()),
                            static_cast<int>(random() % target->height()));
            // The click lands on the innermost widget there, as a real one
            // does: a list's viewport or scroll bar, the text box's viewport.
            QWidget *receiver = target->childAt(at) ? target->childAt(at) : target;
            const QPoint local = receiver->mapFrom(target, at);
            event = QStringLiteral("click %1 at %2,%3")
                        .arg(target->objectName())
                        .arg(at.x())
                        .arg(at.y());
            std::optional<int> row;
            auto *list = qobject_cast<ui::ListBox *>(target);
            if (list && receiver == list->viewport()) {
                // Only a click well inside an item is sure to select it; at an
                // item's edge the list may scroll first and take the next one.
                const QModelIndex hit = list->indexAt(local);
                if (list->visualRect(hit).adjusted(0, 2, 0, -2).contains(local))
                    row = hit.row();
            }
            const bool enabled = target->isEnabled();
            QTest::mouseClick(receiver, Qt::LeftButton, {}, local);
            if (enabled && qobject_cast<ui::CommandButton *>(target))
                press(target);
            // The viewport selects the item hit; the frame's edge selects as
            // Qt pleases (not tracked); a scroll bar selects nothing.
            for (int i = 0; i < 4; ++i)
                if (target == &form.List1(i) && (receiver == list->viewport() || receiver == list))
                    model.selection[i] = row;
            for (int m = 2; m <= 13; ++m)
                if (target == &form.Label1(m))
                    model.selection.fill(m - 2);
        } else {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            const Qt::Key key = keys[random() % std::size(keys)];
            event = QStringLiteral("key %1 on %2").arg(key, 0, 16).arg(focus->objectName());
            QTest::keyClick(focus, key);
            const bool presses =
                key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
            if (presses && qobject_cast<ui::CommandButton *>(focus))
                press(focus);
            for (int i = 0; i < 4; ++i)
                if (focus == &form.List1(i) && key != Qt::Key_Tab && key != Qt::Key_Backtab)
                    model.selection[i].reset();
        }
        QString why;
        if (!check(window, model, why))
            QFAIL(qPrintable(QStringLiteral("after event %1 (%2): %3").arg(n).arg(event, why)));
        if (n % 1000 == 999)
            QCoreApplication::processEvents(); // let the window repaint now and then
        if (n == events / 10) {
            warmRss = memoryKiB().first;
            warmHeap = heapWithoutTypedText();
        }
    }
    const auto [endRss, endPeak] = memoryKiB();
    const long endHeap = heapWithoutTypedText();
    qInfo(
        "soak: %ld events in %lld ms; resident memory %ld KiB at start, %ld KiB after warm-up, "
        "%ld KiB at the end (peak %ld KiB); heap in use %ld KiB after warm-up, %ld KiB at the end",
        events, clock.elapsed(), startRss, warmRss, endRss, endPeak, warmHeap, endHeap);
    // After warming up, the window must not keep what it no longer shows. (Not
    // under AddressSanitizer, which keeps freed memory in quarantine on purpose
    // and has its own allocator.)
#ifndef __SANITIZE_ADDRESS__
    if (events >= 10000)
        QVERIFY2(endHeap - warmHeap < 512, "heap memory in use grew by 512 KiB or more");
#endif
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
