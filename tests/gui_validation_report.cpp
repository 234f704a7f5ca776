#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "TARVIK_User_SWFrm.h"
#include "gui_test.h"
#include "tarvik_settings.h"

namespace {

class ValidationReport : public ::testing::Test {
  protected:
    void SetUp() override {
        parent = new wxFrame(nullptr, wxID_ANY, wxT("parent"));
        TheParent = parent;
        init_settings_mapping();
        for (int p = 0; p < PRESETS_COUNT; ++p)
            preload_preset_backup(p);
        write_setting_init("loading from device");
    }
    void TearDown() override {
        TheParent = nullptr;
        parent->Destroy();
        guitest::pump(20);
    }

    static void load(int setting, int preset, const char* text) {
        char buffer[180] = {};
        std::strncpy(buffer, text, sizeof(buffer) - 1);
        write_setting_value(setting, preset, buffer);
    }

    wxFrame* parent = nullptr;
};

} // namespace

TEST_F(ValidationReport, LoadWithoutReplacementsShowsNoDialog) {
    load(SETTING_REC_FILE_FORMAT, 0, "MP2");
    load(SETTING_REC_BITRATE, 0, "160\n");
    write_setting_done();
    EXPECT_TRUE(guitest::take_dialogs().empty());
}

TEST_F(ValidationReport, ReplacementsAreShownOnceInTheGuardDialog) {
    load(SETTING_REC_FILE_FORMAT, 2, "W\xC4V");
    load(SETTING_REC_STOP_DOUBLE, 5, "7");
    const wxString report = wxStrErrList;
    ASSERT_FALSE(report.empty());

    wxWindow* dialog_parent = nullptr;
    wxString shown_log;
    wxString shown_action;
    guitest::set_modal_action([&](wxDialog* dialog) {
        dialog_parent = dialog->GetParent();
        if (auto* log = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("err_log", dialog)))
            shown_log = log->GetValue();
        if (auto* action =
                dynamic_cast<wxStaticText*>(wxWindow::FindWindowByName("err_action", dialog)))
            shown_action = action->GetLabel();
        wxCommandEvent ok(wxEVT_BUTTON, 1003);
        dialog->GetEventHandler()->ProcessEvent(ok);
    });
    write_setting_done();
    guitest::clear_modal_action();
    guitest::pump(20);

    const std::vector<guitest::DialogSeen> seen = guitest::take_dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, wxT("oVk protocol guard"));
    EXPECT_EQ(dialog_parent, parent);
    EXPECT_EQ(shown_log, report);
    EXPECT_TRUE(shown_log.Contains(wxString::FromUTF8("invalid_value: \"W\xC3\x84V\"")));
    EXPECT_TRUE(shown_action.Contains(wxT("while loading from device.")));
    // The report stays until the next one starts.
    EXPECT_EQ(wxStrErrList, report);
}
