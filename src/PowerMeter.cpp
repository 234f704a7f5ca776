#include "PowerMeter.h"

#include <cmath>

#include "images/images.h"

namespace {

const char* const* const batteryImages[6] = {Battery0_xpm, Battery1_xpm, Battery2_xpm,
                                             Battery3_xpm, Battery4_xpm, Battery5_xpm};

// The picture a charge maps to: 0 for 0, one more for each started 20 %. Outside 0..5 no
// picture is shown.
int levelOf(int percent) {
    return static_cast<int>(std::ceil(percent * 5.0 / 100.0));
}

} // namespace

PowerMeter::PowerMeter(wxStaticBitmap* placeholder) : m_placeholder(placeholder), m_value(0) {
    for (int i = 0; i < 6; ++i) {
        wxBitmap picture(batteryImages[i]);
        m_levels[i] =
            new wxStaticBitmap(placeholder->GetParent(), -1, picture, placeholder->GetPosition(),
                               placeholder->GetSize(), 0, wxT("staticBitmap"));
        m_levels[i]->Enable(false);
        m_levels[i]->Show(false);
    }
}

void PowerMeter::setValue(int percent) {
    const int level = levelOf(percent);
    const bool visible = m_placeholder->IsShown();
    for (int i = 0; i < 6; ++i) {
        m_levels[i]->Show(i == level && visible);
    }
    m_value = percent;
}

void PowerMeter::actualize() {
    setValue(m_value);
}
