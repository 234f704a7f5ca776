#include "GtkLook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <gtk/gtk.h>
#include <wx/anybutton.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

namespace gtk_look {
namespace {

bool shows_text(const wxWindow* w) {
    return dynamic_cast<const wxStaticText*>(w) || dynamic_cast<const wxAnyButton*>(w) ||
           dynamic_cast<const wxCheckBox*>(w) || dynamic_cast<const wxChoice*>(w);
}

// GTK's natural size of a widget at its natural width. The size the layout gave a control is
// also GTK's size request: it is set aside while GTK measures.
wxSize natural_size(GtkWidget* widget) {
    gint requestWidth = -1;
    gint requestHeight = -1;
    gtk_widget_get_size_request(widget, &requestWidth, &requestHeight);
    gtk_widget_set_size_request(widget, -1, -1);
    gint minimum = 0;
    gint width = 0;
    gtk_widget_get_preferred_width(widget, &minimum, &width);
    gint height = 0;
    gtk_widget_get_preferred_height_for_width(widget, width, &minimum, &height);
    gtk_widget_set_size_request(widget, requestWidth, requestHeight);
    return wxSize(width, height);
}

// A new font reaches GTK's own measurements only once the widget's style is refreshed, in the
// event loop; the toolkit measures the text in the control's font directly.
wxSize text_size(wxWindow* w) {
    return w->GetTextExtent(w->GetLabel());
}

// What GTK draws beside the text of a check box (indicator, spacing, padding): the widget's
// natural size less its label's, both measured in the same font.
wxSize check_box_frame(GtkWidget* check) {
    return natural_size(check) - natural_size(gtk_bin_get_child(GTK_BIN(check)));
}

// The padding or border of a widget's sides, in its current state.
GtkBorder sides(GtkStyleContext* style, void (*get)(GtkStyleContext*, GtkStateFlags, GtkBorder*)) {
    GtkBorder sides;
    get(style, gtk_style_context_get_state(style), &sides);
    return sides;
}

// A button's border. The theme's padding is left out: GTK draws the text whole across it, and
// the layout's rows of buttons were drawn narrower than the theme's padding asks for.
wxSize button_border(GtkWidget* button) {
    const GtkBorder border =
        sides(gtk_widget_get_style_context(button), gtk_style_context_get_border);
    return wxSize(border.left + border.right, border.top + border.bottom);
}

// The size GTK needs to draw the control with its whole text. Buttons and choices keep a
// lower height than the theme asks for: their text fits, and the layout's rows rely on it.
wxSize needed_size(wxWindow* w) {
    GtkWidget* widget = w->GetHandle();
    if (dynamic_cast<wxStaticText*>(w))
        return text_size(w);
    if (dynamic_cast<wxChoice*>(w))
        return wxSize(natural_size(widget).x, 0);
    if (dynamic_cast<wxAnyButton*>(w))
        return wxSize(text_size(w).x + button_border(widget).x, 0);
    const wxSize needed = text_size(w) + check_box_frame(widget);
    return wxSize(needed.x, std::max(needed.y, natural_size(widget).y));
}

// A one-line text field whose value and the theme's padding do not fit takes less padding,
// down to a pixel a side, and is widened only past that: the row of fields keeps its geometry
// and the value shows whole.
void fit_text_padding(wxTextCtrl* field) {
    GtkStyleContext* style = gtk_widget_get_style_context(field->GetHandle());
    const GtkBorder padding = sides(style, gtk_style_context_get_padding);
    const GtkBorder border = sides(style, gtk_style_context_get_border);
    const int text = field->GetTextExtent(field->GetValue()).x + border.left + border.right;
    const int room = field->GetSize().x - text;
    if (room >= padding.left + padding.right)
        return;
    const int side = std::max(1, room / 2);
    const wxString css =
        wxString::Format("entry { padding-left: %dpx; padding-right: %dpx; }", side, side);
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.utf8_str(), -1, nullptr);
    gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    if (room < 2 * side)
        field->SetSize(text + 2 * side, field->GetSize().y);
}

void grow_to(wxWindow* w, const wxSize& needed) {
    const wxSize size = w->GetSize();
    const wxSize grown(std::max(size.x, needed.x), std::max(size.y, needed.y));
    if (grown != size)
        w->SetSize(grown);
}

// The part of the parent a child needs: a label only as far as its text reaches.
wxRect needed_rect(wxWindow* child) {
    if (dynamic_cast<wxStaticText*>(child))
        return wxRect(child->GetPosition(), needed_size(child));
    return child->GetRect();
}

void adapt_children(wxWindow* parent) {
    wxSize needed;
    for (wxWindow* child : parent->GetChildren()) {
        if (child->IsTopLevel())
            continue;
        adapt_children(child);
        if (dynamic_cast<wxStaticBitmap*>(child))
            child->Enable(true);
        if (!child->IsShown() || dynamic_cast<wxStaticBox*>(child))
            continue;
        if (shows_text(child))
            grow_to(child, needed_size(child));
        auto* field = dynamic_cast<wxTextCtrl*>(child);
        if (field && field->IsSingleLine())
            fit_text_padding(field);
        const wxRect rect = needed_rect(child);
        needed.IncTo(wxSize(rect.GetRight() + 1, rect.GetBottom() + 1));
    }
    if (dynamic_cast<wxPanel*>(parent))
        grow_to(parent, needed);
    // A group box that the layout moved off its panel's corner keeps all four edges inside.
    for (wxWindow* child : parent->GetChildren())
        if (auto* box = dynamic_cast<wxStaticBox*>(child)) {
            const wxSize room =
                parent->GetSize() - wxSize(box->GetPosition().x, box->GetPosition().y);
            const wxSize size = box->GetSize();
            if (size.x > room.x || size.y > room.y)
                box->SetSize(std::min(size.x, room.x), std::min(size.y, room.y));
        }
}

std::vector<wxPanel*> filler_panels(wxTopLevelWindow* window) {
    std::vector<wxPanel*> panels;
    for (wxWindow* child : window->GetChildren())
        if (auto* panel = dynamic_cast<wxPanel*>(child))
            panels.push_back(panel);
    return panels;
}

} // namespace

