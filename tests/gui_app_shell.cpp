// The application's start, help, preferences, port list and close, in a real window.
#include "gui_app_probe.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <stdio_ext.h>
#include <unistd.h>

#include <wx/accel.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/stdpaths.h>

#include "ovk_cfg.h"
#include "simdevice.h"
#include "utils.h"

namespace {

std::vector<wxString> g_opened;
void record_open(const wxString& path) {
    g_opened.push_back(path);
}

std::string read_file(const wxString& path) {
    std::ifstream in(path.ToStdString());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_preferences(const std::string& text) {
    const wxFileName name(ovk_cfg_path());
    wxFileName::Mkdir(name.GetPath(), 0777, wxPATH_MKDIR_FULL);
    std::ofstream(name.GetFullPath().ToStdString()) << text;
}

// A device folder holding the given number of port names.
class PortFolder {
  public:
    explicit PortFolder(int ports) {
        char pattern[] = "/tmp/ovk-ports-XXXXXX";
        dir_ = mkdtemp(pattern);
        for (int i = 0; i < ports; ++i)
            links_.push_back(dir_ + "/ttyACM" + std::to_string(i));
        for (const auto& link : links_)
            EXPECT_EQ(symlink("/dev/null", link.c_str()), 0);
        set_port_directory(dir_.c_str());
    }
    ~PortFolder() {
        set_port_directory("/dev");
        for (const auto& link : links_)
            unlink(link.c_str());
        rmdir(dir_.c_str());
    }

  private:
    std::string dir_;
    std::vector<std::string> links_;
};

class ShellTest : public testing::Test {
  protected:
    void SetUp() override {
        g_opened.clear();
        open_in_browser = record_open;
        std::remove(ovk_cfg_path().ToStdString().c_str());
    }

    std::vector<wxString> port_entries(TARVIK_User_SWFrm* window) {
        std::vector<wxString> entries;
        auto* ports = control<wxChoice>(window, 1107);
        for (unsigned i = 0; i < ports->GetCount(); ++i)
            entries.push_back(ports->GetString(i));
        return entries;
    }
};

TEST_F(ShellTest, MenuItemF1AndHelpButtonOpenTheSameDocument) {
    PortFolder none(0);
    TARVIK_User_SWFrm* window = start_program();

    wxMenuBar* bar = window->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), 1u);
    EXPECT_EQ(bar->GetMenuLabelText(0), "Help");
    wxMenuItem* item = bar->FindItem(2001);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), "oVk user help");

    wxCommandEvent menu(wxEVT_MENU, 2001);
    window->ProcessWindowEvent(menu);

    // F1 is the window's accelerator for the menu command.
    wxKeyEvent f1(wxEVT_KEY_DOWN);
    f1.m_keyCode = WXK_F1;
    ASSERT_NE(window->GetAcceleratorTable(), nullptr);
    const int command = window->GetAcceleratorTable()->GetCommand(f1);
    EXPECT_EQ(command, 2001);
    wxCommandEvent accelerated(wxEVT_MENU, command);
    window->ProcessWindowEvent(accelerated);

    auto* help = control<wxButton>(window, 1144);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetLabel(), "Help");
    wxCommandEvent click(wxEVT_BUTTON, 1144);
    click.SetEventObject(help);
    help->ProcessWindowEvent(click);

    ASSERT_EQ(g_opened.size(), 3u);
    EXPECT_EQ(g_opened[0], g_opened[1]);
    EXPECT_EQ(g_opened[0], g_opened[2]);
    // The path keeps its ".." steps; resolved it lies three folders above the executable's.
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    EXPECT_TRUE(g_opened[0].EndsWith("/../../../Doc/index.htm")) << g_opened[0];
    EXPECT_EQ(normalised(g_opened[0]), normalised(exe.GetPath() + "/../../../Doc/index.htm"));
    close_program(window);
}

TEST(HelpPath, FromTheProgramsFolderReachesTheManualAtTheRepositoryRoot) {
    // The program lies in <build>/app/bin; the test programs in <build>/tests.
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString build = exe.GetPath() + "/..";
    const wxString program = build + "/app/bin/TARVIK_User_SW";
    wxFileName repo(__FILE__);
    repo.RemoveLastDir();
    EXPECT_EQ(normalised(help_document_path(program)),
              normalised(repo.GetPath() + "/Doc/index.htm"));
}

TEST_F(ShellTest, FinalTitleAndFixedFrame) {
    PortFolder none(0);
    TARVIK_User_SWFrm* window = start_program();
    EXPECT_EQ(window->GetTitle(), "oVk User Software v2.2.6");
    EXPECT_EQ(window->GetId(), 1);
    EXPECT_EQ(window->GetName(), "frame");
    EXPECT_FALSE(window->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(window->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_TRUE(window->HasFlag(wxMINIMIZE_BOX | wxCLOSE_BOX | wxCAPTION));
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(TheParent, window);
    close_program(window);
}

TEST_F(ShellTest, TimersHaveTheirIdsIntervalsAndStarts) {
    PortFolder none(0);
    TARVIK_User_SWFrm* window = start_program();
    MainWindowProbe probe(window);
    struct Expected {
        wxTimer* timer;
        int id;
        int interval;
        bool running;
    } timers[] = {{probe.wallClock(), 1070, 1000, true},
                  {probe.macDevTimer(), 1143, 1000, true},
                  {probe.pollTimer(), 1074, 0, false},
                  {probe.levelTimer(), 1048, 10, true}};
    for (const auto& t : timers) {
        ASSERT_NE(t.timer, nullptr);
        EXPECT_EQ(t.timer->GetId(), t.id);
        EXPECT_EQ(t.timer->GetOwner(), window);
        EXPECT_EQ(t.timer->IsRunning(), t.running) << t.id;
        if (t.running) {
            EXPECT_EQ(t.timer->GetInterval(), t.interval) << t.id;
            EXPECT_FALSE(t.timer->IsOneShot());
        }
    }
    close_program(window);
}

TEST_F(ShellTest, ClosingWhileNotConnectedSendsNothingAndWritesThePreferences) {
    sim::SimDevice device;
    device.list_as_port();
    TARVIK_User_SWFrm* window = start_program();
    EXPECT_EQ(port_entries(window), std::vector<wxString>{"COM1"});
    guitest::pump(100); // the level timer runs meanwhile, without a link
    set_default_port(0);
    EXPECT_FALSE(wxFileExists(ovk_cfg_path())); // written only when the window goes

    bool destroyed = false;
    window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        destroyed |= e.GetEventObject() == window;
        e.Skip();
    });
    close_program(window);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(device.wait_for_frames(1, 100));
    EXPECT_NE(read_file(ovk_cfg_path()).find("LastCOMPort=0"), std::string::npos);
}

