#pragma once

// The program's one window and its controls, built from the layout table.
// The chart logic reaches every control through the control arrays and the
// two single controls below; the window raises Load once, just before it is
// first shown.

#include "ui/controls.h"
#include "ui/picturebox.h"

#include <QWidget>

namespace ui {

class Form : public QWidget
{
    Q_OBJECT
public:
    explicit Form(QWidget *parent = nullptr);

    // The font of the window and of every control that shows text.
    static QFont windowFont();

    ControlArray<Label> Label1{QStringLiteral("Label1")};
    ControlArray<Label> Label2{QStringLiteral("Label2")};
    ControlArray<CommandButton> Command1{QStringLiteral("Command1")};
    ControlArray<CommandButton> Command3{QStringLiteral("Command3")};
    ControlArray<ListBox> List1{QStringLiteral("List1")};
    PictureBox *Picture1 = nullptr;
    TextBox *Text1 = nullptr;

    void setVisible(bool visible) override;

signals:
    void Load();

private:
    bool loaded_ = false;
};

} // namespace ui
