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

namespace {

void checkColour(const QWidget &control, const char *property, Long color)
{
    if (color < 0 || color > 0x00FFFFFF)
        raiseError(RuntimeError::InvalidValue,
                   QStringLiteral("%1.%2 = %3")
                       .arg(control.objectName(), QLatin1String(property))
                       .arg(color));
}

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
    // selected value with its month, as after a step to it. The toolkit
    // announces the list itself once the focus has moved, so the value
    // follows from the event loop.
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

// --- PictureBox -----------------------------------------------------------

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent), backColor_(designedPalette().color(QPalette::Window))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int PictureBox::borderDevicePixels(qreal ratio)
{
    return static_cast<int>(std::lround(kBorderPixels * ratio));
}

void PictureBox::setAccessibleParts(const QStringList &names, int current)
{
    const bool reordered = names.size() != accessibleParts_.size();
    accessibleParts_ = names;
    currentAccessiblePart_ = current >= 0 && current < names.size() ? current : -1;
    if (!QAccessible::isActive())
        return;
    if (reordered) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
    // A focus event for the part reached, as an item view gives for its
    // current item: screen readers say what the focus reached.
    if (currentAccessiblePart_ >= 0 && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(currentAccessiblePart_);
        QAccessible::updateAccessibility(&event);
    }
}

void PictureBox::Cls()
{
    strokes_.clear();
    setAccessibleParts({}, -1);
    setAccessibleDescription(QString::fromUtf8("празна"));
    if (!image_.isNull())
        image_.fill(backColor_);
    update();
}

void PictureBox::setDrawWidth(long pixels)
{
    if (pixels < 1 || pixels > std::numeric_limits<Integer>::max())
        raiseError(RuntimeError::InvalidValue,
                   QStringLiteral("%1.DrawWidth = %2").arg(objectName()).arg(pixels));
    drawWidth_ = static_cast<int>(pixels);
}

void PictureBox::Line(Single x1, Single y1, Single x2, Single y2, Long color)
{
    checkColour(*this, "Line colour", color);
    ensureImage(devicePixelRatioF());
    const Stroke stroke{x1, y1, x2, y2, drawWidth_, toQColor(color).rgb()};
    // A solid line covers exactly what an earlier line of the same geometry
    // covered, so the earlier one no longer shows and need not be kept.
    std::erase_if(strokes_, [&](const Stroke &s) {
        return s.x1 == x1 && s.y1 == y1 && s.x2 == x2 && s.y2 == y2 && s.width == stroke.width;
    });
    strokes_.push_back(stroke);
    paintStroke(stroke);
    update();
}

const QImage &PictureBox::image()
{
    ensureImage(devicePixelRatioF());
    return image_;
}

