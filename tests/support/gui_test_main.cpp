#include "gui_test.h"

#include "TARVIK_User_SWFrm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace guitest {
namespace {

std::vector<DialogSeen> g_dialogs;
std::function<void(wxDialog*)> g_action;
std::function<void(wxDialog*)> g_opened;
std::string g_home;

class DialogRecorder : public wxModalDialogHook {
  protected:
    int Enter(wxDialog* dialog) override {
        // A dialog's event loop runs timers that exchange frames: the port lock must be free.
        if (COMPORT.TryWait() == wxSEMA_BUSY)
            ADD_FAILURE() << "dialog \"" << dialog->GetTitle().utf8_str()
                          << "\" opened while the port lock is held";
        else
            COMPORT.Post();
        DialogSeen seen{dialog->GetTitle(), wxString()};
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
            seen.message = box->GetMessage();
        g_dialogs.push_back(seen);
        if (!g_action) {
            if (g_opened) {
                auto opened = g_opened;
                opened(dialog);
            }
            return wxID_OK;
        }
        auto action = g_action;
        dialog->CallAfter([action, dialog] { action(dialog); });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

void fail_on_assert(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg) {
    ADD_FAILURE() << "toolkit assertion " << cond.utf8_str() << " in " << func.utf8_str() << " ("
                  << file.utf8_str() << ":" << line << "): " << msg.utf8_str();
}

// Any dialog that a test did not take with take_dialogs() fails that test.
class UnexpectedDialogs : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        for (const auto& d : g_dialogs)
            ADD_FAILURE() << "unexpected dialog \"" << d.title.utf8_str()
                          << "\": " << d.message.utf8_str();
        g_dialogs.clear();
        g_action = nullptr;
        g_opened = nullptr;
    }
};

void make_temp_home() {
    char pattern[] = "/tmp/ovk-gui-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    g_home = std::string(dir) + "/home";
    if (!wxMkdir(g_home)) {
        std::perror("mkdir");
        std::exit(1);
    }
    setenv("HOME", g_home.c_str(), 1);
    setenv("XDG_DATA_HOME", (g_home + "/.local/share").c_str(), 1);
}

} // namespace

std::vector<DialogSeen> take_dialogs() {
    std::vector<DialogSeen> seen;
    seen.swap(g_dialogs);
    return seen;
}

void set_modal_action(std::function<void(wxDialog*)> action) {
    g_action = std::move(action);
}
void clear_modal_action() {
    g_action = nullptr;
}

void set_dialog_opened(std::function<void(wxDialog*)> hook) {
    g_opened = std::move(hook);
}

void pump(int milliseconds) {
    wxStopWatch watch;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        wxMilliSleep(1);
    } while (watch.Time() < milliseconds);
}

unsigned long x_window(wxWindow* window) {
    return GDK_WINDOW_XID(gtk_widget_get_window(window->GetHandle()));
}

void request_close(unsigned long xWindow) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        ADD_FAILURE() << "no X display to send the close request on";
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xWindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, xWindow, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
}

std::string temp_home() {
    return g_home;
}

bool under_window_manager() {
    return getenv("OVK_WINDOW_MANAGER") != nullptr;
}

namespace {

// A window manager announces itself on the root window.
bool window_manager_running(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    if (data)
        XFree(data);
    return status == Success && type == XA_WINDOW && count == 1;
}

bool wait_for_window_manager() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    bool running = false;
    for (int i = 0; i < 100 && !running; ++i) {
        running = window_manager_running(display);
        if (!running)
            wxMilliSleep(50);
    }
    XCloseDisplay(display);
    return running;
}

} // namespace

} // namespace guitest

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    guitest::make_temp_home();
    if (!getenv("DISPLAY")) {
        std::fprintf(stderr, "window tests need an X display (run them under xvfb-run)\n");
        return 1;
    }
    // Tests may read the screen from the simulated device's thread over a connection of its own.
    XInitThreads();
    if (guitest::under_window_manager() && !guitest::wait_for_window_manager()) {
        std::fprintf(stderr, "no window manager came up on the display\n");
        return 1;
    }
    // The program's own application object when its source is linked in, else a plain one.
    if (!wxAppConsole::GetInitializerFunction())
        wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "the toolkit could not be started\n");
        return 1;
    }
    wxSetAssertHandler(guitest::fail_on_assert);
    guitest::DialogRecorder recorder;
    recorder.Register();
    testing::UnitTest::GetInstance()->listeners().Append(new guitest::UnexpectedDialogs);
    const int result = RUN_ALL_TESTS();
    recorder.Unregister();
    wxEntryCleanup();
    return result;
}
