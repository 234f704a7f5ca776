#include "TARVIK_User_SWFrm.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include <wx/accel.h>
#include <wx/stdpaths.h>
#include <wx/time.h>

#include "FontProvider.h"
#include "GtkLook.h"
#include "LevelMeterPanel.h"
#include "PowerMeter.h"
#include "images/images.h"
#include "ovk_cfg.h"
#include "protocol.h"
#include "string_conversion.h"
#include "utils.h"

wxSemaphore COMPORT(1, 1);
wxWindow* TheParent = nullptr;

void (*TARVIK_User_SWFrm::BeforeAdjustmentPass)(TARVIK_User_SWFrm&) = nullptr;

namespace {

enum {
    ID_HELP_MENU = 2001,
    ID_WALLCLOCK = 1070,
    ID_MACDEVTIMER = 1143,
    ID_POLLTIMER = 1074,
    ID_LEVELTIMER = 1048,
    ID_HELP = 1144,
    ID_CONNECTBUTTON = 1106,
    ID_SETDATETIMEBUTTON = 1022,
    ID_METADATABTN = 1145,
};

const long PANEL_STYLE = wxTAB_TRAVERSAL | wxNO_BORDER;
const long SLIDER_STYLE = wxSL_VERTICAL | wxSL_INVERSE;
const char* const VERSION = "2.2.6";

wxPanel* make_panel(wxWindow* parent, int id, int x, int y, int w, int h, long style) {
    auto* panel = new wxPanel(parent, id, wxPoint(x, y), wxSize(w, h), style);
    panel->SetFont(FontProvider::smallFont());
    return panel;
}

wxStaticBox* make_box(wxWindow* parent, int id, const wxString& label, int w, int h) {
    auto* box = new wxStaticBox(parent, id, label, wxPoint(0, 0), wxSize(w, h));
    box->SetFont(FontProvider::smallFont());
    return box;
}

// A label at its best size for its font.
wxStaticText* make_label(wxWindow* parent, int id, const wxString& text, int x, int y,
                         const wxFont& font, const wxString& name) {
    auto* label = new wxStaticText(parent, id, text, wxPoint(x, y), wxDefaultSize, 0, name);
    label->SetFont(font);
    // GTK measures a new font only once its style is refreshed: measure the text directly.
    label->SetSize(label->GetTextExtent(text));
    return label;
}

wxChoice* make_choice(wxWindow* parent, int id, const wxArrayString& items, int x, int y,
                      const wxString& name) {
    auto* choice = new wxChoice(parent, id, wxPoint(x, y), wxSize(145, 21), items, 0,
                                wxDefaultValidator, name);
    choice->SetFont(FontProvider::smallFont());
    choice->Enable(false);
    choice->SetSelection(wxNOT_FOUND);
    return choice;
}

wxArrayString words(std::initializer_list<const char*> list) {
    wxArrayString result;
    for (const char* word : list)
        result.Add(word);
    return result;
}

wxTextCtrl* make_text(wxWindow* parent, int id, int x, int y, long style, const wxString& name) {
    auto* text = new wxTextCtrl(parent, id, wxEmptyString, wxPoint(x, y), wxSize(145, 21), style,
                                wxDefaultValidator, name);
    text->SetFont(FontProvider::smallFont());
    text->Enable(false);
    return text;
}

wxToggleButton* make_preset_button(wxWindow* parent, int id, const wxString& label, int x,
                                   int width, const wxString& name) {
    auto* button = new wxToggleButton(parent, id, label, wxPoint(x, 238), wxSize(width, 25), 0,
                                      wxDefaultValidator, name);
    button->SetFont(FontProvider::smallFont());
    button->Enable(false);
    return button;
}

wxCheckBox* make_check(wxWindow* parent, int id, const wxString& label, int x, int y, int w, int h,
                       const wxString& name) {
    auto* check =
        new wxCheckBox(parent, id, label, wxPoint(x, y), wxSize(w, h), 0, wxDefaultValidator, name);
    check->SetFont(FontProvider::smallFont());
    check->Enable(false);
    return check;
}

wxButton* make_button(wxWindow* parent, int id, const wxString& label, int x, int y, int w, int h,
                      const wxString& name) {
    auto* button =
        new wxButton(parent, id, label, wxPoint(x, y), wxSize(w, h), 0, wxDefaultValidator, name);
    button->SetFont(FontProvider::smallFont());
    return button;
}

wxSlider* make_slider(wxWindow* parent, int id, int value, int min, int max, int x, int height,
                      const wxString& name) {
    auto* slider = new wxSlider(parent, id, value, min, max, wxPoint(x, 88), wxSize(38, height),
                                SLIDER_STYLE, wxDefaultValidator, name);
    slider->SetFont(FontProvider::smallFont());
    slider->Enable(false);
    return slider;
}

wxStaticBitmap* make_picture(wxWindow* parent, int id, const wxBitmap& image, int x, int y, int w,
                             int h) {
    auto* picture = new wxStaticBitmap(parent, id, image, wxPoint(x, y), wxSize(w, h));
    picture->Enable(false);
    return picture;
}

// A picture laid exactly over another one.
wxStaticBitmap* make_overlay(const char* const* xpm, wxStaticBitmap* under, bool shown) {
    auto* picture = new wxStaticBitmap(under->GetParent(), wxID_ANY, wxBitmap(xpm),
                                       under->GetPosition(), under->GetSize());
    picture->Enable(false);
    picture->Show(shown);
    return picture;
}

// Positions may become -1 here, which the toolkit would otherwise take as "keep".
void place(wxWindow* window, int x, int y, int w, int h) {
    window->SetSize(x, y, w, h, wxSIZE_ALLOW_MINUS_ONE);
}

void move_by(wxWindow* window, int dx, int dy) {
    const wxPoint pos = window->GetPosition();
    const wxSize size = window->GetSize();
    place(window, pos.x + dx, pos.y + dy, size.x, size.y);
}

// The adjustment pass computes in single precision and truncates toward zero.
int scaled(int value, float factor, float offset) {
    return static_cast<int>(static_cast<float>(value) * factor + offset);
}

// A level file holds a leading decimal number; anything unreadable or out of range counts as 0.
long long leading_number(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE)
        return 0;
    return value;
}

} // namespace