void adapt(wxTopLevelWindow* window) {
    adapt_children(window);
    fit_client_area(window);
    gtk_widget_realize(window->GetHandle());
}

void fit_client_area(wxTopLevelWindow* window) {
    // The panels that fill the window hold the panels that must show whole.
    wxRect content;
    const std::vector<wxPanel*> fillers = filler_panels(window);
    for (wxPanel* filler : fillers)
        for (wxWindow* child : filler->GetChildren())
            if (child->IsShown() && !child->IsTopLevel()) {
                const wxRect rect(child->GetPosition() + filler->GetPosition(), child->GetSize());
                content = content.IsEmpty() ? rect : content.Union(rect);
            }
    if (content.IsEmpty())
        return;
    // A client area that holds the panels stays as the layout made it. One that does not
    // grows to hold them with the margins the layout left at the left and top.
    const wxSize current = window->GetClientSize();
    if (wxRect(current).Contains(content))
        return;
    const wxSize client(std::max(current.x, content.GetRight() + 1 + content.x),
                        std::max(current.y, content.GetBottom() + 1 + content.y));
    window->SetClientSize(client);
    for (wxPanel* filler : fillers)
        grow_to(filler, client - wxSize(filler->GetPosition().x, filler->GetPosition().y));
}

namespace {

// Stops the running timers among those given, and starts them again when it goes.
class TimersHeldOff {
  public:
    explicit TimersHeldOff(std::initializer_list<wxTimer*> timers) {
        for (wxTimer* timer : timers)
            if (timer && timer->IsRunning()) {
                m_held.emplace_back(timer, timer->GetInterval());
                timer->Stop();
            }
    }
    ~TimersHeldOff() {
        for (const auto& [timer, interval] : m_held)
            timer->Start(interval, timer->IsOneShot());
    }
    TimersHeldOff(const TimersHeldOff&) = delete;
    TimersHeldOff& operator=(const TimersHeldOff&) = delete;

