#pragma once

// Helpers of the widget tests: the program's window as a person finds it,
// and a click as a person gives it.

#include "app/vendrola.h"

#include <QApplication>
#include <QTest>

// A left click in the middle of a widget.
inline void click(QWidget &widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

// The program's window, shown and active.
struct Window
{
    Window()
    {
        window.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("window not active");
    }
    app::Vendrola window;
    ui::Form &form = window.form();
};
