#include "ui/accessible.h"

#include "ui/controls.h"
#include "ui/form.h"

#include <QAccessible>
#include <QAccessibleWidget>

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

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("ui::Label"))
        return new LabelInterface(static_cast<Label *>(object));
    if (className == QLatin1String("ui::PictureBox"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Chart);
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
