// The dialog that lists setting values read from the device that were invalid or missing and
// have been replaced.
#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// Lives on the heap: create it with new, call Boom once; it destroys itself when dismissed.
class ProtocolGuardDlg : public wxDialog {
  public:
    ProtocolGuardDlg(wxWindow* parent, wxWindowID id = 1, const wxString& title = wxT("the guard"),
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                     long style = wxCAPTION | wxCLOSE_BOX);
    virtual ~ProtocolGuardDlg();

    // Shows the action phrase in the explanation and the report lines in the list, then runs
    // the dialog modally; returns once it has been dismissed, leaving it to be destroyed.
    void Boom(wxString wxStrAction, wxString wxStrErrList);

  private:
    void CreateGUIControls();
    void OKClick(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void dismiss();

    wxPanel* m_outerPanel;
    wxPanel* m_innerPanel;
    wxButton* m_okButton;
    wxStaticText* err_action;
    wxTextCtrl* err_log;

    DECLARE_EVENT_TABLE()
};
