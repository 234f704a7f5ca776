// Setting controls kept in step with the value store and the simulated device.
#include "settings_window_test.h"

#include "gui_app_device.h"

#include <optional>

#include <wx/msgdlg.h>

namespace {

using Writes = std::vector<std::string>;
using Words = std::vector<wxString>;

class SyncTest : public SettingsWindowTest {
  protected:
    // Permits every governed setting of the active preset, as a connect does.
    void go_online_permitted() {
        go_online();
        probe->checkPermissions();
        device.clear_frames();
    }
};

TEST_F(SyncTest, OfflineChangesAreOnlyStored) {
    tick(ID_ROI, true);
    EXPECT_EQ(stored(SETTING_ROI_ENABLE), "1");
    tick(ID_ROI, false);
    EXPECT_EQ(stored(SETTING_ROI_ENABLE), "0");
    slide(ID_MIC_LEVEL, 25);
    EXPECT_EQ(stored(SETTING_REC_MIC_LEVEL), "25");
    choose(ID_FORMAT, "MP2");
    EXPECT_EQ(stored(SETTING_REC_FILE_FORMAT), "MP2");

    // No device traffic, no label, no list and no enabled state follows.
    EXPECT_FALSE(device.wait_for_frames(1, 50));
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT), "0dB");
    EXPECT_EQ(items(ID_BITRATE), (Words{"192", "160", "128"}));
    EXPECT_FALSE(at<wxSlider>(ID_MIC_LEVEL)->IsEnabled());

    // Before any change a choice has no selection and stores the empty text.
    at<wxChoice>(ID_DATE_NAME)->SetSelection(wxNOT_FOUND);
    wxCommandEvent event(wxEVT_CHOICE, ID_DATE_NAME);
    send(at<wxChoice>(ID_DATE_NAME), event);
    EXPECT_EQ(stored(SETTING_COMBINE_DATE_PREFIX), "");
}

TEST_F(SyncTest, StoredTextsReachTheirControls) {
    auto* roi = at<wxCheckBox>(ID_ROI);
    const std::pair<const char*, std::optional<bool>> checks[] = {
        {"1", true}, {"0", false}, {"1", true}, {"2", false}, {"1 ", {}},
        {"1", true}, {"x", {}},    {"", {}},    {" 0", false}};
    for (const auto& [text, checked] : checks) {
        const bool before = roi->GetValue();
        store(SETTING_ROI_ENABLE, text);
        probe->settingToControl(SETTING_ROI_ENABLE);
        EXPECT_EQ(roi->GetValue(), checked.value_or(before)) << '"' << text << '"';
    }

    // Choice words are matched without regard to case; unknown words change nothing.
    store(SETTING_COMBINE_DATE_PREFIX, "Time Only");
    probe->settingToControl(SETTING_COMBINE_DATE_PREFIX);
    EXPECT_EQ(at<wxChoice>(ID_DATE_NAME)->GetStringSelection(), "time only");
    store(SETTING_COMBINE_DATE_PREFIX, "weekly");
    probe->settingToControl(SETTING_COMBINE_DATE_PREFIX);
    EXPECT_EQ(at<wxChoice>(ID_DATE_NAME)->GetStringSelection(), "time only");

    // Sliders take whole numbers only; out-of-range numbers stop at the slider's end.
    auto* line = at<wxSlider>(ID_LINE_LEVEL);
    for (const auto& [text, position] :
         std::vector<std::pair<const char*, int>>{{"12", 12},
                                                  {"12dB", 12},
                                                  {"", 12},
                                                  {"-7", -7},
                                                  {"99999999999999999999", -7},
                                                  {"500", 30}}) {
        store(SETTING_REC_LINE_LEVEL, text);
        probe->settingToControl(SETTING_REC_LINE_LEVEL);
        EXPECT_EQ(line->GetValue(), position) << '"' << text << '"';
    }

    // A text shows without its trailing white space.
    store(SETTING_REC_FILENAME_PREFIX, "take_ \n");
    probe->settingToControl(SETTING_REC_FILENAME_PREFIX);
    EXPECT_EQ(at<wxTextCtrl>(ID_PREFIX)->GetValue(), "take_");
    EXPECT_FALSE(device.wait_for_frames(1, 20));
}

