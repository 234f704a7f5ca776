#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include "ProtocolGuardDlg.h"
#include "gui_test.h"

namespace {

const wxString expectedLabel =
    wxT("The protocol guard has detected invalid parameter values while loading from device.\n"
        "This may happen from a version update or a setting corruption.\n"
        "The invalid values have been exchanged, please check the listing below for details.");

class ProtocolGuard : public testing::Test {
  protected:
    void SetUp() override {
        parent = new wxFrame(nullptr, wxID_ANY, wxT("main"), wxDefaultPosition, wxSize(800, 600));
        parent->Show();
    }
    void TearDown() override {
        parent->Destroy();
        guitest::pump(20);
    }

    ProtocolGuardDlg* make() {
        return new ProtocolGuardDlg(parent, 1, wxT("the guard"), wxDefaultPosition, wxDefaultSize,
                                    wxCAPTION | wxCLOSE_BOX);
    }

    // The dialog's own windows, found by id.
    static wxTextCtrl* log(wxDialog* d) { return dynamic_cast<wxTextCtrl*>(d->FindWindow(1001)); }
    static wxStaticText* label(wxDialog* d) {
        return dynamic_cast<wxStaticText*>(d->FindWindow(1002));
    }
    static wxButton* ok(wxDialog* d) { return dynamic_cast<wxButton*>(d->FindWindow(1003)); }

    // Runs Boom with an action taken from inside the modal run; returns whether the dialog
    // was gone once Boom had returned and pending destruction had run.
    bool boomAndDismiss(std::function<void(wxDialog*)> dismiss) {
        wxWeakRef<ProtocolGuardDlg> dialog = make();
        bool wasModal = false;
        guitest::set_modal_action([&](wxDialog* d) {
            wasModal = d->IsModal();
            dismiss(d);
        });
        dialog->Boom(wxT("loading from device"), wxT("x 1 y z\n"));
        guitest::clear_modal_action();
        EXPECT_TRUE(wasModal);
        EXPECT_EQ(guitest::take_dialogs().size(), 1u);
        // Still there while Boom returns: freeing it inside its own modal run would be fatal.
        EXPECT_NE(dialog.get(), nullptr);
        guitest::pump(50);
        return dialog.get() == nullptr;
    }

    wxFrame* parent;
};

TEST_F(ProtocolGuard, BuildsItsControlsHidden) {
    ProtocolGuardDlg* dlg = make();
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(dlg->GetTitle(), wxT("oVk protocol guard"));
    EXPECT_EQ(dlg->GetName(), wxT("dialog"));
    EXPECT_EQ(dlg->GetSize(), wxSize(585, 325));
    ASSERT_TRUE(log(dlg) && label(dlg) && ok(dlg));
    EXPECT_EQ(log(dlg)->GetPosition(), wxPoint(12, 81));
    EXPECT_EQ(label(dlg)->GetLabel(), wxT("err_action") + wxString(wxT('-'), 91));
    EXPECT_EQ(ok(dlg)->GetLabel(), wxT("OK"));
    EXPECT_EQ(ok(dlg)->GetPosition(), wxPoint(221, 235));
    EXPECT_EQ(ok(dlg)->GetParent(), log(dlg)->GetParent());
    EXPECT_EQ(log(dlg)->GetParent()->GetSize(), wxSize(540, 280));
    dlg->Destroy();
}

TEST_F(ProtocolGuard, BoomFillsAndPlacesTheReport) {
    ProtocolGuardDlg* dlg = make();
    wxString lines;
    for (int i = 0; i < 40; ++i)
        lines += wxString::Format(wxT("mic_gain %d 70 -> 0\n"), i);
    lines += wxString(wxT('w'), 300) + wxT(" & <b>\xE4\xDF</b>");
    dlg->Boom(wxT("loading from device"), lines);
    const auto seen = guitest::take_dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, wxT("oVk protocol guard"));

    EXPECT_EQ(label(dlg)->GetLabel(), expectedLabel);
    EXPECT_EQ(label(dlg)->GetPosition(), wxPoint(17, 12));
    EXPECT_EQ(label(dlg)->GetSize().x, 570);
    EXPECT_EQ(log(dlg)->GetValue(), lines);
    EXPECT_EQ(log(dlg)->GetPosition(), wxPoint(22, 81));
    EXPECT_EQ(log(dlg)->GetSize(), wxSize(525, 129));
    // Read-only, scrolling both ways.
    EXPECT_FALSE(log(dlg)->IsEditable());
    EXPECT_TRUE(log(dlg)->IsMultiLine());
    EXPECT_TRUE(log(dlg)->HasFlag(wxVSCROLL));
    EXPECT_TRUE(log(dlg)->HasFlag(wxHSCROLL));
    EXPECT_EQ(log(dlg)->GetNumberOfLines(), 41);

    // Boom leaves the dialog to delayed destruction, answered or not.
    wxWeakRef<ProtocolGuardDlg> gone = dlg;
    guitest::pump(50);
    EXPECT_EQ(gone.get(), nullptr);
}

TEST_F(ProtocolGuard, OkEndsTheRunAndDestroysTheDialog) {
    EXPECT_TRUE(boomAndDismiss([](wxDialog* d) {
        wxButton* button = ok(d);
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }));
}

TEST_F(ProtocolGuard, CloseBoxEndsTheRunAndDestroysTheDialog) {
    EXPECT_TRUE(boomAndDismiss([](wxDialog* d) { d->Close(); }));
}

TEST_F(ProtocolGuard, CloseWhileNotModalStillDestroysIt) {
    wxWeakRef<ProtocolGuardDlg> dialog = make();
    dialog->Close();
    guitest::pump(50);
    EXPECT_EQ(dialog.get(), nullptr);
}

} // namespace
