// The main window.
#pragma once

#include <wx/thread.h>
#include <wx/window.h>

// Serialises every request/answer exchange on the serial port.
extern wxSemaphore COMPORT;
// The main window, as parent for dialogs opened outside it.
extern wxWindow* TheParent;
