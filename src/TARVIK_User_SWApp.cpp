#include "TARVIK_User_SWApp.h"

#include <cstdio>

#include <wx/menu.h>

#include "TARVIK_User_SWFrm.h"

bool TARVIK_User_SWFrmApp::OnInit() {
    // Diagnostic lines reach a file or pipe whole and in time, not torn apart by the
    // toolkit's own messages on standard error.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto* frame = new TARVIK_User_SWFrm(nullptr, 1, wxT("TARVIK User Settings"), wxDefaultPosition,
                                        wxDefaultSize,
                                        wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX);
#ifdef __WXOSX__
    wxApp::s_macHelpMenuTitleName = wxT("Help");
#endif
    auto* menuBar = new wxMenuBar();
    auto* helpMenu = new wxMenu(0);
    helpMenu->Append(new wxMenuItem(helpMenu, 2001, wxT("oVk user help"), wxEmptyString));
    menuBar->Append(helpMenu, wxT("Help"));
    frame->SetMenuBar(menuBar);
    frame->Bind(wxEVT_MENU, &TARVIK_User_SWFrm::HelpClick, frame, 2001);
    SetTopWindow(frame);
    frame->Show(true);
    return true;
}

int TARVIK_User_SWFrmApp::OnExit() {
    return 0;
}

#ifdef OVK_NO_MAIN
wxIMPLEMENT_APP_NO_MAIN(TARVIK_User_SWFrmApp);
#else
wxIMPLEMENT_APP(TARVIK_User_SWFrmApp);
#endif