// clang-format off
BEGIN_EVENT_TABLE(TARVIK_User_SWFrm, wxFrame)
    EVT_CLOSE(TARVIK_User_SWFrm::OnClose)
    EVT_TIMER(ID_WALLCLOCK, TARVIK_User_SWFrm::WallClockTimer)
    EVT_TIMER(ID_MACDEVTIMER, TARVIK_User_SWFrm::MacDevTimerTimer)
    EVT_TIMER(ID_POLLTIMER, TARVIK_User_SWFrm::PollTimerTimer)
    EVT_TIMER(ID_LEVELTIMER, TARVIK_User_SWFrm::LevelTimerTimer)
    EVT_BUTTON(ID_HELP, TARVIK_User_SWFrm::HelpClick)
    EVT_TOGGLEBUTTON(ID_CONNECTBUTTON, TARVIK_User_SWFrm::ConnectButtonClick)
    EVT_BUTTON(ID_SETDATETIMEBUTTON, TARVIK_User_SWFrm::SetDateTimeButtonClick)
    EVT_BUTTON(ID_METADATABTN, TARVIK_User_SWFrm::MetaDataBtnClick)
    EVT_TOGGLEBUTTON(1139, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1067, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1066, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1065, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1064, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1063, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1062, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1061, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1060, TARVIK_User_SWFrm::BTN_PRESET1Click)
    EVT_TOGGLEBUTTON(1059, TARVIK_User_SWFrm::BTN_PRESET1Click)
END_EVENT_TABLE()
// clang-format on

TARVIK_User_SWFrm::TARVIK_User_SWFrm(wxWindow* parent, wxWindowID id, const wxString& title,
                                     const wxPoint& pos, const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style) {
    TheParent = this;
    ovk_cfg_init();
    init_settings_mapping();
    m_micHeadValid = false;
    m_levelMonitoring = false;
    m_connected = false;
    m_presetSwitchAllowed = false;
    m_presetsEnabled = false;
    m_memoryInfoValid = false;
    m_freeMemoryBytes = 0;
    m_levelShown = -120.0f;
    m_sampleRate = 48000;
    CreateGUIControls();
    UpdateCapsulePic();
    Show(true);
}

TARVIK_User_SWFrm::~TARVIK_User_SWFrm() {
    for (wxTimer* timer : {PollTimer, LevelTimer, WallClock, MacDevTimer})
        if (timer)
            timer->Stop();
    delete m_accuMeter;
    delete m_batteryMeter;
    delete m_levelMeter;
    ovk_cfg_done();
    for (wxCheckBox* control : m_checkBoxes)
        m_controlRecords.erase(control);
    for (wxChoice* control : m_choices)
        m_controlRecords.erase(control);
    for (wxSlider* control : m_sliders)
        m_controlRecords.erase(control);
    for (wxTextCtrl* control : m_textCtrls)
        m_controlRecords.erase(control);
    for (T_PRESET_BTN* preset : m_presetButtons)
        delete preset;
    for (wxTimer* timer : {PollTimer, LevelTimer, WallClock, MacDevTimer})
        delete timer;
}

