// A main window beside an opened simulated device, with every preset at its defaults, and
// the user's actions on its setting controls.
#pragma once

#include "gui_app_probe.h"

#include <memory>
#include <string>
#include <vector>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>

#include "protocol.h"
#include "simdevice.h"
#include "utils.h"

enum : long {
    ID_OUTPUT = 1050,
    ID_FORMAT = 1051,
    ID_BITRATE = 1052,
    ID_PREFIX = 1053,
    ID_MIC_LABEL = 1058,
    ID_PRESET_NAME = 1068,
    ID_MESSAGING = 1069,
    ID_SAMPLE_RATE = 1083,
    ID_POWER = 1084,
    ID_POWER_FIXED = 1085,
    ID_ROI = 1119,
    ID_LI = 1120,
    ID_STEREO = 1136,
    ID_DATE_NAME = 1142,
    ID_MIC_LEVEL = 1018,
    ID_LINE_LEVEL = 1079,
    ID_HP_LEVEL = 1081,
    ID_LINEOUT_LEVEL = 1116,
    ID_MIC_GAIN_TEXT = 1023,
    ID_LINE_LEVEL_TEXT = 1115,
    ID_HP_LEVEL_TEXT = 1114,
    ID_LINEOUT_LEVEL_TEXT = 1118,
    ID_SET_TIME = 1022,
    ID_METADATA = 1145,
    ID_ACCU_PICTURE = 1126,
};

class SettingsWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        window = start_program();
        probe = std::make_unique<MainWindowProbe>(window);
        probe->levelTimer()->Stop();
        probe->macDevTimer()->Stop();
        ASSERT_GT(open_port(0), 0);
        for (int p = 0; p < PRESETS_COUNT; ++p)
            preload_preset_backup(p);
    }
    void TearDown() override {
        probe->connected() = false;
        close_port();
        close_program(window);
        auth_level = 6;
    }

    // The state a connect leaves: a proven link and the window marked connected.
    void go_online() {
        auth_level = 5;
        probe->connected() = true;
    }

    template <class T> T* at(long id) { return control<T>(window, id); }
    wxString label(long id) { return at<wxStaticText>(id)->GetLabel(); }

    void send(wxControl* source, wxCommandEvent& event) {
        event.SetEventObject(source);
        source->GetEventHandler()->ProcessEvent(event);
    }
    void choose(long id, const wxString& item) {
        auto* choice = at<wxChoice>(id);
        ASSERT_NE(choice->FindString(item, true), wxNOT_FOUND) << item;
        choice->SetSelection(choice->FindString(item, true));
        wxCommandEvent event(wxEVT_CHOICE, id);
        send(choice, event);
    }
    void tick(long id, bool on) {
        auto* check = at<wxCheckBox>(id);
        check->SetValue(on);
        wxCommandEvent event(wxEVT_CHECKBOX, id);
        send(check, event);
    }
    void slide(long id, int position) {
        auto* slider = at<wxSlider>(id);
        slider->SetValue(position);
        wxScrollEvent event(wxEVT_SCROLL_CHANGED, id, position, wxVERTICAL);
        send(slider, event);
    }

    std::vector<wxString> items(long id) {
        std::vector<wxString> result;
        auto* choice = at<wxChoice>(id);
        for (unsigned i = 0; i < choice->GetCount(); ++i)
            result.push_back(choice->GetString(i));
        return result;
    }
    std::string stored(int setting) {
        return current_settings[setting][probe->activePreset()].value;
    }
    void store(int setting, const char* text) { set_value(setting, probe->activePreset(), text); }

    // The setting writes and permission notices the device received, as "path=text".
    std::vector<std::string> writes() {
        std::vector<std::string> result;
        for (const auto& frame : device.frames()) {
            if (frame.command == sim::WRITE_FILE)
                result.push_back(frame.name + "=" + frame.text);
            else if (frame.command == sim::MESSAGE)
                result.push_back(frame.name + "!" + frame.text);
        }
        return result;
    }
    // The settings the device was asked to apply to its DSP, in order.
    std::vector<std::string> dsp_updates() {
        const std::string prefix = "/tarvik/daemons/dsp_set ";
        std::vector<std::string> result;
        for (const auto& frame : device.frames()) {
            if (frame.command == sim::EXECUTE && frame.name == "UPDATEDSP" &&
                frame.text.compare(0, prefix.size(), prefix) == 0)
                result.push_back(frame.text.substr(prefix.size()));
        }
        return result;
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};