TEST_F(SyncTest, PowerSourceWordIsMappedBothWays) {
    go_online_permitted();
    choose(ID_POWER, "internal");
    EXPECT_EQ(stored(SETTING_PM_PREFERED_POWER_SOURCE), "accu");
    EXPECT_EQ(writes(), Writes{"/tarvik/settings/1/pm_prefered_power_source=accu"});

    choose(ID_POWER, "battery");
    store(SETTING_PM_PREFERED_POWER_SOURCE, "accu");
    probe->settingToControl(SETTING_PM_PREFERED_POWER_SOURCE);
    EXPECT_EQ(at<wxChoice>(ID_POWER)->GetStringSelection(), "internal");
}

TEST_F(SyncTest, SharedSettingIsStoredEverywhereButWrittenForTheActivePreset) {
    probe->setActivePreset(3);
    go_online_permitted();
    // The label takes only the strict character set.
    at<wxTextCtrl>(ID_MIC_LABEL)->SetValue("Stage left");
    for (int p = 0; p < PRESETS_COUNT; ++p)
        EXPECT_STREQ(current_settings[SETTING_MIC_LABEL][p].value, "Stage_left") << p;
    EXPECT_EQ(writes(), Writes{"/tarvik/settings/3/mic_label=Stage_left"});
    EXPECT_EQ(device.file("/tarvik/settings/3/mic_label"), "Stage_left");
    EXPECT_FALSE(device.has_file("/tarvik/settings/1/mic_label"));

    // A text setting that is not strict keeps its spaces, and its value is written as stored.
    at<wxTextCtrl>(ID_PRESET_NAME)->SetValue("Concert hall");
    EXPECT_EQ(device.file("/tarvik/settings/3/preset_name"), "Concert hall");
    EXPECT_STREQ(current_settings[SETTING_PRESET_NAME][1].value, "Factory_settings");
}

TEST_F(SyncTest, WriteBelowTheLinkLevelSendsTheNoticeInstead) {
    go_online();
    // Before the first permission pass every setting keeps its table level: the first text
    // refreshed (mic_label, level 3) goes out as the notice; its pass permits the rest.
    probe->refreshControls();
    const Writes first = writes();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], "/tarvik/settings/1/mic_label!permission denied writing setting "
                        "mic_label 3, 5\n");
    EXPECT_EQ(first[1], "/tarvik/settings/1/preset_name=Factory_settings");
    EXPECT_EQ(first[2], "/tarvik/settings/1/rec_filename_prefix=_oVk_serial_number_");
    EXPECT_FALSE(device.has_file("/tarvik/settings/1/mic_label"));

    // In the default preset nothing may be written: the value stays in the store only.
    probe->setActivePreset(0);
    probe->checkPermissions();
    device.clear_frames();
    at<wxTextCtrl>(ID_PRESET_NAME)->SetValue("Mine");
    EXPECT_EQ(writes(), Writes{"/tarvik/settings/0/preset_name!permission denied writing "
                               "setting preset_name 4, 5\n"});
    EXPECT_EQ(stored(SETTING_PRESET_NAME), "Mine");
    EXPECT_FALSE(device.has_file("/tarvik/settings/0/preset_name"));
}