void TARVIK_User_SWFrm::CreateGUIControls() {
    MainPanel = make_panel(this, 1001, 0, 0, 815, 585, PANEL_STYLE);
    CreateStatusPanel();
    CreatePresetPanel();
    CreateLevelPanel();
    CreateConnectionPanel();
    CreateTimers();

    SetTitle(wxT("oVk User Settings"));
    SetSize(0, 0, 815, 585);
    Center(wxBOTH);
    SetTitle(wxString::Format(wxT("oVk User Software v%s"), VERSION));

    if (BeforeAdjustmentPass)
        BeforeAdjustmentPass(*this);
    PatchControlsForMAC(nullptr);
    MacDevTimer->Start(1000);
    CreateOverlays();
    BindSettingControls();
    FillPortList();
    LevelTimer->Start(10);

    wxAcceleratorEntry keys[1];
    keys[0].Set(wxACCEL_NORMAL, WXK_F1, ID_HELP_MENU);
    SetAcceleratorTable(wxAcceleratorTable(1, keys));

    gtk_look::adapt(this);
}

// On GTK the menu bar takes its height from the client area: the panels keep theirs.
void TARVIK_User_SWFrm::SetMenuBar(wxMenuBar* menuBar) {
    wxFrame::SetMenuBar(menuBar);
    gtk_look::fit_client_area(this);
}

void TARVIK_User_SWFrm::CreateStatusPanel() {
    const wxFont& small = FontProvider::smallFont();
    const wxFont& big = FontProvider::bigFont();
    const wxBitmap battery0(Battery0_xpm);
    const wxBitmap memory(Memory_xpm);

    StatusPanel = make_panel(MainPanel, 1002, 10, 10, 480, 230, PANEL_STYLE);
    wxWindow* p = StatusPanel;
    StatusBox = make_box(p, 1016, wxT("Device Status"), 480, 230);
    TotalPowerLabel = make_label(p, 1035, wxT("INTERNAL"), 45, 209, small, "TotalPowerLabel");
    MemoryLabel = make_label(p, 1040, wxT("MEMORY FREE"), 223, 209, small, "MemoryLabel");
    RecordTimeLeft = make_label(p, 1042, wxT("00h00m"), 337, 32, big, "RecordTimeLeft");
    MemoryFreeText = make_label(p, 1043, wxT("free memory"), 338, 55, small, "MemoryFreeText");
    RecordTimeLabel =
        make_label(p, 1073, wxT("Recording time left:"), 338, 18, small, "RecordTimeLabel");
    WxStaticText1 = make_label(p, 1111, wxT("BATTERY"), 136, 209, small, "WxStaticText1");
    BatteryPowerLabel = make_label(p, 1112, wxT("0 %"), 145, 32, big, "BatteryPowerLabel");
    AccuPowerLabel = make_label(p, 1113, wxT("0 %"), 58, 32, big, "AccuPowerLabel");
    MicPicture = make_picture(p, 1078, wxNullBitmap, 336, 88, 100, 100);
    AccuMeterBitmap = make_picture(p, 1126, battery0, 38, 85, 62, 99);
    BatteryMeterBitmap = make_picture(p, 1124, battery0, 127, 85, 62, 99);
    MemoryMeterBitmap = make_picture(p, 1123, memory, 222, 85, 74, 99);
    MemoryMeterLabel = make_label(p, 1127, wxT("0 %"), 246, 32, big, "MemoryMeterLabel");
    NoMicText =
        make_label(p, 1132, wxT("No Mic Head"), 336, 118, FontProvider::midFont(), "NoMicText");
    WxStaticText9 = make_label(p, 1133, wxT("HEAD:"), 347, 209, small, "WxStaticText9");
    MicTypeLabel = make_label(p, 1134, wxT("none"), 382, 209, small, "MicTypeLabel");
}

