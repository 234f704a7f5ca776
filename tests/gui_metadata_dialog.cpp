// The metadata dialog on its own, run modally over a record.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "MetaDataDlg.h"
#include "gui_test.h"

namespace {

BWF_META_DATA make_record(uint8_t editable) {
    BWF_META_DATA meta;
    std::memset(&meta, 0, sizeof(meta));
    meta.editable = editable;
    std::strcpy(meta.description, "Interview\nK\xFC"
                                  "che");
    std::strcpy(meta.originator, "Radio");
    std::strcpy(meta.countryCode, "DE");
    std::strcpy(meta.organisationCode, "HDY");
    std::strcpy(meta.serialNumber, "0A1B2C3D");
    return meta;
}

class MetaDialog : public testing::Test {
  protected:
    void SetUp() override {
        parent = new wxFrame(nullptr, wxID_ANY, wxT("main"), wxDefaultPosition, wxSize(800, 600));
        parent->Show();
    }
    void TearDown() override {
        parent->Destroy();
        guitest::pump(20);
    }

    // Runs the dialog as the main window does; the action runs inside the modal run and ends
    // it. Returns the modal result.
    int run(BWF_META_DATA& meta, const std::function<void()>& action) {
        dialog = new MetaDataDlg(parent, &meta, 1, wxT("BWF Metadata"), wxDefaultPosition,
                                 wxDefaultSize, wxCAPTION);
        EXPECT_FALSE(dialog->IsShown());
        guitest::set_modal_action([&](wxDialog*) {
            guitest::clear_modal_action();
            guitest::pump(30); // idle time: the description filter has its first look
            action();
        });
        const int result = dialog->ShowModal();
        guitest::clear_modal_action();
        const auto seen = guitest::take_dialogs();
        EXPECT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen.at(0).title, wxT("BWF Metadata"));
        dialog->Destroy();
        guitest::pump(20);
        return result;
    }

    template <class T> T* find(const char* name) {
        auto* window = dynamic_cast<T*>(wxWindow::FindWindowByName(name, dialog));
        EXPECT_NE(window, nullptr) << name;
        return window;
    }
    wxTextCtrl* edit(const char* name) { return find<wxTextCtrl>(name); }
    void click(const char* button) {
        wxCommandEvent event(wxEVT_BUTTON, find<wxButton>(button)->GetId());
        event.SetEventObject(find<wxButton>(button));
        find<wxButton>(button)->GetEventHandler()->ProcessEvent(event);
    }
    // Types at the caret, as a keystroke or a paste does, and gives the filter its idle time.
    void type(const wxString& text) {
        edit("DescEdit")->WriteText(text);
        guitest::pump(30);
    }

    wxFrame* parent = nullptr;
    MetaDataDlg* dialog = nullptr;
};

