// The windows as a user sees them, connected to the simulated device: every text whole, every
// picture in its own colours, every group box inside its panel, the client area holding every
// panel, the connect toggle's labels on screen during the blocking steps, and nothing from GTK
// on standard error. Like every window test, this runs without and with a window manager.
#include "gui_app_device.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtk/gtk.h>
#include <wx/anybutton.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stdpaths.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>

#include "GtkLook.h"

// Rectangles in failure messages as x,y wxh (found by the test framework beside wxRect).
void PrintTo(const wxRect& r, std::ostream* out) {
    *out << r.x << "," << r.y << " " << r.width << "x" << r.height;
}

namespace {

// The screen's pixels in a rectangle, read over an X connection of our own (so that the
// simulated device's thread can read them while the program blocks). What lies off the
// screen stays black.
wxImage grab(const wxRect& rect) {
    wxImage image(rect.width, rect.height);
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return image;
    const wxRect screen(0, 0, DisplayWidth(display, DefaultScreen(display)),
                        DisplayHeight(display, DefaultScreen(display)));
    const wxRect part = rect.Intersect(screen);
    XImage* shot = part.IsEmpty() ? nullptr
                                  : XGetImage(display, DefaultRootWindow(display), part.x, part.y,
                                              part.width, part.height, AllPlanes, ZPixmap);
    if (shot) {
        for (int y = 0; y < part.height; ++y)
            for (int x = 0; x < part.width; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                image.SetRGB(part.x - rect.x + x, part.y - rect.y + y, (pixel >> 16) & 0xff,
                             (pixel >> 8) & 0xff, pixel & 0xff);
            }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

bool same_colour(const wxImage& a, int ax, int ay, const wxImage& b, int bx, int by) {
    return std::abs(a.GetRed(ax, ay) - b.GetRed(bx, by)) <= 4 &&
           std::abs(a.GetGreen(ax, ay) - b.GetGreen(bx, by)) <= 4 &&
           std::abs(a.GetBlue(ax, ay) - b.GetBlue(bx, by)) <= 4;
}

bool ink(const wxImage& image, int x, int y) {
    return image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 128;
}

// How far two pictures of the same size agree in their text: of the pixels that are dark
// (text) in either, the share that is dark in both. A button's background shade may differ
// while GTK still fades it between its pressed and released looks.
double same_text(const wxImage& a, const wxImage& b) {
    if (a.GetSize() != b.GetSize())
        return 0.0;
    long either = 0;
    long both = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            either += ink(a, x, y) || ink(b, x, y);
            both += ink(a, x, y) && ink(b, x, y);
        }
    return either > 0 ? static_cast<double>(both) / either : 0.0;
}

// The part of a window on screen that its parents leave visible, down to the client area of
// its top-level window (below the menu bar, inside the window manager's frame).
wxRect visible_rect(wxWindow* w) {
    wxRect rect = w->GetScreenRect();
    for (wxWindow* p = w->GetParent(); p; p = p->GetParent()) {
        if (p->IsTopLevel()) {
            rect.Intersect(wxRect(p->ClientToScreen(wxPoint(0, 0)), p->GetClientSize()));
            break;
        }
        rect.Intersect(p->GetScreenRect());
    }
    return rect;
}

std::string describe(wxWindow* w) {
    return wxString::Format("%s %d \"%s\"", w->GetClassInfo()->GetClassName(), w->GetId(),
                            w->GetLabel())
        .ToStdString();
}

// The size GTK lays a label's text out in, in the label's font.
wxSize label_text(wxWindow* label) {
    GtkWidget* widget = label->GetHandle();
    gint width = -1;
    gint height = -1;
    gtk_widget_get_size_request(widget, &width, &height);
    gtk_widget_set_size_request(widget, -1, -1);
    GtkRequisition natural;
    gtk_widget_get_preferred_size(widget, nullptr, &natural);
    gtk_widget_set_size_request(widget, width, height);
    return wxSize(natural.width, natural.height);
}

// The width a one-line text field has for its text inside the theme's border and padding.
int entry_text_width(wxTextCtrl* field) {
    GtkStyleContext* style = gtk_widget_get_style_context(field->GetHandle());
    const GtkStateFlags state = gtk_style_context_get_state(style);
    GtkBorder padding;
    GtkBorder border;
    gtk_style_context_get_padding(style, state, &padding);
    gtk_style_context_get_border(style, state, &border);
    return field->GetSize().x - padding.left - padding.right - border.left - border.right;
}

wxSize text_extent(wxWindow* w) {
    if (auto* choice = dynamic_cast<wxChoice*>(w)) {
        wxSize widest;
        for (unsigned i = 0; i < choice->GetCount(); ++i)
            widest.IncTo(w->GetTextExtent(choice->GetString(i)));
        return widest;
    }
    return w->GetTextExtent(w->GetLabel());
}

template <class F> void for_each_shown(wxWindow* parent, F visit) {
    for (wxWindow* child : parent->GetChildren())
        if (!child->IsTopLevel() && child->IsShown()) {
            visit(child);
            for_each_shown(child, visit);
        }
}

// What the window must show: every text whole, every other control uncut by its parents,
// every group box inside its panel, every panel of the window whole in its client area.
void expect_drawn_whole(wxWindow* top) {
    ASSERT_TRUE(top->IsShownOnScreen());
    for_each_shown(top, [&](wxWindow* w) {
        const wxRect visible = visible_rect(w);
        if (auto* box = dynamic_cast<wxStaticBox*>(w)) {
            EXPECT_TRUE(wxRect(w->GetParent()->GetSize()).Contains(box->GetRect())) << describe(w);
        } else if (dynamic_cast<wxStaticText*>(w)) {
            // A label may be wider than its text; the text itself must show, and it does not
            // run over the frame line of a group box it lies in.
            const wxRect text(w->GetScreenPosition(), label_text(w));
            EXPECT_TRUE(visible.Contains(text)) << describe(w);
            for (wxWindow* sibling : w->GetParent()->GetChildren())
                if (dynamic_cast<wxStaticBox*>(sibling) &&
                    sibling->GetScreenRect().Intersects(text)) {
                    EXPECT_TRUE(sibling->GetScreenRect().Deflate(2).Contains(text)) << describe(w);
                }
        } else if (w->GetParent() != top) { // the panels that fill the window may reach past it
            EXPECT_EQ(visible, w->GetScreenRect()) << describe(w);
            if (dynamic_cast<wxAnyButton*>(w) || dynamic_cast<wxCheckBox*>(w) ||
                dynamic_cast<wxChoice*>(w)) {
                EXPECT_LE(text_extent(w).x, w->GetSize().x) << describe(w);
            }
            auto* field = dynamic_cast<wxTextCtrl*>(w);
            if (field && field->IsSingleLine()) {
                EXPECT_LE(w->GetTextExtent(field->GetValue()).x, entry_text_width(field))
                    << describe(w) << " " << field->GetValue();
            }
        }
    });
}

// The pixels of a picture that its image does not leave transparent.
bool opaque(const wxImage& image, int x, int y) {
    if (image.HasMask())
        return image.GetRed(x, y) != image.GetMaskRed() ||
               image.GetGreen(x, y) != image.GetMaskGreen() ||
               image.GetBlue(x, y) != image.GetMaskBlue();
    return !image.HasAlpha() || image.GetAlpha(x, y) == wxALPHA_OPAQUE;
}

// Share of the picture's opaque pixels that the screen shows in their own colour, with the
// image centred in the control as GTK draws it.
double picture_on_screen(wxStaticBitmap* picture, const wxImage& screen, wxPoint origin) {
    const wxImage image = picture->GetBitmap().ConvertToImage();
    const wxPoint at = picture->GetScreenPosition() - origin;
    const wxSize slack = picture->GetSize() - image.GetSize();
    double best = 0.0;
    for (int dx = slack.x / 2; dx <= (slack.x + 1) / 2; ++dx)
        for (int dy = slack.y / 2; dy <= (slack.y + 1) / 2; ++dy) {
            long opaquePixels = 0;
            long shown = 0;
            for (int y = 0; y < image.GetHeight(); ++y)
                for (int x = 0; x < image.GetWidth(); ++x)
                    if (opaque(image, x, y)) {
                        ++opaquePixels;
                        shown += same_colour(image, x, y, screen, at.x + dx + x, at.y + dy + y);
                    }
            if (opaquePixels > 0)
                best = std::max(best, static_cast<double>(shown) / opaquePixels);
        }
    return best;
}

// Standard error of the whole process, kept in a file while a test runs.
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        char name[] = "/tmp/ovk-stderr-XXXXXX";
        file_ = mkstemp(name);
        path_ = name;
        saved_ = dup(2);
        dup2(file_, 2);
    }
    ~StderrCapture() { finish(); }
    // Gives standard error back and returns what was written meanwhile (also passed on).
    std::string finish() {
        if (saved_ < 0)
            return text_;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        close(file_);
        saved_ = -1;
        std::ifstream in(path_);
        std::stringstream all;
        all << in.rdbuf();
        text_ = all.str();
        std::remove(path_.c_str());
        std::fputs(text_.c_str(), stderr);
        return text_;
    }