void TARVIK_User_SWFrm::CreatePresetPanel() {
    const wxFont& small = FontProvider::smallFont();
    const wxArrayString power = words({"battery", "internal"});

    PresetPanel = make_panel(MainPanel, 1003, 10, 250, 480, 280, PANEL_STYLE);
    wxWindow* p = PresetPanel;
    PresetBox = make_box(p, 1015, wxT("Preset Profile"), 480, 280);
    output_chooser = make_choice(p, 1050, words({"Headphone", "Lineout", "Lineout (balanced)"}), 14,
                                 83, "output_chooser");
    rec_format_chooser =
        make_choice(p, 1051, words({"WAV", "BWF", "MP2"}), 170, 83, "rec_format_chooser");
    bitrate_chooser =
        make_choice(p, 1052, words({"192", "160", "128"}), 170, 126, "bitrate_chooser");
    prefix_name = make_text(p, 1053, 324, 126, wxTE_CENTRE, "prefix_name");
    mic_label = make_text(p, 1058, 324, 39, wxTE_CENTRE | wxTE_READONLY, "mic_label");
    BTN_PRESET1 = make_preset_button(p, 1059, wxT("1"), 73, 44, "BTN_PRESET1");
    BTN_PRESET2 = make_preset_button(p, 1060, wxT("2"), 117, 44, "BTN_PRESET2");
    BTN_PRESET3 = make_preset_button(p, 1061, wxT("3"), 161, 44, "BTN_PRESET3");
    BTN_PRESET4 = make_preset_button(p, 1062, wxT("4"), 205, 44, "BTN_PRESET4");
    BTN_PRESET5 = make_preset_button(p, 1063, wxT("5"), 249, 44, "BTN_PRESET5");
    BTN_PRESET6 = make_preset_button(p, 1064, wxT("6"), 293, 44, "BTN_PRESET6");
    BTN_PRESET7 = make_preset_button(p, 1065, wxT("7"), 337, 44, "BTN_PRESET7");
    BTN_PRESET8 = make_preset_button(p, 1066, wxT("8"), 381, 44, "BTN_PRESET8");
    BTN_PRESET9 = make_preset_button(p, 1067, wxT("9"), 425, 44, "BTN_PRESET9");
    preset_name = make_text(p, 1068, 324, 83, wxTE_CENTRE | wxTE_READONLY, "preset_name");
    messaging_chooser =
        make_check(p, 1069, wxT("Enable messaging"), 16, 119, 121, 17, "messaging_chooser");
    rec_sample_rate = make_choice(p, 1083, words({"48000"}), 170, 39, "rec_sample_rate");
    pm_prefered_power_source = make_choice(p, 1084, power, 14, 39, "pm_prefered_power_source");
    pm_prefered_power_source_fixed =
        make_choice(p, 1085, power, 14, 39, "pm_prefered_power_source");
    pm_prefered_power_source_fixed->Show(false);
    pm_prefered_power_source_fixed->SetSelection(0);
    WxStaticText5 =
        make_label(p, 1087, wxT("Preferred power source"), 16, 24, small, "WxStaticText5");
    WxStaticText6 = make_label(p, 1088, wxT("Microphone label"), 325, 25, small, "WxStaticText6");
    WxStaticText7 = make_label(p, 1089, wxT("Sample rate"), 171, 25, small, "WxStaticText7");
    WxStaticText10 = make_label(p, 1092, wxT("Record format"), 171, 69, small, "WxStaticText10");
    WxStaticText11 = make_label(p, 1093, wxT("Output"), 16, 68, small, "WxStaticText11");
    WxStaticText12 = make_label(p, 1094, wxT("Filename prefix"), 325, 112, small, "WxStaticText12");
    WxStaticText13 =
        make_label(p, 1095, wxT("Compression bitrate (mono)"), 171, 112, small, "WxStaticText13");
    WxStaticText15 = make_label(p, 1097, wxT("Preset Name"), 325, 69, small, "WxStaticText15");
    WxStaticText16 =
        make_label(p, 1098, wxT("(always disabled for Lineout)"), 16, 136, small, "WxStaticText16");
    ilm_roi_enable =
        make_check(p, 1119, wxT("Enable ZUR autoleveling"), 16, 206, 143, 16, "ilm_roi_enable");
    ilm_li_enable =
        make_check(p, 1120, wxT("Enable ZUR limiter"), 17, 170, 143, 16, "ilm_li_enable");
    RecStereoFile =
        make_check(p, 1136, wxT("Write stereo file"), 172, 206, 143, 16, "RecStereoFile");
    BTN_PRESET0 = make_preset_button(p, 1139, wxT("DEFAULT"), 13, 60, "BTN_PRESET0");
    WxStaticText23 =
        make_label(p, 1141, wxT("Timestamp suffix"), 325, 157, small, "WxStaticText23");
    RecDateName = make_choice(p, 1142, words({"none", "date only", "time only", "date and time"}),
                              324, 171, "RecDateName");
    MetaDataBtn =
        make_button(p, ID_METADATABTN, wxT("BWF Metadata"), 170, 168, 145, 25, "MetaDataBtn");
    MetaDataBtn->Enable(false);
}

