// Support for tests that run in a real window (under Xvfb).
//
// The test program's main starts the toolkit once for all tests, replaces its assert handler
// (a toolkit assertion fails the running test) and answers modal dialogs: each one is
// recorded, and unless a test asked for the dialog to run for real, it is answered with OK
// without being shown. A test fails when a dialog appeared that it did not take.
// HOME and XDG_DATA_HOME point at a fresh temporary folder for the whole run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/string.h>

class wxWindow;

namespace guitest {

struct DialogSeen {
    wxString title;
    wxString message; // empty for dialogs that are not message boxes
};

// Returns the dialogs seen since the last call and forgets them.
std::vector<DialogSeen> take_dialogs();

// While set, modal dialogs are shown for real; the action runs from inside the dialog's
// own event loop (once per dialog) and must end it, for instance by clicking a button.
// Every modal dialog must open with the port lock COMPORT free.
void set_modal_action(std::function<void(wxDialog*)> action);
void clear_modal_action();

// While set (and no modal action is), runs each time a modal dialog opens, before the dialog
// is answered with OK without being shown: the program waits in that dialog meanwhile, as
// it would in a shown one. Cleared at the end of each test.
void set_dialog_opened(std::function<void(wxDialog*)> hook);

// Runs the event loop for about the given time: timers fire, pending events and delayed
// destruction are processed.
void pump(int milliseconds);

// The X window of a shown top-level window, for request_close.
unsigned long x_window(wxWindow* window);

// Asks for the window to close as a window manager does (the WM_DELETE_WINDOW message), over an
// X connection of its own: any thread may ask, also while the program blocks.
void request_close(unsigned long xWindow);

// The temporary folder that HOME and XDG_DATA_HOME point into for this run.
std::string temp_home();

// True when the run is under a window manager (the tests' second run).
bool under_window_manager();

} // namespace guitest
