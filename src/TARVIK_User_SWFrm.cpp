#include "TARVIK_User_SWFrm.h"

wxSemaphore COMPORT(1, 1);
wxWindow* TheParent = nullptr;
