#include "MetaDataDlg.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FontProvider.h"
#include "GtkLook.h"
#include "string_conversion.h"

namespace {

enum {
    ID_OUTERPANEL = 1001,
    ID_DESCEDIT = 1002,
    ID_DESCLABEL = 1003,
    ID_ORIGINEDIT = 1004,
    ID_ORIGINLABEL = 1005,
    ID_ORIGINREFCCEDIT = 1006,
    ID_ORIGINREFOOOEDIT = 1007,
    ID_ORIGINREFSERIALEDIT = 1008,
    ID_ORIGINREFTIMEEDIT = 1009,
    ID_ORIGINREFRANDOMEDIT = 1010,
    ID_ORIGINREFLABEL = 1011,
    ID_WXSTATICTEXT1 = 1012,
    ID_WXSTATICTEXT2 = 1013,
    ID_WXSTATICTEXT3 = 1014,
    ID_WXSTATICTEXT4 = 1015,
    ID_WXSTATICTEXT5 = 1016,
    ID_WXSTATICTEXT6 = 1017,
    ID_WXSTATICTEXT7 = 1018,
    ID_CANCELBTN = 1019,
    ID_OKBTN = 1020,
};

constexpr size_t DESCRIPTION_MAX = sizeof(BWF_META_DATA::description) - 1;

wxPanel* make_panel(wxWindow* parent, int id, wxPoint pos, wxSize size) {
    auto* panel = new wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxNO_BORDER);
    panel->SetFont(FontProvider::smallFont());
    return panel;
}

wxStaticText* make_label(wxWindow* parent, int id, const wxString& text, wxPoint pos,
                         const char* name) {
    auto* label = new wxStaticText(parent, id, text, pos, wxDefaultSize, 0, name);
    label->SetFont(FontProvider::smallFont());
    return label;
}

// maxLength 0 leaves the length open. GTK keeps no limit for multi-line fields: there the
// description filter cuts the text instead.
wxTextCtrl* make_edit(wxWindow* parent, int id, const wxString& text, wxPoint pos, wxSize size,
                      long style, unsigned long maxLength, const char* name) {
    auto* edit = new wxTextCtrl(parent, id, text, pos, size, style, wxDefaultValidator, name);
    if (maxLength > 0 && edit->IsSingleLine())
        edit->SetMaxLength(maxLength);
    edit->SetFont(FontProvider::normalFont());
    return edit;
}

wxButton* make_button(wxWindow* parent, int id, const wxString& text, wxPoint pos,
                      const char* name) {
    auto* button = new wxButton(parent, id, text, pos, wxSize(91, 25), 0, wxDefaultValidator, name);
    button->SetFont(FontProvider::smallFont());
    return button;
}

// A record field as host text; a field without its NUL is read only to its end.
template <size_t N> wxString field_text(const char (&field)[N]) {
    const std::string bytes(field, strnlen(field, N));
    wxString text;
    convert_device_to_host_string(bytes.c_str(), text);
    return text;
}

template <size_t N> void set_field(char (&field)[N], const wxString& text) {
    convert_host_to_device_string(text, field, N, true);
}

void move_by(wxWindow* window, int dx, int dy) {
    const wxPoint at = window->GetPosition();
    window->Move(at.x + dx, at.y + dy);
}

} // namespace

BEGIN_EVENT_TABLE(MetaDataDlg, wxDialog)
EVT_SHOW(MetaDataDlg::OnShow)
EVT_CLOSE(MetaDataDlg::OnClose)
EVT_BUTTON(ID_OKBTN, MetaDataDlg::OkBtnClick)
EVT_BUTTON(ID_CANCELBTN, MetaDataDlg::CancelBtnClick)
EVT_UPDATE_UI(ID_DESCEDIT, MetaDataDlg::DescEditUpdated)
END_EVENT_TABLE()

MetaDataDlg::MetaDataDlg(wxWindow* parent, BWF_META_DATA* meta, int id, const wxString& title,
                         const wxPoint& pos, const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style, wxT("dialog")),
      m_meta(meta), m_lastDescription{}, m_lastInsertionPoint(0) {
    CreateGUIControls();
}

MetaDataDlg::~MetaDataDlg() {}

