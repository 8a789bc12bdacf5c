#include "completion/list_font_win.h"

#include <map>
#include <memory>

#include "win32/gdi_object_win.h"
#include "win32/screen_dpi_win.h"
#include "win32/window_dc_win.h"

namespace {

struct OwnedListFont {
    GdiObject owner;
    ListFont metrics;
};

std::map<UINT, std::unique_ptr<OwnedListFont>> fonts;
UINT shownDpi = 0;

// The stock system font is made for the system's DPI, and a program aware of each monitor's DPI
// does not get it scaled for another monitor: a copy of it is made at the monitor's scale. At the
// system's own DPI the stock font itself is used (no font of ours).
GdiObject makeFont(UINT dpi) {
    WindowDC screen(nullptr);
    const int systemDpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    LOGFONTA face = {};
    if (systemDpi <= 0 || static_cast<UINT>(systemDpi) == dpi ||
        !GetObjectA(GetStockObject(SYSTEM_FONT), sizeof face, &face))
        return GdiObject();
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), systemDpi);
    face.lfWidth = MulDiv(face.lfWidth, static_cast<int>(dpi), systemDpi);
    return GdiObject(CreateFontIndirectA(&face));
}

} // namespace

const ListFont &listFontFor(HWND window, UINT dpi) {
    std::unique_ptr<OwnedListFont> &slot = fonts[dpi];
    if (!slot)
        slot.reset(new OwnedListFont);
    if (slot->metrics.known)
        return slot->metrics;
    if (!slot->owner)
        slot->owner = makeFont(dpi);
    ListFont &font = slot->metrics;
    font.font = slot->owner ? static_cast<HFONT>(slot->owner.get()) : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    WindowDC dc(window);
    if (!dc)
        return font;
    SelectedObject selected(dc.get(), font.font);
    TEXTMETRICA text = {};
    if (!GetTextMetricsA(dc.get(), &text) || !GetCharWidth32A(dc.get(), 0, 255, font.widths))
        return font;
    font.averageWidth = text.tmAveCharWidth;
    font.height = text.tmHeight;
    font.known = true;
    return font;
}

void setListDpi(UINT dpi) { shownDpi = dpi; }

UINT listDpi() { return shownDpi ? shownDpi : kDefaultDpi; }
