// The windows were laid out for another host's look: narrower fonts, a title bar inside the
// window's size, no menu bar in the window, disabled pictures drawn as enabled ones. These
// steps make them show as drawn on GTK. They run after a window's own layout and adjustment
// pass and change only what GTK needs.
#pragma once

#include <initializer_list>

class wxTimer;
class wxTopLevelWindow;
class wxWindow;

namespace gtk_look {

// Pictures stay enabled (GTK fades disabled ones), texts, buttons, check boxes and choices get
// at least the size GTK needs, group boxes keep inside their panels, panels hold their
// controls, the client area holds every panel, and the window is realized before its first
// show (a window manager would otherwise see it at 2 x 1).
void adapt(wxTopLevelWindow* window);

// Sizes the window by its client area, which on GTK lies below the menu bar and inside the
// window manager's frame: the area holds the panels of the window whole.
void fit_client_area(wxTopLevelWindow* window);

// Paints what changed in the window now, during a step that blocks the event loop. Nothing
// else runs meanwhile: timers are held off (a yield would run their handlers), and input, close
// requests and queued calls wait for the event loop.
void repaint_now(wxWindow* window, std::initializer_list<wxTimer*> timers);

// Takes the close requests for the window (a window manager's close) out of the events waiting
// for the event loop, and puts the others back in their order; true when there was one. Runs no
// handler. A blocking sequence that opens a dialog calls it first: the toolkit drops a close
// request for another window that reaches a modal dialog's event loop.
bool take_close_request(wxWindow* window);

} // namespace gtk_look