void MetaDataDlg::CreateGUIControls() {
    m_outerPanel = make_panel(this, ID_OUTERPANEL, wxPoint(0, 0), wxSize(420, 410));
    m_innerPanel = make_panel(m_outerPanel, -1, wxPoint(10, 10), wxSize(380, 380));
    wxPanel* p = m_innerPanel;

    DescEdit = make_edit(p, ID_DESCEDIT, wxEmptyString, wxPoint(9, 28), wxSize(369, 142),
                         wxTE_MULTILINE, DESCRIPTION_MAX, "DescEdit");
    DescLabel = make_label(p, ID_DESCLABEL, wxT("Description:"), wxPoint(12, 8), "DescLabel");
    OriginEdit = make_edit(p, ID_ORIGINEDIT, wxEmptyString, wxPoint(9, 195), wxSize(369, 25), 0,
                           sizeof(BWF_META_DATA::originator) - 1, "OriginEdit");
    OriginLabel =
        make_label(p, ID_ORIGINLABEL, wxT("Originator:"), wxPoint(12, 177), "OriginLabel");
    OriginRefCCEdit =
        make_edit(p, ID_ORIGINREFCCEDIT, wxT("CC"), wxPoint(10, 248), wxSize(33, 25), wxTE_CENTRE,
                  sizeof(BWF_META_DATA::countryCode) - 1, "OriginRefCCEdit");
    OriginRefOOOEdit =
        make_edit(p, ID_ORIGINREFOOOEDIT, wxT("OOO"), wxPoint(49, 248), wxSize(43, 25), wxTE_CENTRE,
                  sizeof(BWF_META_DATA::organisationCode) - 1, "OriginRefOOOEdit");
    OriginRefSerialEdit =
        make_edit(p, ID_ORIGINREFSERIALEDIT, wxT("oVk_01234567"), wxPoint(98, 248), wxSize(103, 25),
                  wxTE_CENTRE | wxTE_READONLY, 12, "OriginRefSerialEdit");
    OriginRefSerialEdit->Enable(false);
    OriginRefTimeEdit =
        make_edit(p, ID_ORIGINREFTIMEEDIT, wxT("[Time]"), wxPoint(207, 248), wxSize(72, 25),
                  wxTE_CENTRE | wxTE_READONLY, 0, "OriginRefTimeEdit");
    OriginRefTimeEdit->Enable(false);
    OriginRefRandomEdit =
        make_edit(p, ID_ORIGINREFRANDOMEDIT, wxT("[Random]"), wxPoint(286, 248), wxSize(91, 25),
                  wxTE_CENTRE | wxTE_READONLY, 0, "OriginRefRandomEdit");
    OriginRefRandomEdit->Enable(false);
    OriginRefLabel = make_label(p, ID_ORIGINREFLABEL, wxT("Originator Reference (USID):"),
                                wxPoint(13, 229), "OriginRefLabel");
    WxStaticText1 = make_label(p, ID_WXSTATICTEXT1, wxT("CC"), wxPoint(18, 278), "WxStaticText1");
    WxStaticText2 = make_label(p, ID_WXSTATICTEXT2, wxT("OOO"), wxPoint(57, 278), "WxStaticText2");
    WxStaticText3 =
        make_label(p, ID_WXSTATICTEXT3, wxT("Serial number"), wxPoint(113, 278), "WxStaticText3");
    WxStaticText4 = make_label(p, ID_WXSTATICTEXT4, wxT("CC:"), wxPoint(16, 304), "WxStaticText4");
    WxStaticText4->Show(false);
    WxStaticText5 = make_label(p, ID_WXSTATICTEXT5, wxT("OOO:"), wxPoint(16, 321), "WxStaticText5");
    WxStaticText5->Show(false);
    WxStaticText6 =
        make_label(p, ID_WXSTATICTEXT6, wxT("Country code"), wxPoint(56, 305), "WxStaticText6");
    WxStaticText6->Show(false);
    WxStaticText7 = make_label(p, ID_WXSTATICTEXT7, wxT("Organisation code"), wxPoint(55, 321),
                               "WxStaticText7");
    WxStaticText7->Show(false);

    m_buttonPanel = make_panel(p, -1, wxPoint(0, 315), wxSize(380, 35));
    CancelBtn =
        make_button(m_buttonPanel, ID_CANCELBTN, wxT("Cancel"), wxPoint(190, 0), "CancelBtn");
    OkBtn = make_button(m_buttonPanel, ID_OKBTN, wxT("Ok"), wxPoint(286, 0), "OkBtn");

    SetTitle(wxT("BWF Metadata"));
    SetIcon(wxNullIcon);
    SetSize(0, 0, 420, 410);
    PatchControlsForMAC();

    if (m_meta->editable) {
        CancelBtn->SetDefault();
        CancelBtn->SetFocus();
    } else {
        for (wxTextCtrl* edit : {DescEdit, OriginEdit, OriginRefCCEdit, OriginRefOOOEdit})
            edit->SetEditable(false);
        CancelBtn->Show(false);
        OkBtn->SetDefault();
        OkBtn->SetFocus();
    }
    ShowRecord();
    gtk_look::adapt(this);
}