  private:
    int file_ = -1;
    int saved_ = -1;
    std::string path_;
    std::string text_;
};

void click(wxWindow* top, int id) {
    auto* button = dynamic_cast<wxAnyButton*>(wxWindow::FindWindowById(id, top));
    ASSERT_NE(button, nullptr) << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

wxString screenshot_path() {
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString folder = exe.GetPath() + "/../screenshots";
    wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
    return folder +
           (guitest::under_window_manager() ? "/main_window_openbox.png" : "/main_window.png");
}

class LookTest : public testing::Test {
  protected:
    void SetUp() override {
        // The tests name device files by the program's table before the window builds it.
        init_settings_mapping();
        sim::load_default_state(device);
        device.list_as_port();
    }
    void TearDown() override {
        if (window)
            close_program(window);
    }
    void start() {
        window = start_program();
        probe = std::make_unique<MainWindowProbe>(window);
        guitest::pump(300);
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};

TEST_F(LookTest, WindowsShowWholeAndQuietFromStartThroughConnectDialogsAndClose) {
    // Preset 1 records BWF and lets its metadata be edited; preset 3 holds a value the
    // validation replaces, so the invalid-values dialog opens during the connect.
    device.set_file(devtest::setting_file(1, SETTING_REC_FILE_FORMAT), "BWF");
    device.set_file(devtest::setting_file(1, SETTING_ALLOW_EDIT_META_DATA), "1");
    device.set_file(devtest::setting_file(3, SETTING_REC_FILE_FORMAT), "OGG");
    StderrCapture errors;
    start();
    expect_drawn_whole(window);

    // Each dialog is checked once painted, then closed with its button.
    int dialogsChecked = 0;
    auto check_and_close_with = [&](int button) {
        guitest::set_modal_action([&dialogsChecked, button](wxDialog* dialog) {
            guitest::pump(300);
            expect_drawn_whole(dialog);
            ++dialogsChecked;
            click(dialog, button);
        });
    };
    check_and_close_with(1003); // OK of the invalid-values dialog
    probe->clickConnect(true);
    ASSERT_TRUE(probe->connected());
    EXPECT_EQ(dialogsChecked, 1);
    // A poll cycle fills the status displays: power gauges, memory, head.
    guitest::pump(1500);
    expect_drawn_whole(window);

    // Every shown picture in its own colours; of pictures stacked on one spot, the top one.
    const wxRect area = window->GetScreenRect();
    const wxImage screen = grab(area);
    int pictures = 0;
    for_each_shown(window, [&](wxWindow* w) {
        auto* picture = dynamic_cast<wxStaticBitmap*>(w);
        if (!picture || !picture->GetBitmap().IsOk())
            return;
        for (wxWindow* later = picture->GetNextSibling(); later; later = later->GetNextSibling())
            if (later->IsShown() && dynamic_cast<wxStaticBitmap*>(later) &&
                later->GetRect() == picture->GetRect())
                return;
        ++pictures;
        EXPECT_GE(picture_on_screen(picture, screen, area.GetPosition()), 0.98) << describe(w);
    });
    EXPECT_EQ(pictures, 4); // accu and battery gauges, memory chip, microphone head
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    EXPECT_TRUE(screen.SaveFile(screenshot_path(), wxBITMAP_TYPE_PNG));

    check_and_close_with(1020); // Ok of the metadata dialog
    ASSERT_TRUE(wxWindow::FindWindowById(1145, window)->IsEnabled());
    click(window, 1145);
    EXPECT_EQ(dialogsChecked, 2);
    guitest::clear_modal_action();
    const auto dialogs = guitest::take_dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].title, "oVk protocol guard");
    EXPECT_EQ(dialogs[1].title, "BWF Metadata");

    close_program(window);
    window = nullptr;
    const std::string printed = errors.finish();
    EXPECT_EQ(printed.find("Gtk-WARNING"), std::string::npos);
    EXPECT_EQ(printed.find("Gtk-CRITICAL"), std::string::npos);
}