TEST_F(SyncTest, GainAndLevelLabels) {
    go_online_permitted();
    slide(ID_MIC_LEVEL, 25);
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT), "25dB");
    slide(ID_LINE_LEVEL, -15);
    EXPECT_EQ(label(ID_LINE_LEVEL_TEXT), "-15dB");
    slide(ID_HP_LEVEL, -68);
    EXPECT_EQ(label(ID_HP_LEVEL_TEXT), "-Inf dB");
    slide(ID_HP_LEVEL, -10);
    EXPECT_EQ(label(ID_HP_LEVEL_TEXT), "-10dB");

    choose(ID_OUTPUT, "Lineout (balanced)");
    slide(ID_LINEOUT_LEVEL, -20);
    EXPECT_EQ(label(ID_LINEOUT_LEVEL_TEXT), "-14dBu");
    // The output choice updates the label at once.
    choose(ID_OUTPUT, "Lineout");
    EXPECT_EQ(label(ID_LINEOUT_LEVEL_TEXT), "-20dBu");
    slide(ID_LINEOUT_LEVEL, -68);
    EXPECT_EQ(label(ID_LINEOUT_LEVEL_TEXT), "-Inf dBu");
    choose(ID_OUTPUT, "Lineout (balanced)");
    EXPECT_EQ(label(ID_LINEOUT_LEVEL_TEXT), "-Inf dBu");

    // Each position was written and applied at once.
    EXPECT_EQ(device.file("/tarvik/settings/1/rec_line_level"), "-15");
    EXPECT_EQ(device.file("/tarvik/settings/1/play_lineout_level"), "-68");
    EXPECT_EQ(dsp_updates(),
              (Writes{"rec_mic_level", "rec_line_level", "play_headset_level", "play_headset_level",
                      "play_output_selection", "play_lineout_level", "play_output_selection",
                      "play_lineout_level", "play_output_selection"}));
}

struct FormatCase {
    const char* format;
    Words bitrates;
    Words rates;
    const char* bitrate;
    const char* rate;
    bool metadata;
};

TEST_F(SyncTest, FormatChangeRefillsTheListsAndWritesInOrder) {
    go_online_permitted();
    const FormatCase cases[] = {
        {"MP2", {"128", "160", "192"}, {"32000", "44100", "48000"}, "128", "32000", false},
        {"BWF", {"---"}, {"44100", "48000"}, "---", "44100", true},
        {"WAV", {"---"}, {"32000", "44100", "48000"}, "---", "32000", false},
    };
    for (const FormatCase& c : cases) {
        device.clear_frames();
        choose(ID_FORMAT, c.format);
        EXPECT_EQ(items(ID_BITRATE), c.bitrates) << c.format;
        EXPECT_EQ(items(ID_SAMPLE_RATE), c.rates) << c.format;
        EXPECT_EQ(at<wxChoice>(ID_BITRATE)->GetSelection(), 0) << c.format;
        EXPECT_EQ(at<wxChoice>(ID_SAMPLE_RATE)->GetSelection(), 0) << c.format;
        EXPECT_EQ(writes(), (Writes{std::string("/tarvik/settings/1/rec_file_format=") + c.format,
                                    std::string("/tarvik/settings/1/rec_bitrate=") + c.bitrate,
                                    std::string("/tarvik/settings/1/rec_sample_rate=") + c.rate}));
        EXPECT_EQ(stored(SETTING_REC_BITRATE), c.bitrate);
        EXPECT_EQ(stored(SETTING_REC_SAMPLE_RATE), c.rate);
        EXPECT_EQ(at<wxButton>(ID_METADATA)->IsEnabled(), c.metadata) << c.format;
        EXPECT_TRUE(dsp_updates().empty());
    }
}

