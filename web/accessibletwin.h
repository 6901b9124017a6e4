#pragma once

// The window's accessible twin in the page. A canvas says nothing to a
// screen reader, so for every control that the toolkit's accessibility
// interfaces describe, and for the items of its lists and the months of its
// chart, the page holds an element with the matching ARIA role, name,
// description and states at the control's place, behind the canvas. The
// toolkit's accessibility events keep the elements up to date, the page's
// focus follows the window's, and the keys pressed on an element go on to
// the window. A screen reader in the browser hears what Orca hears on Linux.

namespace web {

// Starts listening to the toolkit's accessibility events; the twin is made
// once the window shows. Without the page's script it does nothing.
void installAccessibleTwin();

} // namespace web