TEST_F(LookTest, WindowTooSmallForItsPanelsGrowsToHoldThem) {
    start();
    window->SetClientSize(800, 500);
    gtk_look::fit_client_area(window);
    guitest::pump(300);
    expect_drawn_whole(window);
}

// The connect sequence relies on nothing but painting running during its steps: no timer, no
// queued call, and no close request, which would destroy the window under it. They all run
// once the event loop does.
TEST_F(LookTest, RepaintDuringABlockingStepRunsNothingButPainting) {
    start();
    wxTimer timer;
    int ticks = 0;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++ticks; });
    timer.Start(1);
    int calls = 0;
    window->CallAfter([&] { ++calls; });
    // Close requests are counted and refused until the test ends; the handler outlives it.
    struct Closes {
        int seen = 0;
        bool refused = true;
    };
    const auto closes = std::make_shared<Closes>();
    window->Bind(wxEVT_CLOSE_WINDOW, [closes](wxCloseEvent& close) {
        if (!closes->refused)
            return close.Skip();
        ++closes->seen;
        close.Veto();
    });
    int idles = 0;
    const auto idle = [&](wxIdleEvent& event) {
        ++idles;
        event.Skip();
    };
    wxTheApp->Bind(wxEVT_IDLE, idle);
    wxWakeUpIdle();
    guitest::request_close(guitest::x_window(window));
    wxMilliSleep(50); // the request is on its way to the program's X connection
    const wxStopWatch watch;
    for (int i = 0; i < 5; ++i) {
        probe->connectButton()->SetLabel(i % 2 ? wxT("Waiting for device") : wxT("Connect"));
        gtk_look::repaint_now(probe->connectButton(), {&timer});
    }
    // What a repaint adds to the connect sequence (it waits for GTK's next painted frame).
    std::printf("repaint of the connect toggle: %.1f ms on average\n", watch.Time() / 5.0);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(closes->seen, 0);
    EXPECT_EQ(idles, 0);
    wxTheApp->Unbind(wxEVT_IDLE, idle);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(timer.GetInterval(), 1);
    guitest::pump(100);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(closes->seen, 1);
    closes->refused = false;
}