TEST_F(SyncTest, FormatChangeIsRefusedWhileItsBitrateOrSampleRateMayNotBeWritten) {
    // "01" permits the format, and the load's rule that couples the three allow settings
    // looks for "1" only: such a device keeps a locked bitrate or sample rate.
    for (int locked : {SETTING_ALLOW_SET_BITRATE, SETTING_ALLOW_SET_SAMPLE_RATE}) {
        store(SETTING_ALLOW_SET_FORMAT, "01");
        store(SETTING_ALLOW_SET_BITRATE, "1");
        store(SETTING_ALLOW_SET_SAMPLE_RATE, "1");
        store(locked, "0");
        for (const char* format : {"MP2", "BWF", "WAV"}) {
            store(SETTING_REC_FILE_FORMAT, "WAV");
            store(SETTING_REC_BITRATE, "---");
            store(SETTING_REC_SAMPLE_RATE, "48000");
            probe->settingToControl(SETTING_REC_FILE_FORMAT);
            go_online_permitted();
            choose(ID_FORMAT, format);
            // Store, controls and device all keep the format and its pair.
            const std::string what = std::string(settings_mapping[locked].name) + " " + format;
            EXPECT_TRUE(writes().empty()) << what;
            EXPECT_EQ(stored(SETTING_REC_FILE_FORMAT), "WAV") << what;
            EXPECT_EQ(stored(SETTING_REC_BITRATE), "---") << what;
            EXPECT_EQ(stored(SETTING_REC_SAMPLE_RATE), "48000") << what;
            EXPECT_EQ(at<wxChoice>(ID_FORMAT)->GetStringSelection(), "WAV") << what;
            EXPECT_EQ(items(ID_BITRATE), Words{"---"}) << what;
            EXPECT_EQ(at<wxChoice>(ID_BITRATE)->GetStringSelection(), "---") << what;
            EXPECT_EQ(at<wxChoice>(ID_SAMPLE_RATE)->GetStringSelection(), "48000") << what;
            EXPECT_TRUE(guitest::take_dialogs().empty()) << what;
        }
    }
    // With both unlocked the change goes through with its pair.
    store(SETTING_ALLOW_SET_SAMPLE_RATE, "1");
    go_online_permitted();
    choose(ID_FORMAT, "MP2");
    EXPECT_EQ(writes(), (Writes{"/tarvik/settings/1/rec_file_format=MP2",
                                "/tarvik/settings/1/rec_bitrate=128",
                                "/tarvik/settings/1/rec_sample_rate=32000"}));
}

TEST_F(SyncTest, RefreshedFormatSelectsTheStoredWordsAndWritesNoneOfThem) {
    go_online_permitted();
    store(SETTING_REC_FILE_FORMAT, "BWF");
    store(SETTING_REC_SAMPLE_RATE, "48000");
    probe->settingToControl(SETTING_REC_FILE_FORMAT);
    EXPECT_EQ(items(ID_SAMPLE_RATE), (Words{"44100", "48000"}));
    EXPECT_EQ(at<wxChoice>(ID_SAMPLE_RATE)->GetStringSelection(), "48000");
    EXPECT_EQ(at<wxChoice>(ID_BITRATE)->GetStringSelection(), "---");

    // A bitrate that the format does not allow is left unselected, not corrected.
    store(SETTING_REC_FILE_FORMAT, "WAV");
    store(SETTING_REC_BITRATE, "160");
    probe->settingToControl(SETTING_REC_FILE_FORMAT);
    EXPECT_EQ(items(ID_BITRATE), Words{"---"});
    EXPECT_EQ(at<wxChoice>(ID_BITRATE)->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(stored(SETTING_REC_BITRATE), "160");
    EXPECT_TRUE(writes().empty());
}

TEST_F(SyncTest, OutputSelectionChoosesTheUsableLevel) {
    go_online_permitted();
    auto* hp = at<wxSlider>(ID_HP_LEVEL);
    auto* lineout = at<wxSlider>(ID_LINEOUT_LEVEL);
    for (const char* output : {"Lineout", "Lineout (balanced)", "Headphone"}) {
        choose(ID_OUTPUT, output);
        const bool headphone = wxString(output) == "Headphone";
        EXPECT_EQ(hp->IsEnabled(), headphone) << output;
        EXPECT_EQ(lineout->IsEnabled(), !headphone) << output;
        EXPECT_EQ(is_setting_enabled(SETTING_PLAY_HEADSET_LEVEL, 1) != 0, headphone) << output;
        EXPECT_EQ(is_setting_enabled(SETTING_PLAY_LINEOUT_LEVEL, 1) != 0, !headphone) << output;
    }
    // The flags belong to the preset and keep a permitted slider off after a refresh.
    choose(ID_OUTPUT, "Lineout");
    probe->refreshControls();
    EXPECT_FALSE(hp->IsEnabled());
    EXPECT_TRUE(lineout->IsEnabled());
}

TEST_F(SyncTest, AutolevelingTakesOverTheMicGain) {
    go_online_permitted();
    auto* mic = at<wxSlider>(ID_MIC_LEVEL);
    tick(ID_ROI, false);
    EXPECT_TRUE(mic->IsEnabled());
    EXPECT_EQ(dsp_updates(), (Writes{"roi_enable", "rec_mic_level"}));

    device.clear_frames();
    tick(ID_ROI, true);
    EXPECT_FALSE(mic->IsEnabled());
    EXPECT_EQ(is_setting_enabled(SETTING_REC_MIC_LEVEL, 1), 0);
    EXPECT_EQ(dsp_updates(), Writes{"roi_enable"});

    // Only the exact text "0" frees the gain.
    store(SETTING_ROI_ENABLE, "0");
    probe->settingToControl(SETTING_ROI_ENABLE);
    probe->checkPermissions();
    EXPECT_TRUE(mic->IsEnabled());
    store(SETTING_ROI_ENABLE, "off");
    probe->settingToControl(SETTING_ROI_ENABLE);
    probe->checkPermissions();
    EXPECT_FALSE(mic->IsEnabled());

    // The limiter is live but moves nothing else.
    device.clear_frames();
    tick(ID_LI, false);
    EXPECT_EQ(dsp_updates(), Writes{"li_enable"});
    EXPECT_EQ(device.file("/tarvik/settings/1/li_enable"), "0");
}

TEST_F(SyncTest, RefreshAppliesEveryLiveSettingInOrder) {
    go_online_permitted();
    probe->refreshControls();
    EXPECT_EQ(dsp_updates(),
              (Writes{"rec_mic_level", "rec_line_level", "play_output_selection",
                      "play_headset_level", "play_lineout_level", "roi_enable", "li_enable"}));
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT), "25dB");
    EXPECT_EQ(label(ID_HP_LEVEL_TEXT), "-10dB");
    EXPECT_EQ(items(ID_BITRATE), Words{"---"});
    EXPECT_EQ(at<wxChoice>(ID_SAMPLE_RATE)->GetStringSelection(), "48000");

    // With autoleveling off the gain is applied again right after it.
    store(SETTING_ROI_ENABLE, "0");
    device.clear_frames();
    probe->refreshControls();
    EXPECT_EQ(dsp_updates(), (Writes{"rec_mic_level", "rec_line_level", "play_output_selection",
                                     "play_headset_level", "play_lineout_level", "roi_enable",
                                     "rec_mic_level", "li_enable"}));

    // Offline a refresh shows the values and sends nothing.
    probe->connected() = false;
    store(SETTING_REC_MIC_LEVEL, "40");
    device.clear_frames();
    probe->refreshControls();
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT), "40dB");
    EXPECT_FALSE(device.wait_for_frames(1, 20));
}

