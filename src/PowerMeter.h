// A charge gauge: six stacked pictures (empty, one to five bars) laid over a placeholder.
#pragma once

#include <wx/statbmp.h>

class PowerMeter {
  public:
    explicit PowerMeter(wxStaticBitmap* placeholder);

    // Shows the picture for a charge in percent, while the placeholder is shown.
    void setValue(int percent);
    // Applies the last charge again, after the placeholder was shown or hidden.
    void actualize();

  private:
    // The pictures belong to the placeholder's parent window, not to the gauge.
    wxStaticBitmap* m_placeholder;
    wxStaticBitmap* m_levels[6];
    int m_value;
};
