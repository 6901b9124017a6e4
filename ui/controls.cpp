#include "ui/controls.h"

#include "ui/twips.h"

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
        raiseError(RuntimeError::InvalidValue, QStringLiteral("%1.%2 = %3")
                                                   .arg(control.objectName(),
                                                        QLatin1String(property))
                                                   .arg(color));
}

// Black or white, whichever reads better on the given background.
QColor contrastingInk(Long background)
{
    const QColor c = toQColor(background);
    const int luma = (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000;
    return luma < 128 ? QColor(Qt::white) : QColor(Qt::black);
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
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
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
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(color));
    pal.setColor(QPalette::WindowText, contrastingInk(color));
    setPalette(pal);
    setAutoFillBackground(true);
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
    addItem(text);
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
    : QWidget(parent), backColor_(QApplication::palette().color(QPalette::Window))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect PictureBox::drawingArea() const
{
    return rect().adjusted(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels);
}

void PictureBox::Cls()
{
    strokes_.clear();
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
    ensureImage();
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
    ensureImage();
    return image_;
}

void PictureBox::ensureImage()
{
    // The drawing area in device pixels: its edges rounded to whole device
    // pixels, so that the image fills it exactly at any ratio.
    const qreal ratio = devicePixelRatioF();
    const auto device = [ratio](int logical) {
        return static_cast<int>(std::lround(logical * ratio));
    };
    const QSize size(device(width() - kBorderPixels) - device(kBorderPixels),
                     device(height() - kBorderPixels) - device(kBorderPixels));
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
    ensureImage();
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), true);
    // The border is in logical pixels; start the image on a whole device
    // pixel so that no bar is resampled across two columns.
    const qreal ratio = image_.devicePixelRatio();
    const qreal inset = std::round(kBorderPixels * ratio) / ratio;
    painter.drawImage(QPointF(inset, inset), image_);
    if (!autoRedraw_) {
        strokes_.clear();
        image_.fill(backColor_);
    }
}

} // namespace ui
