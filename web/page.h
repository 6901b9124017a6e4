#pragma once

// What the program does differently when it runs in a web page: the page has
// no fonts of its own, no window manager and no message boxes, and a screen
// reader finds only a canvas there unless the page is told what it shows.

namespace web {

// Sets what the toolkit must know before the application exists.
void prepareToolkit();

// Registers the window's font, shows run-time errors in the page, and
// starts the accessible twin; called once the application exists, before
// the window is made.
void preparePage();

} // namespace web
