// The main window's metadata button against the simulated device: the serial-number read, the
// record filled from the store, and what Ok and Cancel store and send.
#include "gui_app_probe.h"

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <wx/stopwatch.h>

#include "default_state.h"
#include "protocol.h"
#include "simdevice.h"
#include "utils.h"

namespace {

const char* const SERIAL_FILE = "/tarvik/serialnumber";
const int META_FIRST = SETTING_REC_META_DESCRIPTION0;
const int META_LAST = SETTING_REC_META_OOO;

// What the dialog showed when it opened.
struct Shown {
    wxString description, originator, cc, ooo, serial;
    bool cancelShown = false;
};

// A text of the given length whose characters tell their position.
std::string run_of(size_t length, char first) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + (first - 'a' + i) % 26);
    return text;
}

std::string stored(int setting, int preset = 1) {
    return current_settings[setting][preset].value;
}

class MetaDataButton : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        device.set_file(SERIAL_FILE, "0A1B2C3D");
        window = start_program();
        probe = std::make_unique<MainWindowProbe>(window);
        // The test alone talks to the device.
        probe->levelTimer()->Stop();
        probe->pollTimer()->Stop();
        probe->macDevTimer()->Stop();
        ASSERT_GT(open_port(0), 0);
        probe->connected() = true;
        // As after a connect whose permission pass allowed the metadata settings.
        auth_level = 5;
        for (int s = META_FIRST; s <= META_LAST; ++s)
            settings_mapping[s].write_level = 5;
        store(SETTING_ALLOW_EDIT_META_DATA, "1");
        store(SETTING_REC_META_DESCRIPTION0, "Take one");
        for (int s = SETTING_REC_META_DESCRIPTION1; s <= SETTING_REC_META_DESCRIPTION4; ++s)
            store(s, "");
        store(SETTING_REC_META_ORIGINATOR, "Radio");
        store(SETTING_REC_META_CC, "DE");
        store(SETTING_REC_META_OOO, "HDY");
    }
    void TearDown() override {
        probe->connected() = false;
        close_port();
        close_program(window);
    }

    void store(int setting, const std::string& text, int preset = 1) {
        set_value(setting, preset, text.c_str());
    }

    // Presses the button; the action runs inside the dialog and must close it. Returns what
    // the dialog showed; the dialog itself must have been the only one.
    Shown press(const std::function<void(wxDialog*)>& action) {
        Shown shown;
        device.clear_frames();
        guitest::set_modal_action([&](wxDialog* dialog) {
            guitest::clear_modal_action(); // error boxes are answered with OK
            guitest::pump(20);
            shown.description = edit(dialog, "DescEdit")->GetValue();
            shown.originator = edit(dialog, "OriginEdit")->GetValue();
            shown.cc = edit(dialog, "OriginRefCCEdit")->GetValue();
            shown.ooo = edit(dialog, "OriginRefOOOEdit")->GetValue();
            shown.serial = edit(dialog, "OriginRefSerialEdit")->GetValue();
            shown.cancelShown = button(dialog, "CancelBtn")->IsShown();
            action(dialog);
        });
        wxCommandEvent click(wxEVT_BUTTON, named<wxButton>(window, "MetaDataBtn")->GetId());
        window->GetEventHandler()->ProcessEvent(click);
        guitest::clear_modal_action();
        const auto seen = guitest::take_dialogs();
        EXPECT_EQ(seen.size(), 1u);
        EXPECT_TRUE(!seen.empty() && seen[0].title == wxT("BWF Metadata"));
        // The port lock is free again.
        EXPECT_EQ(COMPORT.TryWait(), wxSEMA_NO_ERROR);
        COMPORT.Post();
        guitest::pump(20);
        return shown;
    }

    static wxTextCtrl* edit(wxDialog* dialog, const char* name) {
        return dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, dialog));
    }
    static wxButton* button(wxDialog* dialog, const char* name) {
        return dynamic_cast<wxButton*>(wxWindow::FindWindowByName(name, dialog));
    }
    static void click(wxDialog* dialog, const char* name) {
        wxCommandEvent event(wxEVT_BUTTON, button(dialog, name)->GetId());
        dialog->GetEventHandler()->ProcessEvent(event);
    }
    static std::function<void(wxDialog*)> press_button(const char* name) {
        return [name](wxDialog* dialog) { click(dialog, name); };
    }

    // The frames after the serial-number request, as "command name=text".
    std::vector<std::string> sent_after_serial() {
        std::vector<std::string> sent;
        const auto frames = device.frames();
        for (size_t i = 1; i < frames.size(); ++i)
            sent.push_back(std::to_string(frames[i].command) + " " + frames[i].name + "=" +
                           frames[i].text);
        return sent;
    }
    static std::string write_of(int setting, const std::string& text, int preset = 1) {
        return "0 /tarvik/settings/" + std::to_string(preset) + "/" +
               settings_mapping[setting].name + "=" + text;
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};