void TARVIK_User_SWFrm::CreateLevelPanel() {
    const wxFont& small = FontProvider::smallFont();

    LevelPanel = make_panel(MainPanel, 1004, 500, 100, 295, 430, PANEL_STYLE);
    wxWindow* p = LevelPanel;
    LevelBox = make_box(p, 1019, wxT("Level Settings"), 285, 430);
    MicLevel = make_slider(p, 1018, 18, 0, 60, 84, 296, "MicLevel");
    MicLineLabel = make_label(p, 1020, wxT("  Mic\nLevel"), 46, 385, small, "MicLineLabel");
    GainText = make_label(p, 1021, wxT(" Mic\nGain"), 85, 385, small, "GainText");
    SetDateTimeButton = make_button(p, ID_SETDATETIMEBUTTON, wxT("Set to host time"), 86, 38, 87,
                                    20, "SetDateTimeButton");
    SetDateTimeButton->Enable(false);
    MicGainText = make_label(p, 1023, wxT("0dB"), 87, 72, small, "MicGainText");
    DateText = make_label(p, 1027, wxT("2010/04/01"), 183, 39, FontProvider::midFont(), "DateText");
    TimeText = make_label(p, 1028, wxT("12:00:00"), 181, 15, FontProvider::bigFont(), "TimeText");
    LineLevel = make_slider(p, 1079, 0, -15, 30, 135, 296, "LineLevel");
    WxStaticText3 = make_label(p, 1080, wxT("Line\nGain"), 137, 385, small, "WxStaticText3");
    HPLevel = make_slider(p, 1081, 0, -68, 0, 187, 297, "HPLevel");
    HeadphoneLevelLabel =
        make_label(p, 1082, wxT("  HP\nLevel"), 186, 385, small, "HeadphoneLevelLabel");
    WxStaticText17 = make_label(p, 1099, wxT("Device time:"), 112, 21, small, "WxStaticText17");
    HPLevelText = make_label(p, 1114, wxT("0dB"), 191, 72, small, "HPLevelText");
    LineLevelText = make_label(p, 1115, wxT("0dB"), 139, 72, small, "LineLevelText");
    LineOutLevel = make_slider(p, 1116, 0, -68, 0, 239, 296, "LineOutLevel");
    WxStaticText18 =
        make_label(p, 1117, wxT("Lineout\n  Level"), 233, 385, small, "WxStaticText18");
    LineOutLevelText = make_label(p, 1118, wxT("0dBu"), 239, 72, small, "LineOutLevelText");

    LevelMeterPlaceholder = new wxPanel(p, 1122, wxPoint(45, 47), wxSize(28, 337), wxSUNKEN_BORDER);
    LevelMeterPlaceholder->SetBackgroundColour(*wxWHITE);
    LevelMeterPlaceholder->Show(false);
    m_levelMeter = new LevelMeterPanel(LevelMeterPlaceholder);

    auto scale_label = [&](int id, const char* text, int x, float db, const char* name) {
        return make_label(p, id, text, x, m_levelMeter->getScaleOffset(db) + 44, small, name);
    };
    ZeroDBText = scale_label(1025, "0dBFS", 12, 0.0f, "ZeroDBText");
    M3DBText = scale_label(wxID_ANY, "-3dB", 19, -3.0f, "M3DBText");
    M6DBText = scale_label(wxID_ANY, "-6dB", 19, -6.0f, "M6DBText");
    M9DBText = scale_label(wxID_ANY, "-9dB", 19, -9.0f, "M9DBText");
    M12DBText = scale_label(wxID_ANY, "-12dB", 13, -12.0f, "M12DBText");
    M15DBText = scale_label(wxID_ANY, "-15dB", 13, -15.0f, "M15DBText");
    WxStaticText19 = scale_label(1129, "-20dB", 13, -20.0f, "WxStaticText19");
    WxStaticText20 = scale_label(1130, "-30dB", 13, -30.0f, "WxStaticText20");
    WxStaticText21 = scale_label(1131, "-40dB", 13, -40.0f, "WxStaticText21");
    WxStaticText2 = scale_label(1138, "-60dB", 13, -60.0f, "WxStaticText2");
}

