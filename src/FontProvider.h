// The fonts that all windows share.
#pragma once

#include <wx/font.h>

// Each font is made on first use and kept to the end of the run.
class FontProvider {
  public:
    FontProvider() = delete;

    static wxFont& smallFont();
    static wxFont& normalFont();
    static wxFont& midFont();
    static wxFont& bigFont();
};