TEST_F(MetaDataButton, SerialNumberIsReadOnceAndShownBehindThePrefix) {
    const struct {
        const char* answer; // nullptr: no such file, so no answer
        const char* field;
    } cases[] = {
        {"0123456789\n", "oVk_01234567"}, {"", "oVk_"}, {" \t\r\n", "oVk_"}, {" AB\t\n", "oVk_ AB"},
        {nullptr, "oVk_noserial"},
    };
    for (const auto& c : cases) {
        if (c.answer)
            device.set_file(SERIAL_FILE, c.answer);
        else
            device.remove_file(SERIAL_FILE);
        const Shown shown = press(press_button("CancelBtn"));
        EXPECT_EQ(shown.serial, wxString::FromUTF8(c.field)) << (c.answer ? c.answer : "none");
        const auto frames = device.frames();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].command, sim::READ_FILE);
        EXPECT_EQ(frames[0].name, SERIAL_FILE);
        EXPECT_EQ(frames[0].kind, 1u);
        EXPECT_EQ(frames[0].text, "");
    }
}

TEST_F(MetaDataButton, SerialNumberWaitsOnlyOneAttemptForAnAnswer) {
    // An answer of another kind under the file's name is no answer.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        return sim::Replies{sim::encode(sim::Frame::with_text(sim::MESSAGE, f.name, "12345678"))};
    });
    wxStopWatch watch;
    const Shown shown = press(press_button("CancelBtn"));
    EXPECT_EQ(shown.serial, wxT("oVk_noserial"));
    // Ten attempts would take two seconds at least.
    EXPECT_LT(watch.Time(), 1500);
}

TEST_F(MetaDataButton, EditableOnlyWhenTheAllowSettingIsExactlyOne) {
    for (const char* allow : {"0", "", "1 ", " 1", "01", "2"}) {
        store(SETTING_ALLOW_EDIT_META_DATA, allow);
        const Shown shown = press([](wxDialog* dialog) {
            edit(dialog, "OriginEdit")->SetValue(wxT("changed"));
            click(dialog, "OkBtn");
        });
        EXPECT_FALSE(shown.cancelShown) << '"' << allow << '"';
        EXPECT_TRUE(sent_after_serial().empty()) << '"' << allow << '"';
        EXPECT_EQ(stored(SETTING_REC_META_ORIGINATOR), "Radio");
    }
    store(SETTING_ALLOW_EDIT_META_DATA, "1");
    EXPECT_TRUE(press(press_button("CancelBtn")).cancelShown);
}

