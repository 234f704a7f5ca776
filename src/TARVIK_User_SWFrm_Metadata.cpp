// The main window's BWF metadata button.
#include "TARVIK_User_SWFrm.h"

void TARVIK_User_SWFrm::MetaDataBtnClick(wxCommandEvent& WXUNUSED(event)) {}