// A device that takes writes and notices but never confirms them: every wait ends after its
// ten attempts, each used up by a reply of the wrong kind.
sim::Responder unconfirmed_writes() {
    return [](const sim::Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command != sim::WRITE_FILE && frame.command != sim::MESSAGE)
            return std::nullopt;
        return sim::Replies(10, sim::encode(sim::Frame::with_text(sim::MESSAGE, frame.name, "")));
    };
}

TEST_F(SyncTest, UnconfirmedWriteShowsOneErrorBoxEachAndKeepsTheValue) {
    go_online_permitted();
    device.set_responder(unconfirmed_writes());
    slide(ID_LINE_LEVEL, 7);
    auto boxes = guitest::take_dialogs();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Communication error");
    EXPECT_EQ(boxes[0].message, "An error occured while transfering settings to the device.");
    ASSERT_EQ(COMPORT.TryWait(), wxSEMA_NO_ERROR);
    COMPORT.Post();
    EXPECT_EQ(stored(SETTING_REC_LINE_LEVEL), "7");
    // The road went on: the label and the live update follow.
    EXPECT_EQ(label(ID_LINE_LEVEL_TEXT), "7dB");
    EXPECT_EQ(dsp_updates(), Writes{"rec_line_level"});

    choose(ID_FORMAT, "MP2");
    EXPECT_EQ(guitest::take_dialogs().size(), 3u);
    EXPECT_EQ(stored(SETTING_REC_BITRATE), "128");
}

