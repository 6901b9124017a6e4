#pragma once

#include <QTest>

// A left click in the middle of a widget, as a person gives it.
inline void click(QWidget &widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}