void PictureBox::ensureImage(qreal ratio)
{
    // The drawing area in device pixels: its edges rounded to whole device
    // pixels, so that the image fills it exactly at any ratio.
    const auto device = [ratio](int logical) {
        return static_cast<int>(std::lround(logical * ratio));
    };
    const QSize size(device(width() - kBorderPixels) - borderDevicePixels(ratio),
                     device(height() - kBorderPixels) - borderDevicePixels(ratio));
    if (!image_.isNull() && image_.devicePixelRatio() == ratio && image_.size() == size)
        return;
    image_ = QImage(size, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(backColor_);
    for (const Stroke &stroke : strokes_)
        paintStroke(stroke);
}

void PictureBox::paintStroke(const Stroke &stroke)
{
    // Twips become device pixels here, and the painter works in device
    // pixels too (ratio 1 while painting), so a pen of w pixels is w device
    // pixels at any screen scale. The pen is centred on the line: an odd
    // width exactly, an even one with the extra pixel right of or below it.
    // Both end points are covered and the ends are cut square, without caps,
    // so a vertical bar spans exactly the rows between its two end points.
    const qreal ratio = image_.devicePixelRatio();
    const int x1 = twipsToDevicePixels(stroke.x1, ratio);
    const int y1 = twipsToDevicePixels(stroke.y1, ratio);
    const int x2 = twipsToDevicePixels(stroke.x2, ratio);
    const int y2 = twipsToDevicePixels(stroke.y2, ratio);
    const int before = (stroke.width - 1) / 2;

    image_.setDevicePixelRatio(1.0);
    {
        QPainter painter(&image_);
        if (x1 == x2) {
            painter.fillRect(
                QRect(x1 - before, std::min(y1, y2), stroke.width, std::abs(y2 - y1) + 1),
                QColor(stroke.color));
        } else if (y1 == y2) {
            painter.fillRect(
                QRect(std::min(x1, x2), y1 - before, std::abs(x2 - x1) + 1, stroke.width),
                QColor(stroke.color));
        } else {
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(QColor(stroke.color), stroke.width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(x1, y1, x2, y2);
        }
    }
    image_.setDevicePixelRatio(ratio);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A change of pixel ratio (another screen, a new output scale) shows
    // here first: the image is then redrawn from the recorded lines. The
    // ratio is the painted device's, which is the screen's except when the
    // window is rendered elsewhere.
    const qreal ratio = painter.device()->devicePixelRatioF();
    ensureImage(ratio);
    // Frame and image are placed in device pixels, so that the frame ends
    // exactly where the drawing area starts and no device pixel between
    // them is left unpainted at a fractional ratio.
    painter.scale(1 / ratio, 1 / ratio);
    const QRect outer(0, 0, static_cast<int>(std::ceil(width() * ratio)),
                      static_cast<int>(std::ceil(height() * ratio)));
    const int inset = borderDevicePixels(ratio);
    const QRect area(QPoint(inset, inset), image_.size());
    drawFrame(painter, outer, area);
    painter.drawImage(QRectF(area), image_, QRectF(image_.rect()));
    if (!autoRedraw_) {
        strokes_.clear();
        image_.fill(backColor_);
    }
}

void PictureBox::drawFrame(QPainter &painter, const QRect &outer, const QRect &area) const
{
    // A sunken panel: an outer ring of half the frame's width, dark at the
    // top and left and light at the bottom and right, and an inner ring
    // darker still at the top and left. With focus, the whole frame takes the
    // focus colour instead.
    const QPalette look = designedPalette();
    const int outerWidth = std::max(1, static_cast<int>(std::lround(image_.devicePixelRatio())));
    const auto ring = [&painter](const QRect &out, const QRect &in, const QColor &topLeft,
                                 const QColor &bottomRight) {
        painter.fillRect(QRect(out.left(), out.top(), out.width(), in.top() - out.top()), topLeft);
        painter.fillRect(QRect(out.left(), out.top(), in.left() - out.left(), out.height()),
                         topLeft);
        painter.fillRect(
            QRect(out.left(), in.bottom() + 1, out.width(), out.bottom() - in.bottom()),
            bottomRight);
        painter.fillRect(QRect(in.right() + 1, out.top(), out.right() - in.right(), out.height()),
                         bottomRight);
    };
    if (hasFocus()) {
        const QColor focus = look.color(QPalette::Active, QPalette::Highlight);
        ring(outer, area, focus, focus);
        return;
    }
    const QRect middle = outer.adjusted(outerWidth, outerWidth, -outerWidth, -outerWidth) | area;
    ring(outer, middle, look.color(QPalette::Dark), look.color(QPalette::Light));
    ring(middle, area, look.color(QPalette::Shadow), look.color(QPalette::Midlight));
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Left:
            emit KeyDown(Key::Left);
            return;
        case Qt::Key_Right:
            emit KeyDown(Key::Right);
            return;
        case Qt::Key_Home:
            emit KeyDown(Key::Home);
            return;
        case Qt::Key_End:
            emit KeyDown(Key::End);
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace ui
