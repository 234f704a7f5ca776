#include "ProtocolGuardDlg.h"

#include "FontProvider.h"
#include "GtkLook.h"

namespace {

enum {
    ID_ERR_LOG = 1001,
    ID_ERR_ACTION = 1002,
    ID_OK = 1003,
};

} // namespace

BEGIN_EVENT_TABLE(ProtocolGuardDlg, wxDialog)
EVT_CLOSE(ProtocolGuardDlg::OnClose)
EVT_BUTTON(ID_OK, ProtocolGuardDlg::OKClick)
END_EVENT_TABLE()

ProtocolGuardDlg::ProtocolGuardDlg(wxWindow* parent, wxWindowID id, const wxString& title,
                                   const wxPoint& pos, const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style, wxT("dialog")) {
    CreateGUIControls();
    Show(false);
}

ProtocolGuardDlg::~ProtocolGuardDlg() {}

void ProtocolGuardDlg::CreateGUIControls() {
    m_outerPanel =
        new wxPanel(this, -1, wxPoint(0, 0), wxSize(585, 325), wxTAB_TRAVERSAL | wxNO_BORDER);
    m_outerPanel->SetFont(FontProvider::smallFont());

    m_innerPanel = new wxPanel(m_outerPanel, -1, wxPoint(10, 10), wxSize(540, 280),
                               wxTAB_TRAVERSAL | wxNO_BORDER);
    m_innerPanel->SetFont(FontProvider::smallFont());

    // The long placeholder gives the label its first width; Boom replaces it.
    err_action =
        new wxStaticText(m_innerPanel, ID_ERR_ACTION, wxT("err_action") + wxString(wxT('-'), 91),
                         wxPoint(17, 12), wxDefaultSize, 0, wxT("err_action"));
    err_action->SetFont(FontProvider::normalFont());

    err_log = new wxTextCtrl(
        m_innerPanel, ID_ERR_LOG, wxT("err_log"), wxPoint(12, 81), wxSize(525, 129),
        wxVSCROLL | wxHSCROLL | wxTE_MULTILINE | wxTE_READONLY, wxDefaultValidator, wxT("err_log"));
    err_log->SetFont(FontProvider::normalFont());

    m_okButton = new wxButton(m_innerPanel, ID_OK, wxT("OK"), wxPoint(221, 235), wxSize(90, 25), 0,
                              wxDefaultValidator, wxT("OK"));
    m_okButton->SetFont(FontProvider::smallFont());

    SetTitle(wxT("oVk protocol guard"));
    SetIcon(wxNullIcon);
    SetSize(0, 0, 585, 325);
}

void ProtocolGuardDlg::Boom(wxString wxStrAction, wxString wxStrErrList) {
    err_action->SetLabel(
        wxT("The protocol guard has detected invalid parameter values while ") + wxStrAction +
        wxT(".\n") + wxT("This may happen from a version update or a setting corruption.\n") +
        wxT("The invalid values have been exchanged, please check the listing below for "
            "details."));
    err_log->SetValue(wxStrErrList);

    const int width = GetSize().GetWidth();
    err_action->SetSize(-1, -1, width - 15, -1, wxSIZE_USE_EXISTING);
    const wxPoint logPos = err_log->GetPosition();
    err_log->Move(logPos.x + 10, logPos.y);
    gtk_look::adapt(this);

    Centre(wxBOTH);
    ShowModal();
    Destroy();
}

// Both ways out end the modal run; Boom then hands the dialog to delayed destruction. Destroying
// it from inside the run would let the toolkit free it while ShowModal still uses it.
void ProtocolGuardDlg::OKClick(wxCommandEvent&) {
    dismiss();
    Show(false);
}

void ProtocolGuardDlg::OnClose(wxCloseEvent&) {
    dismiss();
}

// Outside a modal run (a close request while its parent goes away) there is no Boom to wait
// for: the dialog is destroyed at once.
void ProtocolGuardDlg::dismiss() {
    if (IsModal()) {
        EndModal(0);
    } else {
        Destroy();
    }
}
