#pragma once

// What assistive technology is told about the window's own kinds of control
// where the toolkit's generic answer would mislead: the window is a window
// (not a filler), the chart surface is a chart with its description and the
// parts of its drawing as children, and a label's name carries no blanks
// around it and, where the label can be clicked, comes with a press action.

namespace ui {

// Installs the interfaces; called before the first control is made.
void installAccessibleInterfaces();

} // namespace ui