TEST_F(SyncTest, LinkLostWhileTheErrorBoxIsOpenEndsTheRoadThere) {
    go_online_permitted();
    const std::string gain = label(ID_MIC_GAIN_TEXT).ToStdString();
    device.set_responder(unconfirmed_writes());
    // While the write's error box is open the poll cycle runs, and its keep-alive hears only
    // noise: the link is lost before the box closes.
    guitest::set_dialog_opened([this](wxDialog* dialog) {
        auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        if (!box || box->GetMessage() == "Connection to device lost")
            return;
        device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
            if (f.command != sim::LOOPBACK)
                return std::nullopt;
            return sim::Replies(10, sim::encode(sim::Frame::with_text(sim::MESSAGE, "NOISE", "")));
        });
        for (int i = 0; i < 8 && probe->connected(); ++i)
            probe->pollTick();
    });
    slide(ID_MIC_LEVEL, 25);

    const auto boxes = guitest::take_dialogs();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].message, "An error occured while transfering settings to the device.");
    EXPECT_EQ(boxes[1].message, "Connection to device lost");
    EXPECT_FALSE(probe->connected());
    // The value is kept, but nothing that needs the link follows: no live update, no label.
    EXPECT_EQ(stored(SETTING_REC_MIC_LEVEL), "25");
    EXPECT_TRUE(dsp_updates().empty());
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT).ToStdString(), gain);
    EXPECT_FALSE(at<wxSlider>(ID_MIC_LEVEL)->IsEnabled());
}

// Through the program's own connect and disconnect.
class ConnectedSyncTest : public devtest::DeviceWindowTest {
  protected:
    std::vector<sim::Frame> after_loading() {
        const auto frames = device.frames();
        const long active = devtest::first_index(frames, [](const sim::Frame& f) {
            return devtest::is_read(f, "/tarvik/settings/current_preset");
        });
        return {frames.begin() + active + 1, frames.end()};
    }
    // Presses a preset's button as a click does.
    void press_preset(int preset) {
        for (const T_PRESET_BTN* entry : probe->presetButtons()) {
            if (entry->index != preset)
                continue;
            entry->button->SetValue(true);
            wxCommandEvent click(wxEVT_TOGGLEBUTTON, entry->button->GetId());
            click.SetEventObject(entry->button);
            entry->button->GetEventHandler()->ProcessEvent(click);
        }
    }
    // The setting writes and permission notices sent to one device file.
    size_t sent_to(const std::string& path) {
        return devtest::count(device.frames(), [&](const sim::Frame& f) {
            return f.name == path && (f.command == sim::WRITE_FILE || f.command == sim::MESSAGE);
        });
    }
};

TEST_F(ConnectedSyncTest, ConnectShowsTheActivePresetAndDisconnectLocksIt) {
    device.set_file("/tarvik/settings/current_preset", "2");
    device.set_file(devtest::setting_file(2, SETTING_PRESET_NAME), "Two");
    device.set_file(devtest::setting_file(2, SETTING_REC_MIC_LEVEL), "33");
    device.set_file(devtest::setting_file(2, SETTING_ROI_ENABLE), "0");
    connect();
    EXPECT_EQ(probe->activePreset(), 2);
    EXPECT_EQ(devtest::label(window, "MicGainText"), "33dB");
    EXPECT_TRUE(named<wxSlider>(window, "MicLevel")->IsEnabled());

    // The first text goes out as a notice (no permission pass yet), the others as values;
    // the live settings are applied in setting order.
    Writes texts;
    Writes dsp;
    for (const auto& f : after_loading()) {
        if (f.command == sim::WRITE_FILE || f.command == sim::MESSAGE)
            texts.push_back(f.name + (f.command == sim::MESSAGE ? "!" : "=") + f.text);
        if (f.name == "UPDATEDSP")
            dsp.push_back(f.text.substr(f.text.rfind(' ') + 1));
    }
    EXPECT_EQ(texts, (Writes{"/tarvik/settings/2/mic_label!permission denied writing setting "
                             "mic_label 3, 5\n",
                             "/tarvik/settings/2/preset_name=Two",
                             "/tarvik/settings/2/rec_filename_prefix=_oVk_serial_number_"}));
    EXPECT_EQ(dsp, (Writes{"rec_mic_level", "rec_line_level", "play_output_selection",
                           "play_headset_level", "play_lineout_level", "roi_enable",
                           "rec_mic_level", "li_enable"}));

    // Presets are not enabled by default: only "DEFAULT", 1 and the active one can be chosen.
    std::vector<int> enabled;
    for (const T_PRESET_BTN* entry : probe->presetButtons())
        if (entry->button->IsEnabled())
            enabled.push_back(entry->index);
    EXPECT_EQ(enabled, (std::vector<int>{0, 1, 2}));

    probe->clickConnect(false);
    EXPECT_FALSE(named<wxSlider>(window, "MicLevel")->IsEnabled());
    EXPECT_EQ(settings_mapping[SETTING_REC_MIC_LEVEL].write_level, 4);
    EXPECT_TRUE(named<wxToggleButton>(window, "BTN_PRESET1")->IsEnabled());
}

