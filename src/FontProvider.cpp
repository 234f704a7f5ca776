#include "FontProvider.h"

#include <wx/settings.h>

namespace {

// Tahoma is asked for by name; where it is missing the toolkit picks its Swiss fallback.
wxFont tahoma(int points) {
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                  wxT("Tahoma"), wxFONTENCODING_DEFAULT);
}

} // namespace

// The theme's font, one step smaller: it keeps the theme's face.
wxFont& FontProvider::smallFont() {
    static wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Smaller();
    return font;
}

wxFont& FontProvider::normalFont() {
    static wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    return font;
}

wxFont& FontProvider::midFont() {
    static wxFont font = tahoma(16);
    return font;
}

wxFont& FontProvider::bigFont() {
    static wxFont font = tahoma(18);
    return font;
}