TEST_F(MetaDataButton, InTheDefaultPresetTheDialogIsViewOnly) {
    probe->setActivePreset(0);
    store(SETTING_ALLOW_EDIT_META_DATA, "1", 0);
    store(SETTING_REC_META_ORIGINATOR, "Factory", 0);
    probe->checkPermissions(); // nothing of preset 0 may be written
    bool editable = true;
    const Shown shown = press([&](wxDialog* dialog) {
        editable =
            edit(dialog, "DescEdit")->IsEditable() || edit(dialog, "OriginEdit")->IsEditable();
        edit(dialog, "OriginEdit")->SetValue(wxT("changed"));
        click(dialog, "OkBtn");
    });
    EXPECT_FALSE(shown.cancelShown);
    EXPECT_FALSE(editable);
    EXPECT_EQ(shown.originator, wxT("Factory"));
    EXPECT_TRUE(sent_after_serial().empty());
    EXPECT_EQ(stored(SETTING_REC_META_ORIGINATOR, 0), "Factory");
}

TEST_F(MetaDataButton, CancelAfterEditsStoresAndSendsNothing) {
    press([](wxDialog* dialog) {
        edit(dialog, "DescEdit")->SetValue(wxT("new description"));
        edit(dialog, "OriginEdit")->SetValue(wxT("Other"));
        edit(dialog, "OriginRefCCEdit")->SetValue(wxT("AT"));
        click(dialog, "CancelBtn");
    });
    EXPECT_TRUE(sent_after_serial().empty());
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION0), "Take one");
    EXPECT_EQ(stored(SETTING_REC_META_ORIGINATOR), "Radio");
    EXPECT_EQ(stored(SETTING_REC_META_CC), "DE");
}

TEST_F(MetaDataButton, OkWithoutEditsStoresAndSendsAllEightFromFullPieces) {
    const std::string pieces[] = {run_of(59, 'a'), run_of(59, 'b'), run_of(59, 'c'),
                                  run_of(59, 'd'), run_of(59, 'e')};
    for (int i = 0; i < 5; ++i)
        store(META_FIRST + i, pieces[i]);
    store(SETTING_REC_META_ORIGINATOR, std::string(40, 'o'));
    store(SETTING_REC_META_CC, "DEU");
    store(SETTING_REC_META_OOO, "HDYX");

    const Shown shown = press(press_button("OkBtn"));
    EXPECT_EQ(shown.description,
              pieces[0] + pieces[1] + pieces[2] + pieces[3] + pieces[4].substr(0, 20));
    EXPECT_EQ(shown.originator, std::string(32, 'o'));
    EXPECT_EQ(shown.cc, wxT("DE"));
    EXPECT_EQ(shown.ooo, wxT("HDY"));

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stored(META_FIRST + i), pieces[i]);
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION4), pieces[4].substr(0, 20));
    const std::vector<std::string> expected = {
        write_of(43, pieces[0]),
        write_of(44, pieces[1]),
        write_of(45, pieces[2]),
        write_of(46, pieces[3]),
        write_of(47, pieces[4].substr(0, 20)),
        write_of(48, std::string(32, 'o')),
        write_of(49, "DE"),
        write_of(50, "HDY"),
    };
    EXPECT_EQ(sent_after_serial(), expected);
    EXPECT_EQ(device.file("/tarvik/settings/1/rec_meta_description4"), pieces[4].substr(0, 20));
}

TEST_F(MetaDataButton, ShortPiecesArePackedFromTheFirstSetting) {
    store(SETTING_REC_META_DESCRIPTION0, "0123456789");
    store(SETTING_REC_META_DESCRIPTION1, "abcdefghij");
    store(SETTING_REC_META_DESCRIPTION3, "XY");
    const Shown shown = press(press_button("OkBtn"));
    EXPECT_EQ(shown.description, wxT("0123456789abcdefghijXY"));
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION0), "0123456789abcdefghijXY");
    for (int s = SETTING_REC_META_DESCRIPTION1; s <= SETTING_REC_META_DESCRIPTION4; ++s)
        EXPECT_EQ(stored(s), "") << s;
    EXPECT_EQ(sent_after_serial().size(), 8u);
}

