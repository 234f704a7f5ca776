#include "FontProvider.h"

#include <wx/filename.h>
#include <wx/settings.h>

namespace {

// Debian's fonts-wine ships a Tahoma with the original's metrics outside fontconfig's folders.
// Registered once, before the first font is made, "Tahoma" by name is that face; without the
// files the toolkit's fallback stands in.
void register_private_fonts() {
    static const bool done = [] {
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
            if (wxFileName::FileExists(file))
                wxFont::AddPrivateFont(file);
        return true;
    }();
    (void)done;
}

// Tahoma is asked for by name; where it is missing the toolkit picks its Swiss fallback.
wxFont tahoma(int points) {
    register_private_fonts();
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                  wxT("Tahoma"), wxFONTENCODING_DEFAULT);
}

wxFont theme_font() {
    register_private_fonts();
    return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

} // namespace

// The theme's font, one step smaller: it keeps the theme's face.
wxFont& FontProvider::smallFont() {
    static wxFont font = theme_font().Smaller();
    return font;
}

wxFont& FontProvider::normalFont() {
    static wxFont font = theme_font();
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