void TARVIK_User_SWFrm::CreateConnectionPanel() {
    ConnectionPanel = make_panel(MainPanel, 1102, 500, 10, 295, 80, PANEL_STYLE);
    wxWindow* p = ConnectionPanel;
    ConnectionBox = make_box(p, 1108, wxT("Connection"), 190, 80);

    wxArrayString ports;
    for (int i = 1; i <= 16; ++i)
        ports.Add(wxString::Format(wxT("COM%d"), i));
    PortChoice = new wxChoice(p, 1107, wxPoint(16, 18), wxSize(164, 21), ports, 0,
                              wxDefaultValidator, "PortChoice");
    PortChoice->SetFont(FontProvider::smallFont());
    PortChoice->SetSelection(wxNOT_FOUND);
    ConnectButton =
        new wxToggleButton(p, ID_CONNECTBUTTON, wxT("Connect to device"), wxPoint(16, 44),
                           wxSize(164, 25), 0, wxDefaultValidator, "ConnectButton");
    ConnectButton->SetFont(FontProvider::smallFont());
    Help = make_button(p, ID_HELP, wxT("Help"), 202, 18, 75, 25, "Help");
}

void TARVIK_User_SWFrm::CreateTimers() {
    LevelTimer = new wxTimer(this, ID_LEVELTIMER);
    PollTimer = new wxTimer(this, ID_POLLTIMER);
    MacDevTimer = new wxTimer(this, ID_MACDEVTIMER);
    WallClock = new wxTimer(this, ID_WALLCLOCK);
    WallClock->Start(1000);
}

void TARVIK_User_SWFrm::CreateOverlays() {
    NoBattery = make_overlay(NoBattery_xpm, AccuMeterBitmap, false);
    MuteHead = make_overlay(MuteHead_xpm, MicPicture, true);
    Niere = make_overlay(Niere_xpm, MicPicture, true);
    Superniere = make_overlay(Superniere_xpm, MicPicture, true);
    Kugel = make_overlay(Kugel_xpm, MicPicture, true);
}