TEST_F(MetaDataButton, EditedValuesGoToTheActivePresetInRunsOf59) {
    probe->setActivePreset(4);
    store(SETTING_ALLOW_EDIT_META_DATA, "1", 4);
    store(SETTING_REC_META_DESCRIPTION2, "left over", 4);
    const std::string description = run_of(118, 'a');
    press([&](wxDialog* dialog) {
        edit(dialog, "DescEdit")->SetValue(description);
        edit(dialog, "OriginEdit")->SetValue(wxString::FromUTF8("Caf\xC3\xA9 Ost"));
        edit(dialog, "OriginRefCCEdit")->SetValue(wxT("at"));
        click(dialog, "OkBtn");
    });
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION0, 4), description.substr(0, 59));
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION1, 4), description.substr(59));
    for (int s = SETTING_REC_META_DESCRIPTION2; s <= SETTING_REC_META_DESCRIPTION4; ++s)
        EXPECT_EQ(stored(s, 4), "") << s;
    EXPECT_EQ(stored(SETTING_REC_META_ORIGINATOR, 4), "Caf_ Ost");
    EXPECT_EQ(stored(SETTING_REC_META_CC, 4), "at");
    // Preset 1 is untouched.
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION0), "Take one");

    const auto sent = sent_after_serial();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[0], write_of(43, description.substr(0, 59), 4));
    EXPECT_EQ(sent[2], write_of(45, "", 4));
    EXPECT_EQ(sent[5], write_of(48, "Caf_ Ost", 4));
}

TEST_F(MetaDataButton, WhiteSpaceAtAPieceEndSurvivesTheWayBackFromTheDevice) {
    // A space would end the first run of 59 and a line feed the second.
    std::string description = run_of(58, 'a') + " " + run_of(58, 'k') + "\n" + run_of(60, 'p');
    press([&](wxDialog* dialog) {
        edit(dialog, "DescEdit")->SetValue(description);
        click(dialog, "OkBtn");
    });
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION0), run_of(58, 'a'));
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION1), " " + run_of(58, 'k'));
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION2), "\n" + run_of(58, 'p'));
    EXPECT_EQ(stored(SETTING_REC_META_DESCRIPTION3), run_of(60, 'p').substr(58));

    // Loading the pieces back from the device trims each of them.
    for (int s = SETTING_REC_META_DESCRIPTION0; s <= SETTING_REC_META_DESCRIPTION4; ++s) {
        char text[SETTING_VALUE_SIZE];
        std::strcpy(
            text,
            device.file("/tarvik/settings/1/" + std::string(settings_mapping[s].name)).c_str());
        write_setting_value(s, 1, text);
    }
    EXPECT_EQ(press(press_button("CancelBtn")).description, wxString::FromUTF8(description));
}

TEST_F(MetaDataButton, PiecesStayFullWhenShorterOnesWouldNotHoldTheText) {
    // 256 characters with white space before every 59th: there is no room to move it.
    std::string description;
    while (description.size() < 256)
        description += run_of(58, 'a') + " ";
    description.resize(256);
    press([&](wxDialog* dialog) {
        edit(dialog, "DescEdit")->SetValue(description);
        click(dialog, "OkBtn");
    });
    std::string joined;
    for (int s = SETTING_REC_META_DESCRIPTION0; s <= SETTING_REC_META_DESCRIPTION4; ++s)
        joined += stored(s);
    EXPECT_EQ(joined, description);
}

TEST_F(MetaDataButton, EmptyDescriptionEmptiesAllFivePieces) {
    store(SETTING_REC_META_DESCRIPTION1, "more");
    store(SETTING_REC_META_DESCRIPTION4, "end");
    press([](wxDialog* dialog) {
        edit(dialog, "DescEdit")->Clear();
        click(dialog, "OkBtn");
    });
    for (int s = SETTING_REC_META_DESCRIPTION0; s <= SETTING_REC_META_DESCRIPTION4; ++s)
        EXPECT_EQ(stored(s), "") << s;
    EXPECT_EQ(sent_after_serial().front(), write_of(43, ""));
}

