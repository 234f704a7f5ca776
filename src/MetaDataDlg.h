// The BWF metadata record and the dialog that shows and edits it.
#pragma once

#include <cstdint>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// The metadata the device writes into its BWF recordings, as NUL-terminated texts in the
// device character set.
struct BWF_META_DATA {
    // In: the dialog may change the values. Out: still set only after Ok in an editable dialog.
    uint8_t editable;
    char description[257];
    char originator[33];
    char countryCode[3];
    char organisationCode[4];
    char serialNumber[9]; // "noserial" when the device gave none
};
static_assert(sizeof(BWF_META_DATA) == 307, "the record has no padding");

// Shows the record, and edits it when it is editable. The caller runs it modally, reads the
// record afterwards (Ok or Cancel shows only in `editable`) and destroys the dialog.
class MetaDataDlg : public wxDialog {
  public:
    MetaDataDlg(wxWindow* parent, BWF_META_DATA* meta, int id = 1,
                const wxString& title = wxT("BWF Metadata"), const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxCAPTION);
    virtual ~MetaDataDlg();

  private:
    void CreateGUIControls();
    void PatchControlsForMAC();
    void ShowRecord();

    void OnShow(wxShowEvent& event);
    void OnClose(wxCloseEvent& event);
    void OkBtnClick(wxCommandEvent& event);
    void CancelBtnClick(wxCommandEvent& event);
    void DescEditUpdated(wxUpdateUIEvent& event);

    wxButton* OkBtn;
    wxButton* CancelBtn;
    wxStaticText* WxStaticText7;
    wxStaticText* WxStaticText6;
    wxStaticText* WxStaticText5;
    wxStaticText* WxStaticText4;
    wxStaticText* WxStaticText3;
    wxStaticText* WxStaticText2;
    wxStaticText* WxStaticText1;
    wxStaticText* OriginRefLabel;
    wxTextCtrl* OriginRefRandomEdit;
    wxTextCtrl* OriginRefTimeEdit;
    wxTextCtrl* OriginRefSerialEdit;
    wxTextCtrl* OriginRefOOOEdit;
    wxTextCtrl* OriginRefCCEdit;
    wxStaticText* OriginLabel;
    wxTextCtrl* OriginEdit;
    wxStaticText* DescLabel;
    wxTextCtrl* DescEdit;
    wxPanel* m_outerPanel;
    wxPanel* m_innerPanel;
    wxPanel* m_buttonPanel;

    BWF_META_DATA* m_meta;
    // The last accepted description in the device character set, at most 256 characters.
    char m_lastDescription[512];
    long m_lastInsertionPoint;

    DECLARE_EVENT_TABLE()
};