void TARVIK_User_SWFrm::BindSettingControls() {
    wxToggleButton* const buttons[10] = {BTN_PRESET0, BTN_PRESET1, BTN_PRESET2, BTN_PRESET3,
                                         BTN_PRESET4, BTN_PRESET5, BTN_PRESET6, BTN_PRESET7,
                                         BTN_PRESET8, BTN_PRESET9};
    for (int i = 0; i < 10; ++i)
        m_presetButtons.push_back(new T_PRESET_BTN{i, buttons[i]});

    m_batteryMeter = new PowerMeter(BatteryMeterBitmap);
    m_accuMeter = new PowerMeter(AccuMeterBitmap);

    // Each bound control with its setting, in binding order.
    const std::pair<wxControl*, T_SETTING_ELEMENTS> bound[] = {
        {mic_label, SETTING_MIC_LABEL},
        {preset_name, SETTING_PRESET_NAME},
        {prefix_name, SETTING_REC_FILENAME_PREFIX},
        {rec_format_chooser, SETTING_REC_FILE_FORMAT},
        {rec_sample_rate, SETTING_REC_SAMPLE_RATE},
        {bitrate_chooser, SETTING_REC_BITRATE},
        {ilm_roi_enable, SETTING_ROI_ENABLE},
        {ilm_li_enable, SETTING_LI_ENABLE},
        {RecDateName, SETTING_COMBINE_DATE_PREFIX},
        {RecStereoFile, SETTING_REC_FILE_STEREO},
        {pm_prefered_power_source, SETTING_PM_PREFERED_POWER_SOURCE},
        {output_chooser, SETTING_PLAY_OUTPUT_SELECTION},
        {messaging_chooser, SETTING_MESS_ENABLED},
        {MicLevel, SETTING_REC_MIC_LEVEL},
        {LineLevel, SETTING_REC_LINE_LEVEL},
        {HPLevel, SETTING_PLAY_HEADSET_LEVEL},
        {LineOutLevel, SETTING_PLAY_LINEOUT_LEVEL},
    };
    for (const auto& [control, setting] : bound) {
        m_controlRecords[control] = &settings_mapping[setting];
        if (auto* check = dynamic_cast<wxCheckBox*>(control))
            m_checkBoxes.push_back(check);
        else if (auto* choice = dynamic_cast<wxChoice*>(control))
            m_choices.push_back(choice);
        else if (auto* slider = dynamic_cast<wxSlider*>(control))
            m_sliders.push_back(slider);
        else if (auto* text = dynamic_cast<wxTextCtrl*>(control))
            m_textCtrls.push_back(text);
    }

    for (wxSlider* slider : m_sliders)
        slider->SetValue(0);
    auto link = [this](wxControl* control, int kind) {
        T_SETTING_MAPPING* record = m_controlRecords[control];
        record->control_kind = kind;
        record->control = control;
    };
    for (wxCheckBox* check : m_checkBoxes) {
        Bind(wxEVT_CHECKBOX, &TARVIK_User_SWFrm::MapCommandEvent, this, check->GetId());
        link(check, CONTROL_CHECK_BOX);
    }
    for (wxChoice* choice : m_choices) {
        Bind(wxEVT_CHOICE, &TARVIK_User_SWFrm::MapCommandEvent, this, choice->GetId());
        link(choice, CONTROL_CHOICE);
    }
    for (wxSlider* slider : m_sliders) {
        Bind(wxEVT_SCROLL_CHANGED, &TARVIK_User_SWFrm::MapCommandEvent, this, slider->GetId());
        Bind(wxEVT_SCROLL_THUMBTRACK, &TARVIK_User_SWFrm::MapCommandEvent, this, slider->GetId());
        link(slider, CONTROL_SLIDER);
    }
    for (wxTextCtrl* text : m_textCtrls) {
        Bind(wxEVT_TEXT, &TARVIK_User_SWFrm::MapCommandEvent, this, text->GetId());
        link(text, CONTROL_TEXT);
        text->SetMaxLength(59);
    }

    m_activePreset = 1;
    for (T_SETTING_ELEMENTS setting : {SETTING_MIC_LABEL,
                                       SETTING_PRESET_NAME,
                                       SETTING_PRESETS_ENABLED,
                                       SETTING_ALLOW_SET_TIME,
                                       SETTING_ALLOW_SET_PRESET,
                                       SETTING_REC_MIC_LEVEL,
                                       SETTING_REC_LINE_LEVEL,
                                       SETTING_REC_FILE_FORMAT,
                                       SETTING_REC_SAMPLE_RATE,
                                       SETTING_REC_BITRATE,
                                       SETTING_REC_FILE_STEREO,
                                       SETTING_REC_FILENAME_PREFIX,
                                       SETTING_COMBINE_DATE_PREFIX,
                                       SETTING_REC_META_DESCRIPTION0,
                                       SETTING_REC_META_DESCRIPTION1,
                                       SETTING_REC_META_DESCRIPTION2,
                                       SETTING_REC_META_DESCRIPTION3,
                                       SETTING_REC_META_DESCRIPTION4,
                                       SETTING_REC_META_ORIGINATOR,
                                       SETTING_REC_META_CC,
                                       SETTING_REC_META_OOO,
                                       SETTING_PLAY_OUTPUT_SELECTION,
                                       SETTING_PLAY_HEADSET_LEVEL,
                                       SETTING_PLAY_LINEOUT_LEVEL,
                                       SETTING_MESS_ENABLED,
                                       SETTING_PM_PREFERED_POWER_SOURCE,
                                       SETTING_RTC_AUTOSYNC,
                                       SETTING_ROI_ENABLE,
                                       SETTING_LI_ENABLE})
        m_permissionSettings.insert(setting);
    m_displaySettings = m_permissionSettings;
    for (T_SETTING_ELEMENTS setting : m_permissionSettings) {
        const T_SETTING_MAPPING& record = settings_mapping[setting];
        Control_to_Settings(record.control);
        if (record.allow_setting != -1 && record.allow_setting != -2)
            m_displaySettings.insert(static_cast<T_SETTING_ELEMENTS>(record.allow_setting));
    }
}

void TARVIK_User_SWFrm::FillPortList() {
    PortChoice->Clear();
    const int count = get_num_ports();
    if (count < 1)
        PortChoice->Append(wxT("no device found"));
    for (int i = 1; i <= count; ++i)
        PortChoice->Append(wxString::Format(wxT("COM%d"), i));
    // A remembered port beyond the list selects nothing; the list stays usable.
    const int port = get_default_port();
    const bool listed = port >= 0 && port < static_cast<int>(PortChoice->GetCount());
    PortChoice->SetSelection(listed ? port : wxNOT_FOUND);
}