// Two values of preset 1 go unanswered at the connect, so the dialog shows their defaults. Ok
// writes such a value over the device's text only once the user has changed its field; the
// description is not repacked over the device's pieces while it is left as shown.
TEST_F(MetaDataButton, OkWritesAValueMissedAtTheConnectOnlyOnceItsFieldIsChanged) {
    probe->connected() = false;
    close_port();
    sim::load_default_state(device);
    const auto file = [](int setting) {
        return "/tarvik/settings/1/" + std::string(settings_mapping[setting].name);
    };
    device.set_file(file(SETTING_REC_FILE_FORMAT), "BWF");
    device.set_file(file(SETTING_REC_META_DESCRIPTION0), "Take one");
    device.set_file(file(SETTING_REC_META_DESCRIPTION1), "and two");
    device.set_file(file(SETTING_REC_META_ORIGINATOR), "Jane Roe");
    const std::set<std::string> missed = {file(SETTING_REC_META_DESCRIPTION1),
                                          file(SETTING_REC_META_ORIGINATOR)};
    device.set_responder([&](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (f.command == sim::READ_FILE && missed.count(f.name))
            return sim::Replies{};
        return std::nullopt;
    });
    probe->clickConnect(true);
    ASSERT_TRUE(probe->connected());
    probe->pollTimer()->Stop();
    EXPECT_EQ(guitest::take_dialogs().size(), 1u); // the report of the two
    device.set_responder({});

    // Left as shown: neither default is written, the description's pieces stay as read.
    const Shown shown = press(press_button("OkBtn"));
    EXPECT_EQ(shown.description, wxT("Take one"));
    EXPECT_EQ(shown.originator, wxT("oVk default originator"));
    const std::vector<std::string> unchanged = {
        write_of(43, "Take one"), write_of(45, ""),   write_of(46, ""),
        write_of(47, ""),         write_of(49, "CC"), write_of(50, "OOO"),
    };
    EXPECT_EQ(sent_after_serial(), unchanged);
    EXPECT_EQ(device.file(file(SETTING_REC_META_DESCRIPTION1)), "and two");
    EXPECT_EQ(device.file(file(SETTING_REC_META_ORIGINATOR)), "Jane Roe");

    // One letter added to the description: all five pieces go out, from the new text.
    press([](wxDialog* dialog) {
        edit(dialog, "DescEdit")->AppendText(wxT("!"));
        click(dialog, "OkBtn");
    });
    const std::vector<std::string> described = {
        write_of(43, "Take one!"), write_of(44, ""),   write_of(45, ""),    write_of(46, ""),
        write_of(47, ""),          write_of(49, "CC"), write_of(50, "OOO"),
    };
    EXPECT_EQ(sent_after_serial(), described);
    EXPECT_EQ(device.file(file(SETTING_REC_META_ORIGINATOR)), "Jane Roe");

    // The originator changed: now it is the user's text, written and kept from then on.
    press([](wxDialog* dialog) {
        edit(dialog, "OriginEdit")->SetValue(wxT("John Doe"));
        click(dialog, "OkBtn");
    });
    EXPECT_EQ(device.file(file(SETTING_REC_META_ORIGINATOR)), "John Doe");
    press(press_button("OkBtn"));
    EXPECT_EQ(sent_after_serial().size(), 8u);
}

TEST_F(MetaDataButton, WithoutLinkOkStoresButSendsNothing) {
    // The link dropped while the dialog was open.
    press([this](wxDialog* dialog) {
        probe->connected() = false;
        edit(dialog, "OriginEdit")->SetValue(wxT("Offline"));
        click(dialog, "OkBtn");
    });
    EXPECT_EQ(stored(SETTING_REC_META_ORIGINATOR), "Offline");
    EXPECT_TRUE(sent_after_serial().empty());
}

} // namespace
