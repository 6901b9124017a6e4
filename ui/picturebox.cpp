#include "ui/picturebox.h"

#include "ui/controls.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace ui {

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
    const QStringList before = std::exchange(accessibleParts_, names);
    currentAccessiblePart_ = current >= 0 && current < names.size() ? current : -1;
    if (!QAccessible::isActive())
        return;
    if (names.size() != before.size()) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    } else {
        for (int i = 0; i < names.size(); ++i) {
            if (names[i] == before[i])
                continue;
            QAccessibleEvent event(this, QAccessible::NameChanged);
            event.setChild(i);
            QAccessible::updateAccessibility(&event);
        }
    }
    // A focus event for the part reached, as an item view gives for its
    // current item: screen readers say what the focus reached.
    if (currentAccessiblePart_ >= 0 && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(currentAccessiblePart_);
        QAccessible::updateAccessibility(&event);
    }
}

void PictureBox::pressAccessiblePart(int index)
{
    if (index >= 0 && index < accessibleParts_.size() && isEnabled())
        emit PartPress(index);
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