TEST_F(LookTest, ConnectLabelsShowDuringTheBlockingSteps) {
    start();
    const wxRect toggle = visible_rect(probe->connectButton());
    const wxImage before = grab(toggle);

    // The device takes its screenshots while the program waits for its answers.
    std::mutex lock;
    wxImage waiting;
    wxImage fetching;
    device.set_responder([&](const sim::Frame& f) -> std::optional<sim::Replies> {
        std::lock_guard<std::mutex> hold(lock);
        if (f.command == sim::LOOPBACK && !waiting.IsOk())
            waiting = grab(toggle);
        if (devtest::is_setting_read(f) && !fetching.IsOk())
            fetching = grab(toggle);
        return std::nullopt;
    });
    probe->clickConnect(true);
    ASSERT_TRUE(probe->connected());
    device.set_responder(nullptr);

    // The same labels, painted while the event loop runs.
    auto painted = [&](const wxString& label) {
        probe->connectButton()->SetLabel(label);
        guitest::pump(300);
        return grab(toggle);
    };
    const wxImage waitingShown = painted(wxT("Waiting for device"));
    const wxImage fetchingShown = painted(wxT("Fetching settings..."));
    std::lock_guard<std::mutex> hold(lock);
    ASSERT_TRUE(waiting.IsOk());
    ASSERT_TRUE(fetching.IsOk());
    EXPECT_LT(same_text(before, waitingShown), 0.5); // the labels differ in their pixels
    EXPECT_LT(same_text(waitingShown, fetchingShown), 0.5);
    EXPECT_GE(same_text(waiting, waitingShown), 0.9);
    EXPECT_GE(same_text(fetching, fetchingShown), 0.9);
}

} // namespace