void MetaDataDlg::PatchControlsForMAC() {
    SetSize(410, 400);
    m_outerPanel->SetSize(410, 400);
    for (wxButton* button : {OkBtn, CancelBtn}) {
        move_by(button, -5, 3);
        button->SetSize(button->GetBestSize());
    }
    move_by(WxStaticText1, -3, 0);
    move_by(WxStaticText2, -3, 0);
}

void MetaDataDlg::ShowRecord() {
    DescEdit->SetValue(field_text(m_meta->description));
    OriginEdit->SetValue(field_text(m_meta->originator));
    OriginRefCCEdit->SetValue(field_text(m_meta->countryCode));
    OriginRefOOOEdit->SetValue(field_text(m_meta->organisationCode));
    OriginRefSerialEdit->SetValue(wxT("oVk_") + field_text(m_meta->serialNumber));
}

void MetaDataDlg::OnShow(wxShowEvent& event) {
    if (event.IsShown())
        Centre(wxBOTH);
    event.Skip();
}

// Only ends the run: the caller reads the record and then destroys the dialog.
void MetaDataDlg::OnClose(wxCloseEvent& WXUNUSED(event)) {
    if (IsModal())
        EndModal(0);
    else
        Show(false);
}

void MetaDataDlg::OkBtnClick(wxCommandEvent& WXUNUSED(event)) {
    if (m_meta->editable) {
        set_field(m_meta->description, DescEdit->GetValue());
        set_field(m_meta->originator, OriginEdit->GetValue());
        set_field(m_meta->countryCode, OriginRefCCEdit->GetValue());
        set_field(m_meta->organisationCode, OriginRefOOOEdit->GetValue());
    }
    Close();
}

void MetaDataDlg::CancelBtnClick(wxCommandEvent& WXUNUSED(event)) {
    m_meta->editable = 0;
    Close();
}

// Characters outside the device set vanish as soon as they appear, and the caret goes back to
// where it stood before them; a longer paste is cut to the field's length.
void MetaDataDlg::DescEditUpdated(wxUpdateUIEvent& WXUNUSED(event)) {
    const wxString text = DescEdit->GetValue();
    // Every host character becomes at most one device byte.
    std::vector<char> replaced(text.length() + 1);
    std::vector<char> dropped(text.length() + 1);
    convert_host_to_device_string(text, replaced.data(), replaced.size(), true);
    convert_host_to_device_string(text, dropped.data(), dropped.size(), false);

    if (std::strcmp(replaced.data(), dropped.data()) != 0 ||
        std::strcmp(dropped.data(), m_lastDescription) != 0) {
        // A full description takes no more typing (GTK keeps no length limit on multi-line
        // fields): cutting the end instead would drop text the user already had.
        const bool full = std::strlen(m_lastDescription) == DESCRIPTION_MAX;
        if (!full || std::strlen(dropped.data()) <= DESCRIPTION_MAX) {
            const size_t length = std::min(std::strlen(dropped.data()), DESCRIPTION_MAX);
            std::memcpy(m_lastDescription, dropped.data(), length);
            m_lastDescription[length] = '\0';
        }
        wxString accepted;
        convert_device_to_host_string(m_lastDescription, accepted);
        if (accepted != DescEdit->GetValue()) {
            DescEdit->SetValue(accepted);
            DescEdit->SetInsertionPoint(
                std::min(m_lastInsertionPoint, DescEdit->GetLastPosition()));
        }
    }
    m_lastInsertionPoint = DescEdit->GetInsertionPoint();
}
