#pragma once

// The window's layout, defined once as data: every control with its array,
// index, text, position and size in twips, background, focus order and text
// alignment. The window is built from this table and never changed after.

#include "ui/runtime.h"

#include <optional>
#include <span>

namespace ui::layout {

enum class Array
{
    Label1,
    Label2,
    Command1,
    Command3,
    List1,
    Picture1,
    Text1
};
enum class Align
{
    Left,
    Centre
};

struct Font
{
    const char *family;
    double pointSize;
};

inline constexpr Font kWindowFont{"Times New Roman", 12.0};
inline constexpr Font kColourButtonFont{"MS Sans Serif", 8.25};

struct Control
{
    Array array;
    Integer index;
    const char *text; // UTF-8; empty for controls without a caption
    int left, top, width, height;
    std::optional<Long> background; // none: the platform's standard colour
    int tabIndex;
    Align align;
    Font font = kWindowFont;
};

struct Window
{
    const char *caption;
    int clientWidth, clientHeight;
    Long background;
};

extern const Window kWindow;
std::span<const Control> controls();
// What a screen reader calls the control where its caption does not say it
// (empty: the caption, or a name the program gives at run time).
QString accessibleName(const Control &control);
// The control's name as the logic spells it: "Command1(3)", "Picture1".
QString controlName(const Control &control);
// The task statement that the text box shows: nine lines, each ending in CR LF.
QString taskStatement();

} // namespace ui::layout
