#include "LevelMeterPanel.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/dcclient.h>

namespace {

const int barWidth = 22;
const int barRows = 331;

// Rows of one segment's colour: a white pixel, 20 coloured pixels, a white pixel.
const char* const redRow = "o                    o";
const char* const yellowRow = "oXXXXXXXXXXXXXXXXXXXXo";
const char* const greenRow = "o....................o";
const char* const whiteRow = "oooooooooooooooooooooo";

void addSegments(std::vector<std::string>& lines, int count, const char* row) {
    for (int i = 0; i < count; ++i) {
        lines.push_back(whiteRow);
        lines.push_back(row);
        lines.push_back(row);
    }
}

} // namespace

BEGIN_EVENT_TABLE(LevelMeterPanel, wxPanel)
EVT_PAINT(LevelMeterPanel::paintEvent)
END_EVENT_TABLE()

LevelMeterPanel::LevelMeterPanel(wxPanel* placeholder)
    : wxPanel(placeholder->GetParent(), -1, placeholder->GetPosition(), wxSize(barWidth, barRows),
              wxTAB_TRAVERSAL | wxNO_BORDER, wxT("panel")) {
    m_maxDb = 60.0f;
    m_barHeight = 0;
    const wxPoint pos = GetPosition();
    Move(pos.x + 3, pos.y + 3);
    prepareDCs();
}

LevelMeterPanel::~LevelMeterPanel() {}

// The bar is built from XPM text once; every paint copies the lit part of it.
void LevelMeterPanel::prepareDCs() {
    std::vector<std::string> lines;
    lines.push_back(wxString::Format("22 %d 4 1 ", barRows).ToStdString());
    lines.push_back("  c #DA0303");
    lines.push_back(". c #03DA27");
    lines.push_back("X c #DAD303");
    lines.push_back("o c white");
    addSegments(lines, 1, redRow);
    addSegments(lines, 22, yellowRow);
    addSegments(lines, 87, greenRow);
    lines.push_back(whiteRow);

    std::vector<const char*> xpm;
    for (const std::string& line : lines) {
        xpm.push_back(line.c_str());
    }
    wxBitmap bar(xpm.data());
    m_memDC.SelectObjectAsSource(bar);
}

int LevelMeterPanel::getScaleOffset(float dB) const {
    float s = dB + m_maxDb;
    // Written so that a level that is not a number lands at the bottom of the scale.
    if (!(s > 0.0f)) {
        s = 0.0f;
    } else if (s > m_maxDb) {
        s = m_maxDb;
    }
    const float p = powf(s / m_maxDb, 1.4142137f);
    return static_cast<int>(barRows - barRows * p);
}

void LevelMeterPanel::setValue(float dB) {
    const int h = barRows - getScaleOffset(dB);
    if (std::abs(m_barHeight - h) < 3) {
        return;
    }
    m_barHeight = h / 3 * 3;
    Refresh(true);
}

// The bottom white row is always drawn; the lit part grows upward from it, and the area above
// is left to the panel's background.
void LevelMeterPanel::paintEvent(wxPaintEvent&) {
    wxPaintDC dc(this);
    const int top = barRows - 1 - m_barHeight;
    dc.Blit(0, top, barWidth, m_barHeight + 1, &m_memDC, 0, top, wxCOPY, false);
}