TEST_F(MetaDialog, EditableDialogShowsTheRecordAndCancelLeavesItUnchanged) {
    BWF_META_DATA meta = make_record(1);
    const BWF_META_DATA before = meta;
    wxString description, serial, time, random;
    bool serialEnabled = true, cancelShown = false, cancelDefault = false;
    const int result = run(meta, [&] {
        description = edit("DescEdit")->GetValue();
        EXPECT_EQ(edit("OriginEdit")->GetValue(), wxT("Radio"));
        EXPECT_EQ(edit("OriginRefCCEdit")->GetValue(), wxT("DE"));
        EXPECT_EQ(edit("OriginRefOOOEdit")->GetValue(), wxT("HDY"));
        serial = edit("OriginRefSerialEdit")->GetValue();
        serialEnabled = edit("OriginRefSerialEdit")->IsEnabled();
        time = edit("OriginRefTimeEdit")->GetValue();
        random = edit("OriginRefRandomEdit")->GetValue();
        cancelShown = find<wxButton>("CancelBtn")->IsShown();
        cancelDefault = dialog->GetDefaultItem() == find<wxButton>("CancelBtn");
        for (const char* name : {"DescEdit", "OriginEdit", "OriginRefCCEdit", "OriginRefOOOEdit"})
            EXPECT_TRUE(edit(name)->IsEditable()) << name;
        // Edits that Cancel must throw away.
        edit("OriginEdit")->SetValue(wxT("Other"));
        type(wxT("more"));
        click("CancelBtn");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(description, wxString::FromUTF8("Interview\nK\xC3\xBC"
                                              "che"));
    EXPECT_EQ(serial, wxT("oVk_0A1B2C3D"));
    EXPECT_FALSE(serialEnabled);
    EXPECT_EQ(time, wxT("[Time]"));
    EXPECT_EQ(random, wxT("[Random]"));
    EXPECT_TRUE(cancelShown);
    EXPECT_TRUE(cancelDefault);
    EXPECT_EQ(meta.editable, 0);
    EXPECT_EQ(std::memcmp(meta.description, before.description, sizeof(meta.description)), 0);
    EXPECT_STREQ(meta.originator, "Radio");
}

TEST_F(MetaDialog, ViewOnlyDialogRefusesEditsAndOkKeepsTheRecord) {
    BWF_META_DATA meta = make_record(0);
    bool cancelShown = true, okDefault = false;
    const int result = run(meta, [&] {
        for (const char* name : {"DescEdit", "OriginEdit", "OriginRefCCEdit", "OriginRefOOOEdit"})
            EXPECT_FALSE(edit(name)->IsEditable()) << name;
        cancelShown = find<wxButton>("CancelBtn")->IsShown();
        okDefault = dialog->GetDefaultItem() == find<wxButton>("OkBtn");
        // Even text put there by other means does not reach the record.
        edit("OriginEdit")->SetValue(wxT("Other"));
        click("OkBtn");
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(cancelShown);
    EXPECT_TRUE(okDefault);
    EXPECT_EQ(meta.editable, 0);
    EXPECT_STREQ(meta.originator, "Radio");
}

TEST_F(MetaDialog, OkWritesTheFieldsBackInTheDeviceCharacterSet) {
    BWF_META_DATA meta = make_record(1);
    std::strcpy(meta.serialNumber, "");
    wxString serial;
    run(meta, [&] {
        serial = edit("OriginRefSerialEdit")->GetValue();
        edit("DescEdit")
            ->SetValue(wxString::FromUTF8("Stra\xC3\x9F"
                                          "e 7\nZimmer"));
        edit("OriginEdit")->SetValue(wxString::FromUTF8("Caf\xC3\xA9 \xE2\x82\xAC"));
        edit("OriginRefCCEdit")->SetValue(wxT("AT"));
        edit("OriginRefOOOEdit")->SetValue(wxT("X\tY"));
        click("OkBtn");
    });
    EXPECT_EQ(serial, wxT("oVk_"));
    EXPECT_EQ(meta.editable, 1);
    EXPECT_STREQ(meta.description, "Stra\xDF"
                                   "e 7\nZimmer");
    EXPECT_STREQ(meta.originator, "Caf_ _");
    EXPECT_STREQ(meta.countryCode, "AT");
    EXPECT_STREQ(meta.organisationCode, "X_Y");
    EXPECT_STREQ(meta.serialNumber, "");
}

TEST_F(MetaDialog, FieldsAcceptNoMoreThanTheirLength) {
    BWF_META_DATA meta = make_record(1);
    wxString cc, ooo, origin;
    // One keystroke at a time, as typed.
    auto keys = [&](const char* name, const wxString& text) {
        edit(name)->Clear();
        for (wxUniChar c : text)
            edit(name)->WriteText(wxString(c));
        return edit(name)->GetValue();
    };
    run(meta, [&] {
        cc = keys("OriginRefCCEdit", wxT("GBR"));
        ooo = keys("OriginRefOOOEdit", wxT("ABCD"));
        origin = keys("OriginEdit", wxString(wxT('o'), 40));
        click("OkBtn");
    });
    EXPECT_EQ(cc, wxT("GB"));
    EXPECT_EQ(ooo, wxT("ABC"));
    EXPECT_EQ(origin, wxString(wxT('o'), 32));
    EXPECT_STREQ(meta.countryCode, "GB");
    EXPECT_STREQ(meta.organisationCode, "ABC");
    EXPECT_EQ(std::strlen(meta.originator), 32u);
}

TEST_F(MetaDialog, DescriptionFilterDropsCharactersOutsideTheDeviceSet) {
    BWF_META_DATA meta = make_record(1);
    std::strcpy(meta.description, "Hello world");
    wxString afterBad, afterPaste, afterBreaks;
    long caretAfterBad = -1;
    run(meta, [&] {
        wxTextCtrl* desc = edit("DescEdit");
        desc->SetInsertionPoint(5);
        guitest::pump(30);
        type(wxString::FromUTF8("\xE2\x82\xAC")); // euro sign typed after "Hello"
        afterBad = desc->GetValue();
        caretAfterBad = desc->GetInsertionPoint();

        desc->SetInsertionPointEnd();
        guitest::pump(30);
        type(wxString::FromUTF8(" [a\xC3\xA9"
                                "b\rc\xE2\x80\x93"
                                "d]"));
        afterPaste = desc->GetValue();

        desc->SetInsertionPointEnd();
        guitest::pump(30);
        type(wxT("\nx\ty"));
        afterBreaks = desc->GetValue();
        click("OkBtn");
    });
    EXPECT_EQ(afterBad, wxT("Hello world"));
    EXPECT_EQ(caretAfterBad, 5);
    EXPECT_EQ(afterPaste, wxT("Hello world [abcd]"));
    EXPECT_EQ(afterBreaks, wxT("Hello world [abcd]\nxy"));
    EXPECT_STREQ(meta.description, "Hello world [abcd]\nxy");
}

TEST_F(MetaDialog, LongPasteIsCutTo256Characters) {
    BWF_META_DATA meta = make_record(1);
    meta.description[0] = '\0';
    wxString shown;
    run(meta, [&] {
        // 300 characters, the tab among them dropped: 299 left, 256 kept.
        wxString text;
        for (int i = 0; i < 300; ++i)
            text += i == 10 ? wxT('\t') : wxChar(wxT('a') + i % 26);
        edit("DescEdit")->ChangeValue(text); // a paste that bypasses the field's own limit
        guitest::pump(30);
        shown = edit("DescEdit")->GetValue();
        click("OkBtn");
    });
    ASSERT_EQ(shown.length(), 256u);
    EXPECT_EQ(shown.substr(0, 12), wxT("abcdefghijlm"));
    EXPECT_EQ(std::strlen(meta.description), 256u);
}

TEST_F(MetaDialog, FullDescriptionTakesNoMoreTyping) {
    BWF_META_DATA meta = make_record(1);
    std::string full;
    for (int i = 0; i < 256; ++i)
        full += static_cast<char>('a' + i % 26);
    std::strcpy(meta.description, full.c_str());
    wxString shown;
    long caret = -1;
    run(meta, [&] {
        wxTextCtrl* desc = edit("DescEdit");
        guitest::pump(30);
        desc->SetInsertionPoint(100);
        guitest::pump(30);
        for (const wxChar* key : {wxT("X"), wxT("Y"), wxT("Z")})
            type(key);
        shown = desc->GetValue();
        caret = desc->GetInsertionPoint();
        click("OkBtn");
    });
    EXPECT_EQ(shown, wxString(full));
    EXPECT_EQ(caret, 100);
    EXPECT_EQ(std::string(meta.description), full);
}

TEST_F(MetaDialog, ShownCentredWithItsButtonsInside) {
    BWF_META_DATA meta = make_record(0);
    wxRect dialogRect, okRect, cancelRect;
    wxPoint ccLabel;
    run(meta, [&] {
        dialogRect = dialog->GetScreenRect();
        okRect = find<wxButton>("OkBtn")->GetScreenRect();
        cancelRect = find<wxButton>("CancelBtn")->GetRect();
        ccLabel = find<wxStaticText>("WxStaticText1")->GetPosition();
        click("OkBtn");
    });
    // A window manager adds its frame to the size and places windows its own way.
    if (!guitest::under_window_manager()) {
        EXPECT_EQ(dialogRect.GetSize(), wxSize(410, 400));
        // Centred over its parent.
        const wxPoint centre = parent->GetScreenRect().GetPosition() + parent->GetSize() / 2;
        EXPECT_NEAR(dialogRect.GetLeft() + dialogRect.GetWidth() / 2, centre.x, 2);
        EXPECT_NEAR(dialogRect.GetTop() + dialogRect.GetHeight() / 2, centre.y, 2);
    }
    EXPECT_TRUE(dialogRect.Contains(okRect)) << okRect.x << "," << okRect.y;
    EXPECT_EQ(cancelRect.GetPosition(), wxPoint(185, 3));
    EXPECT_EQ(ccLabel, wxPoint(15, 278));
}

} // namespace
