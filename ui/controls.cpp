#include "ui/controls.h"

#include "ui/look.h"
#include "ui/twips.h"

#include <QAccessible>
#include <QApplication>
#include <qdrawutil.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

void checkColour(const QWidget &control, const char *property, Long color)
{
    if (color < 0 || color > 0x00FFFFFF)
        raiseError(RuntimeError::InvalidValue,
                   QStringLiteral("%1.%2 = %3")
                       .arg(control.objectName(), QLatin1String(property))
                       .arg(color));
}

namespace {

// Black or white, whichever reads better on the given background.
QColor contrastingInk(Long background)
{
    return inkFor(toQColor(background));
}

} // namespace

QColor toQColor(Long color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// --- CommandButton --------------------------------------------------------

CommandButton::CommandButton(QWidget *parent) : QAbstractButton(parent)
{
    connect(this, &QAbstractButton::clicked, this, &CommandButton::Click);
}

void CommandButton::setBackColor(Long color)
{
    checkColour(*this, "BackColor", color);
    backColor_ = color;
    update();
}

void CommandButton::setAccessibleBaseName(const QString &name)
{
    accessibleBaseName_ = name;
    updateAccessibleName();
}

void CommandButton::updateAccessibleName()
{
    if (accessibleBaseName_.isEmpty())
        return;
    const QString state =
        isEnabled() ? QString::fromUtf8("свободен") : QString::fromUtf8("използван");
    setAccessibleName(accessibleBaseName_ + QStringLiteral(" – ") + state);
}

void CommandButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        updateAccessibleName();
    QAbstractButton::changeEvent(event);
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QBrush face(toQColor(backColor_));
    qDrawWinButton(&painter, rect(), palette(), isDown(), &face);

    constexpr int kBevel = 2;
    const QRect inside = rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
    const QColor ink = contrastingInk(backColor_);
    if (!text().isEmpty()) {
        const int shift = isDown() ? 1 : 0;
        painter.setPen(ink);
        painter.drawText(inside.translated(shift, shift), Qt::AlignCenter, text());
    } else if (!isEnabled()) {
        painter.setPen(ink);
        painter.drawLine(inside.topLeft(), inside.bottomRight());
        painter.drawLine(inside.topRight(), inside.bottomLeft());
    }
    if (hasFocus()) {
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(inside.adjusted(1, 1, -2, -2));
    }
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    // A focused button is pressed with Enter as well as with Space.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

// --- Label ----------------------------------------------------------------

Label::Label(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
}

void Label::setBackColor(Long color)
{
    checkColour(*this, "BackColor", color);
    backColor_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(color));
    pal.setColor(QPalette::WindowText, contrastingInk(color));
    setPalette(pal);
    setAutoFillBackground(true);
    updateAccessibleName();
}

void Label::setAccessibleColourNames(const QString &baseName, std::span<const ColourName> names)
{
    accessibleBaseName_ = baseName;
    colourNames_ = names;
    updateAccessibleName();
}

void Label::updateAccessibleName()
{
    if (!accessibleBaseName_.isEmpty())
        setAccessibleName(accessibleBaseName_ + QStringLiteral(" – ") + colourName());
}

QString Label::colourName() const
{
    for (const ColourName &entry : colourNames_)
        if (entry.color == backColor_)
            return QString::fromUtf8(entry.name);
    return colourNames_.empty() ? QString() : toQColor(backColor_).name();
}

void Label::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit Click();
}

// --- ListBox --------------------------------------------------------------

namespace {

// Whether the platform's accessibility bridge announces a list's current
// item when the list takes the focus.
constexpr bool kBridgeAnnouncesCurrentItem =
#if defined(Q_OS_WIN) || defined(Q_OS_WASM)
    true;
#else
    false;
#endif

} // namespace

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

void ListBox::Clear()
{
    clear();
}

void ListBox::AddItem(const QString &text)
{
    auto *item = new QListWidgetItem(text);
    if (const int row = count(); row < itemLabels_.size())
        item->setData(Qt::AccessibleTextRole, itemLabels_[row] + QStringLiteral(": ") + text);
    addItem(item);
}

void ListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The list view tells assistive technology that focus moved to the new
    // current item, even when the list has no focus, as when the program
    // selects a month in all four lists at once. Only a list with focus
    // says so; the new selection is announced either way.
    if (hasFocus())
        QListWidget::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    // With nothing selected, the first step down or up selects the item
    // in view at the top, January after a reset, rather than stepping past it.
    const bool step = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (step && event->modifiers() == Qt::NoModifier && count() > 0 &&
        selectionModel()->selectedRows().isEmpty()) {
        const QModelIndex top = indexAt(QPoint(0, 0));
        const int row = top.isValid() ? top.row() : 0;
        // Cleared first, so that the item reached is announced even when it
        // already was the current one.
        selectionModel()->clearCurrentIndex();
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    // Coming back to a list from the keyboard, a screen reader hears the
    // selected value with its month, as after a step to it. Windows's UI
    // Automation bridge already moves the focus on to a list's current item
    // (and the page's accessible twin does as it does); AT-SPI's announces
    // the list alone, once the focus has moved, so there the value follows
    // from the event loop.
    if constexpr (kBridgeAnnouncesCurrentItem)
        return;
    const int row = ListIndex();
    if (row < 0 || event->reason() == Qt::MouseFocusReason || !QAccessible::isActive())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            if (!hasFocus() || ListIndex() != row)
                return;
            QAccessibleEvent focus(this, QAccessible::Focus);
            focus.setChild(row);
            QAccessible::updateAccessibility(&focus);
        },
        Qt::QueuedConnection);
}

void ListBox::setListIndex(long index)
{
    if (index < -1 || index >= count())
        raiseError(RuntimeError::NoSuchListItem,
                   QStringLiteral("%1.ListIndex = %2").arg(objectName()).arg(index));
    if (index == -1) {
        // Clearing the selection model drops both selection and current item
        // without scrolling.
        selectionModel()->clear();
        return;
    }
    const int row = static_cast<int>(index);
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row), QAbstractItemView::EnsureVisible);
}

Integer ListBox::ListIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? Integer{-1} : static_cast<Integer>(rows.first().row());
}

QString ListBox::List(long index) const
{
    if (index < 0 || index >= count())
        raiseError(RuntimeError::NoSuchListItem,
                   QStringLiteral("%1.List(%2)").arg(objectName()).arg(index));
    return item(static_cast<int>(index))->text();
}

// --- TextBox --------------------------------------------------------------

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace ui