void TARVIK_User_SWFrm::PatchControlsForMAC(wxWindow* parent) {
    const float up = 1.2f;
    const float across = 1.1f;
    if (!parent) {
        const wxSize size = GetSize();
        SetSize(scaled(size.x, up, -10.0f), scaled(size.y, across, -10.0f));
        Center(wxBOTH);
        parent = this;
    }
    const wxWindow* const exempt[] = {ZeroDBText,
                                      M3DBText,
                                      M6DBText,
                                      M9DBText,
                                      M12DBText,
                                      M15DBText,
                                      WxStaticText19,
                                      WxStaticText20,
                                      WxStaticText21,
                                      WxStaticText2,
                                      LevelMeterPlaceholder,
                                      m_levelMeter};
    const wxStaticText* const narrowed[] = {GainText, WxStaticText3, HeadphoneLevelLabel,
                                            WxStaticText18};

    for (wxWindow* c : parent->GetChildren()) {
        const wxSize size = c->GetSize();
        const wxPoint pos = c->GetPosition();
        const bool isExempt =
            std::find(std::begin(exempt), std::end(exempt), c) != std::end(exempt);
        if (!isExempt)
            place(c, scaled(pos.x, up, 2.0f), scaled(pos.y, across, 4.0f), scaled(size.x, up, 0.0f),
                  scaled(size.y, across, 0.0f));
        if (dynamic_cast<wxToggleButton*>(c))
            move_by(c, -7, -3);
        if (dynamic_cast<wxChoice*>(c))
            move_by(c, 0, -2);
        if (c == AccuMeterBitmap || c == BatteryMeterBitmap || c == MemoryMeterBitmap)
            move_by(c, 7, 0);
        if (isExempt)
            move_by(c, 5, 40);
        if (c == LevelMeterPlaceholder || c == m_levelMeter) {
            const wxSize was = c->GetSize();
            move_by(c, 16, 0);
            if (c == LevelMeterPlaceholder)
                c->SetSize(was.x - 4, was.y - 4);
        }

        if (c == MicLineLabel)
            move_by(c, 4, -1);
        else if (c == WxStaticText17)
            move_by(c, 0, 3);
        else if (c == Help)
            move_by(c, -2, -2);
        else if (c == ConnectButton)
            move_by(c, -2, 0);
        else if (c == MetaDataBtn)
            move_by(c, -5, -3);
        else if (c == SetDateTimeButton)
            move_by(c, -3, -3);
        else if (c == RecDateName)
            place(c, c->GetPosition().x - 1, c->GetPosition().y, c->GetSize().x - 3,
                  c->GetSize().y);
        else if (c == RecordTimeLabel)
            move_by(c, 0, 6);
        else if (c == MemoryFreeText)
            move_by(c, 0, 4);
        else if (c == PortChoice)
            move_by(c, -4, 3);
        else if (c == TimeText)
            move_by(c, 0, 2);
        else if (std::find(std::begin(narrowed), std::end(narrowed), c) != std::end(narrowed))
            place(c, c->GetPosition().x + 7, c->GetPosition().y, 50, c->GetSize().y);

        PatchControlsForMAC(c);
    }
}

void TARVIK_User_SWFrm::OnClose(wxCloseEvent& WXUNUSED(event)) {
    wxCommandEvent toggle(wxEVT_TOGGLEBUTTON, ConnectButton->GetId());
    toggle.SetEventObject(ConnectButton);
    ConnectButton->SetValue(false);
    if (m_connected)
        ConnectButtonClick(toggle);
    Destroy();
}

void TARVIK_User_SWFrm::HelpClick(wxCommandEvent& WXUNUSED(event)) {
    open_in_browser(help_document_path(wxStandardPaths::Get().GetExecutablePath()));
}

void TARVIK_User_SWFrm::WallClockTimer(wxTimerEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::LevelTimerTimer(wxTimerEvent& WXUNUSED(event)) {
    static wxLongLong lastHere = wxGetLocalTimeMillis();
    m_levelPhase = static_cast<signed char>((m_levelPhase + 1) % 5);
    if (!m_connected || !m_levelMonitoring)
        m_levelCurrent = -120.0f;
    else if (m_levelPhase == 1) {
        ReadLevel();
        LinkDown();
    }
    const wxLongLong now = wxGetLocalTimeMillis();
    const double elapsed = (now - lastHere).ToDouble();
    lastHere = now;
    MoveShownLevel(static_cast<float>(elapsed * (1.0 / 60.0)));
    m_levelMeter->setValue(m_levelShown);
}

void TARVIK_User_SWFrm::ReadLevel() {
    const char* const path = "/proc/dsp_level";
    link_frame answer;
    COMPORT.Wait();
    if (PollRequest(&answer, CMD_READ_FILE, path, "", WAIT_BY_NAME_ANSWER)) {
        const long long value = leading_number(frame_text(&answer));
        if (value != 0)
            m_levelCurrent = 20.0f * log10f(static_cast<float>(value) / 32767.0f);
    }
    COMPORT.Post();
}

// Instant rise; fall by the given amount, but never below the current reading.
void TARVIK_User_SWFrm::MoveShownLevel(float fall) {
    float shown = m_levelShown;
    const float current = m_levelCurrent;
    if (current > shown)
        shown = current;
    else if (shown - fall >= current)
        shown = shown - fall;
    else if (shown > current)
        shown = current;
    m_levelShown = shown;
}