TEST_F(ConnectedSyncTest, DefaultShownForAMissedReadNeverOverwritesTheDevicesText) {
    const std::string name1 = devtest::setting_file(1, SETTING_PRESET_NAME);
    const std::string prefix1 = devtest::setting_file(1, SETTING_REC_FILENAME_PREFIX);
    const std::string name2 = devtest::setting_file(2, SETTING_PRESET_NAME);
    // The label is one value for all presets: the last preset's read is the one kept.
    const std::string label9 = devtest::setting_file(9, SETTING_MIC_LABEL);
    const std::vector<std::string> lost = {name1, prefix1, name2, label9};
    device.set_file(name1, "MyInterviews");
    device.set_file(prefix1, "Studio");
    device.set_file(name2, "Second");
    for (int p = 0; p < PRESETS_COUNT; ++p) {
        device.set_file(devtest::setting_file(p, SETTING_MIC_LABEL), "Stage");
        device.set_file(devtest::setting_file(p, SETTING_PRESETS_ENABLED), "1");
    }
    device.set_responder([=](const sim::Frame& f) -> std::optional<sim::Replies> {
        for (const auto& path : lost)
            if (devtest::is_read(f, path))
                return sim::Replies{};
        return std::nullopt;
    });
    connect();
    EXPECT_EQ(guitest::take_dialogs().size(), 1u); // the report of the missing values
    device.set_responder({});
    auto* name = named<wxTextCtrl>(window, "preset_name");
    auto* prefix = named<wxTextCtrl>(window, "prefix_name");
    EXPECT_EQ(name->GetValue(), "Factory_settings");
    EXPECT_EQ(prefix->GetValue(), "_oVk_serial_number_");

    // Neither the connect's refresh nor the refresh of a preset switch writes the defaults back.
    press_preset(2);
    EXPECT_EQ(name->GetValue(), "Factory_settings");
    press_preset(1);
    EXPECT_EQ(probe->activePreset(), 1);
    const std::string written[] = {name1, prefix1, name2,
                                   devtest::setting_file(1, SETTING_MIC_LABEL),
                                   devtest::setting_file(2, SETTING_MIC_LABEL)};
    for (const auto& path : written)
        EXPECT_EQ(sent_to(path), 0u) << path << "\n" << devtest::describe(device.frames());
    EXPECT_EQ(device.file(name1), "MyInterviews");
    EXPECT_EQ(device.file(prefix1), "Studio");
    EXPECT_EQ(device.file(name2), "Second");
    // A text that was read is still written back as before.
    EXPECT_EQ(sent_to(devtest::setting_file(2, SETTING_REC_FILENAME_PREFIX)), 1u);

    // The user's own change is written, and from then on the refresh writes it back too.
    prefix->SetValue("Mine");
    EXPECT_EQ(device.file(prefix1), "Mine");
    device.clear_frames();
    press_preset(1);
    EXPECT_EQ(sent_to(prefix1), 1u);
    EXPECT_EQ(sent_to(name1), 0u);
}

} // namespace
