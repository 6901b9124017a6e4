#pragma once

#include "ui/runtime.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace ui {

// Keys that a control hands to the logic as a KeyDown.
enum class Key
{
    Left,
    Right,
    Home,
    End
};

// The chart surface: a sunken frame whose inside is the drawing area. Drawing
// goes to an image kept in device pixels, so pen widths are device pixels and
// nothing is blurred by scaling. With AutoRedraw the image is persistent and
// repaints itself; without it a drawing lasts only until the next repaint.
// While it has focus the frame shows the focus colour; the arrow keys, Home
// and End go to the logic as KeyDown.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    // The frame's width in logical pixels; in device pixels it is this times
    // the pixel ratio, rounded, and the drawing area starts right inside it.
    static constexpr int kBorderPixels = 2;

    explicit PictureBox(QWidget *parent = nullptr);

    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    void Cls();
    void setDrawWidth(long pixels);
    // The outer height in twips as the window's layout gives it; on screen it
    // is rounded to whole pixels.
    Single Height() const { return heightTwips_; }
    // A straight line between two points of the drawing area, in twips from
    // its top-left corner, y down; solid, DrawWidth device pixels wide, not
    // anti-aliased, clipped to the drawing area.
    void Line(Single x1, Single y1, Single x2, Single y2, Long color);

    void setDesignedHeight(int twips) { heightTwips_ = static_cast<Single>(twips); }
    QColor backColor() const { return backColor_; }
    // The drawing as it stands, in device pixels.
    const QImage &image();
    // The frame's width in device pixels at a pixel ratio.
    static int borderDevicePixels(qreal ratio);

    // For a screen reader: the parts of what the picture shows, by name, each
    // a child of the picture, and the one the user has reached (-1 for none).
    // Parts whose name changes say so; while the picture has focus, the part
    // reached is announced as the focus.
    void setAccessibleParts(const QStringList &names, int current);
    const QStringList &accessibleParts() const { return accessibleParts_; }
    int currentAccessiblePart() const { return currentAccessiblePart_; }
    // A screen reader's press on a part, which the logic hears as PartPress.
    void pressAccessiblePart(int index);

signals:
    void KeyDown(ui::Key key);
    void PartPress(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Stroke
    {
        Single x1, y1, x2, y2;
        int width;
        QRgb color;
    };

    void ensureImage(qreal ratio);
    void paintStroke(const Stroke &stroke);
    void drawFrame(QPainter &painter, const QRect &outer, const QRect &area) const;

    QColor backColor_;
    QStringList accessibleParts_;
    int currentAccessiblePart_ = -1;
    QImage image_;
    // Every line since the last Cls, so that the drawing can be redone
    // sharply when the window moves to a screen of another pixel ratio.
    std::vector<Stroke> strokes_;
    Single heightTwips_ = 0;
    int drawWidth_ = 1;
    bool autoRedraw_ = false;
};

} // namespace ui
