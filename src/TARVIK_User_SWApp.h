// The application object.
#pragma once

#include <wx/app.h>

class TARVIK_User_SWFrmApp : public wxApp {
  public:
    bool OnInit() override;
    int OnExit() override;
};

wxDECLARE_APP(TARVIK_User_SWFrmApp);
