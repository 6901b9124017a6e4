#include "ui/accessible.h"

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/picturebox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

namespace ui {

namespace {

class LabelInterface : public QAccessibleWidget
{
public:
    explicit LabelInterface(Label *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        const QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            return label()->text().trimmed();
        return text.trimmed();
    }

    QStringList actionNames() const override
    {
        return label()->isPressable() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction() && label()->isPressable() && label()->isEnabled())
            label()->press();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    Label *label() const { return static_cast<Label *>(widget()); }
};

// One named part of the picture's drawing, such as a month of the chart: a
// child of the picture that can be focused but is no widget of its own.
class PicturePartInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    PicturePartInterface(PictureBox *picture, int index) : picture_(picture), index_(index) {}

    bool isValid() const override
    {
        return picture_ && index_ < picture_->accessibleParts().size();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return picture_ ? picture_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(picture_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override {}
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    // A part is pressed as the control it stands for would be clicked.
    QStringList actionNames() const override
    {
        return isValid() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && isValid())
            picture_->pressAccessiblePart(index_);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? picture_->accessibleParts().at(index_)
                                                   : QString();
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const bool current = picture_->currentAccessiblePart() == index_;
        state.focusable = true;
        state.selectable = true;
        state.selected = current;
        state.focused = current && picture_->hasFocus();
        return state;
    }

    // An equal share of the picture's width on screen, in the parts' order.
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect whole(picture_->mapToGlobal(QPoint(0, 0)), picture_->size());
        const int count = static_cast<int>(picture_->accessibleParts().size());
        const int left = whole.left() + whole.width() * index_ / count;
        const int right = whole.left() + whole.width() * (index_ + 1) / count;
        return QRect(left, whole.top(), right - left, whole.height());
    }

private:
    QPointer<PictureBox> picture_;
    int index_;
};

// The chart: a chart with its description, whose children are the parts of
// its drawing.
class PictureInterface : public QAccessibleWidget
{
public:
    explicit PictureInterface(PictureBox *picture) : QAccessibleWidget(picture, QAccessible::Chart)
    {
    }
    ~PictureInterface() override
    {
        for (QAccessible::Id id : partIds_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        return static_cast<int>(picture()->accessibleParts().size());
    }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Made once for each place and kept, so that a screen reader meets
        // the same object for the same part.
        while (partIds_.size() <= static_cast<std::size_t>(index))
            partIds_.push_back(QAccessible::registerAccessibleInterface(
                new PicturePartInterface(picture(), static_cast<int>(partIds_.size()))));
        return QAccessible::accessibleInterface(partIds_[static_cast<std::size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount() && i < static_cast<int>(partIds_.size()); ++i)
            if (QAccessible::accessibleInterface(partIds_[static_cast<std::size_t>(i)]) == child)
                return i;
        return -1;
    }

    QAccessibleInterface *focusChild() const override
    {
        const int current = picture()->currentAccessiblePart();
        return picture()->hasFocus() && current >= 0 ? child(current) : nullptr;
    }

private:
    PictureBox *picture() const { return static_cast<PictureBox *>(widget()); }

    mutable std::vector<QAccessible::Id> partIds_;
};

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("ui::Label"))
        return new LabelInterface(static_cast<Label *>(object));
    if (className == QLatin1String("ui::PictureBox"))
        return new PictureInterface(static_cast<PictureBox *>(object));
    if (className == QLatin1String("ui::Form"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    static const bool installed = (QAccessible::installFactory(interfaceFor), true);
    Q_UNUSED(installed);
}

} // namespace ui
