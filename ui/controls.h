#pragma once

// The window's controls, each offering just the operations the chart logic
// uses on it. Colours are Longs of the form 0x00BBGGRR; positions of the
// picture's drawing are twips.

#include "ui/runtime.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QObject>
#include <QPlainTextEdit>

#include <span>
#include <vector>

namespace ui {

QColor toQColor(Long color);
// Raises InvalidValue unless the colour is one of 0x00000000..0x00FFFFFF;
// property names the control's property in the error's place.
void checkColour(const QWidget &control, const char *property, Long color);

// A colour as a screen reader names it.
struct ColourName
{
    Long color;
    const char *name; // UTF-8
};

// The elements of one control array, told apart by their Integer index. A
// click on an element raises the array's Click with the element's index.
class ControlArrayBase : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void Click(ui::Integer Index);
};

template <typename Control> class ControlArray : public ControlArrayBase
{
public:
    explicit ControlArray(QString name) : name_(std::move(name)) {}

    // Used while the window is built; elements come in index order from 0.
    void add(Control *control)
    {
        const auto index = static_cast<Integer>(elements_.size());
        elements_.push_back(control);
        if constexpr (requires { &Control::Click; })
            connect(control, &Control::Click, this, [this, index] { emit Click(index); });
    }

    Control &Item(long index) const
    {
        if (index < 0 || index >= static_cast<long>(elements_.size()))
            raiseError(RuntimeError::NoSuchControl, QStringLiteral("%1(%2)").arg(name_).arg(index));
        return *elements_[static_cast<std::size_t>(index)];
    }
    Control &operator()(long index) const { return Item(index); }

    Integer count() const { return static_cast<Integer>(elements_.size()); }
    const QString &name() const { return name_; }

private:
    QString name_;
    std::vector<Control *> elements_;
};

// A graphical command button: its face is a flat fill of BackColor inside a
// raised bevel, with an optional centred caption. A disabled button keeps its
// face colour and is crossed out, so a used palette colour stays recognisable.
class CommandButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CommandButton(QWidget *parent = nullptr);

    Long BackColor() const { return backColor_; }
    void setBackColor(Long color);
    // For a button without caption: what a screen reader calls it. It adds
    // whether the button can still be used, and follows Enabled.
    void setAccessibleBaseName(const QString &name);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateAccessibleName();

    Long backColor_ = 0x00C0C0C0;
    QString accessibleBaseName_;
};

// A label with an opaque background; press and release inside it is a Click.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);

    void setBackColor(Long color);

    // For a screen reader: the label's name is the base name followed by the
    // name of its background colour, and follows every change of BackColor.
    void setAccessibleColourNames(const QString &baseName, std::span<const ColourName> names);
    // The name of the background colour; empty without colour names.
    QString colourName() const;
    // Offers a press action to assistive technology, which clicks the label.
    void setPressable(bool pressable) { pressable_ = pressable; }
    bool isPressable() const { return pressable_; }
    void press() { emit Click(); }

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateAccessibleName();

    Long backColor_ = -1;
    QString accessibleBaseName_;
    std::span<const ColourName> colourNames_;
    bool pressed_ = false;
    bool pressable_ = false;
};

// A plain single-selection, unsorted list box.
class ListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    void Clear();
    void AddItem(const QString &text);
    // 0..count-1 selects that item and scrolls it into view; -1 removes the
    // selection and leaves the list where it is scrolled.
    void setListIndex(long index);
    Integer ListIndex() const;
    QString List(long index) const;
    Integer ListCount() const { return static_cast<Integer>(count()); }

    // For a screen reader: item i is read as "label i: text", while it shows
    // only its text.
    void setItemLabels(const QStringList &labels) { itemLabels_ = labels; }

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QStringList itemLabels_;
};

// A multi-line, word-wrapping text box with a vertical scroll bar.
class TextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
};

} // namespace ui