  private:
    std::vector<std::pair<wxTimer*, int>> m_held;
};

void mark_painted(GdkFrameClock*, gpointer painted) {
    *static_cast<bool*>(painted) = true;
}

// Holds back the toolkit's own queued events (CallAfter among them) for its length.
class PendingEventsHeld {
  public:
    PendingEventsHeld() { wxTheApp->SuspendProcessingOfPendingEvents(); }
    ~PendingEventsHeld() { wxTheApp->ResumeProcessingOfPendingEvents(); }
    PendingEventsHeld(const PendingEventsHeld&) = delete;
    PendingEventsHeld& operator=(const PendingEventsHeld&) = delete;
};

// GTK paints a frame by handing each window an expose event through the event handler. While a
// frame is painted between two steps of a blocking sequence, only those get through: every
// other event (input, a close request) waits, in its order, for the event loop.
void pass_expose_only(GdkEvent* event, gpointer held) {
    if (event->type == GDK_EXPOSE)
        gtk_main_do_event(event);
    else
        static_cast<std::vector<GdkEvent*>*>(held)->push_back(gdk_event_copy(event));
}

void pass_all(GdkEvent* event, gpointer) {
    gtk_main_do_event(event);
}

// Puts events taken off the queue back at its end, in their order.
void put_back(const std::vector<GdkEvent*>& events) {
    for (GdkEvent* event : events) {
        gdk_event_put(event);
        gdk_event_free(event);
    }
}

// GTK lays out and paints on its frame clock's next frame: runs the main context until that
// frame is painted, letting nothing else run. A frame that never comes ends the wait after
// half a second.
void paint_next_frame(wxWindow* window) {
    GtkWidget* widget = window->GetHandle();
    GdkFrameClock* clock = gtk_widget_get_frame_clock(widget);
    bool painted = false;
    const gulong handler =
        g_signal_connect(clock, "after-paint", G_CALLBACK(mark_painted), &painted);
    window->Refresh();
    gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_PAINT);
    const PendingEventsHeld pending;
    std::vector<GdkEvent*> held;
    gdk_event_handler_set(pass_expose_only, &held, nullptr);
    const wxStopWatch waited;
    while (!painted && waited.Time() < 500) {
        // As the toolkit's own yield does: its idle source (idle events, delayed deletes)
        // goes before each pass, and comes back with the next event loop.
        wxTheApp->EventsPending();
        if (!g_main_context_iteration(nullptr, FALSE))
            wxMilliSleep(1);
    }
    gdk_event_handler_set(pass_all, nullptr, nullptr);
    g_signal_handler_disconnect(clock, handler);
    put_back(held);
    wxWakeUpIdle();
    gdk_display_flush(gtk_widget_get_display(widget));
}

} // namespace

void repaint_now(wxWindow* window, std::initializer_list<wxTimer*> timers) {
    // A window not on screen has nothing to paint.
    if (!gtk_widget_is_drawable(window->GetHandle()))
        return;
    const TimersHeldOff held(timers);
    paint_next_frame(window);
}

bool take_close_request(wxWindow* window) {
    GdkWindow* target = gtk_widget_get_window(window->GetHandle());
    if (!target)
        return false;
    bool asked = false;
    std::vector<GdkEvent*> others;
    while (GdkEvent* event = gdk_display_get_event(gdk_window_get_display(target))) {
        if (event->type == GDK_DELETE && event->any.window == target) {
            asked = true;
            gdk_event_free(event);
        } else {
            others.push_back(event);
        }
    }
    put_back(others);
    return asked;
}

} // namespace gtk_look
