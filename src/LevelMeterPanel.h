// The input level bar: 110 segments of three pixel rows, red at the top, then yellow and green.
#pragma once

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

class LevelMeterPanel : public wxPanel {
  public:
    // Takes the place of the (hidden) placeholder panel, as its sibling.
    explicit LevelMeterPanel(wxPanel* placeholder);
    virtual ~LevelMeterPanel();

    // Pixels from the top of the bar at which a level in dB is reached: 0 at 0 dB and above,
    // 331 at the bottom of the range and below.
    int getScaleOffset(float dB) const;
    // Shows a level; the bar moves only by whole segments, and only when the level has moved
    // by at least one segment's height.
    void setValue(float dB);
    void paintEvent(wxPaintEvent& event);

    int barHeight() const { return m_barHeight; }
    // The full-scale bar that paints are copied from.
    const wxBitmap& barBitmap() const { return m_memDC.GetSelectedBitmap(); }

  private:
    void prepareDCs();

    float m_maxDb;
    int m_barHeight;
    wxMemoryDC m_memDC;

    DECLARE_EVENT_TABLE()
};