TEST_F(ShellTest, FirstRunCreatesTheWholeFolderPath) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string before = saved ? saved : "";
    const std::string fresh = guitest::temp_home() + "/first-run/.local/share";
    setenv("XDG_DATA_HOME", fresh.c_str(), 1);
    EXPECT_EQ(ovk_cfg_path(), fresh + "/HarrowDyn/oVk.cfg");
    PortFolder two(2);

    TARVIK_User_SWFrm* window = start_program();
    EXPECT_TRUE(wxDirExists(fresh + "/HarrowDyn"));
    EXPECT_EQ(control<wxChoice>(window, 1107)->GetSelection(), 0);
    set_default_port(1);
    close_program(window);
    EXPECT_NE(read_file(ovk_cfg_path()).find("LastCOMPort=1"), std::string::npos);
    setenv("XDG_DATA_HOME", before.c_str(), 1);
}

TEST_F(ShellTest, StartIsQuietWithoutAPreferencesFolderAndItsOutputComesByTheLine) {
    const std::string before = std::getenv("XDG_DATA_HOME");
    // A file where a folder of the path should be: no folder can be made there.
    const std::string blocked = guitest::temp_home() + "/blocked";
    std::ofstream(blocked) << "a file";
    setenv("XDG_DATA_HOME", (blocked + "/share").c_str(), 1);
    // Standard output as it is when it goes to a file or a pipe.
    std::fflush(stdout);
    std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
    PortFolder none(0);

    TARVIK_User_SWFrm* window = start_program();
    guitest::pump(50); // logged errors would be shown now, when the toolkit is idle
    EXPECT_NE(__flbf(stdout), 0);
    EXPECT_EQ(get_default_port(), 0);
    set_default_port(1);
    close_program(window); // the file cannot be written either: still no dialog
    EXPECT_FALSE(wxFileExists(ovk_cfg_path()));
    setenv("XDG_DATA_HOME", before.c_str(), 1);
}

TEST_F(ShellTest, PreferencesFallBackToTheHomeFolder) {
    const std::string before = std::getenv("XDG_DATA_HOME");
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(ovk_cfg_path(), wxGetHomeDir() + "/.local/share/HarrowDyn/oVk.cfg");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ovk_cfg_path(), wxGetHomeDir() + "/.local/share/HarrowDyn/oVk.cfg");
    setenv("XDG_DATA_HOME", before.c_str(), 1);
}

TEST_F(ShellTest, StoredPortIndexSelectsThatEntry) {
    write_preferences("[Global]\nLastCOMPort=1\n");
    PortFolder two(2);
    TARVIK_User_SWFrm* window = start_program();
    EXPECT_EQ(port_entries(window), (std::vector<wxString>{"COM1", "COM2"}));
    EXPECT_EQ(control<wxChoice>(window, 1107)->GetSelection(), 1);
    EXPECT_EQ(get_default_port(), 1);
    close_program(window);
}

TEST_F(ShellTest, StoredIndexBeyondTheListLeavesItUsable) {
    write_preferences("[Global]\nLastCOMPort=7\n");
    PortFolder none(0);
    TARVIK_User_SWFrm* window = start_program();
    auto* ports = control<wxChoice>(window, 1107);
    EXPECT_EQ(port_entries(window), std::vector<wxString>{"no device found"});
    EXPECT_EQ(ports->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(get_default_port(), 7); // kept as stored
    ports->SetSelection(0);
    EXPECT_EQ(ports->GetStringSelection(), "no device found");
    close_program(window);
    EXPECT_NE(read_file(ovk_cfg_path()).find("LastCOMPort=7"), std::string::npos);
}

TEST_F(ShellTest, UnreadableStoredPortCountsAsTheFirst) {
    for (const char* stored : {"second", "99999999999"}) {
        write_preferences(std::string("[Global]\nLastCOMPort=") + stored + "\n");
        PortFolder two(2);
        TARVIK_User_SWFrm* window = start_program();
        EXPECT_EQ(get_default_port(), 0) << stored;
        EXPECT_EQ(control<wxChoice>(window, 1107)->GetSelection(), 0) << stored;
        close_program(window);
    }
}

TEST_F(ShellTest, ConnectToggleStartsReleased) {
    PortFolder none(0);
    TARVIK_User_SWFrm* window = start_program();
    auto* toggle = control<wxToggleButton>(window, 1106);
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->GetLabel(), "Connect to device");
    EXPECT_FALSE(toggle->GetValue());
    EXPECT_TRUE(toggle->IsEnabled());
    close_program(window);
}

} // namespace
