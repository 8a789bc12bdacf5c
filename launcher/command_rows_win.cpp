#include "launcher/command_rows_win.h"

#include "app/app_globals_win.h"
#include "launcher/command_catalogue.h"
#include "launcher/web_search.h"
#include "win32/screen_dpi_win.h"
#include "win32/window_dc_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace {

// At 96 DPI; scaled to the DPI of the monitor the window is on.
const int kRowTextX = 22;
const int kRowIconX = 2;
const int kIconSize = 16;
const COLORREF kSecondColumnGrey = RGB(184, 184, 184);
const int kTextLimit = 260; // 259 characters and the NUL
// Marks a search engine's icon in a row's item data; far above any index of an image list.
const LPARAM kWebSearchIconMark = 0x40000000;

// The index of a small icon in the system image list, or -1. The icon handle that the shell
// makes for the call is not needed: the list draws from its own copy.
int shellIconIndex(const char *path, DWORD attributes, UINT flags) {
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(path, attributes, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON | flags) == 0)
        return -1;
    if (info.hIcon)
        DestroyIcon(info.hIcon);
    return info.iIcon;
}

int textWidth(HDC dc, const std::string &text) {
    int width = 0;
    for (unsigned char c : text) {
        INT charWidth = 0;
        if (GetCharWidth32A(dc, c, c, &charWidth))
            width += charWidth;
    }
    return width;
}

void drawFocus(const DRAWITEMSTRUCT &draw) {
    if (!(draw.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(draw.hDC, &draw.rcItem);
}

void drawRowIcon(const DRAWITEMSTRUCT &draw, int iconOffset) {
    const UINT dpi = dpiOfWindow(draw.hwndItem);
    int x = draw.rcItem.left + scaleForDpi(kRowIconX, dpi);
    int y = draw.rcItem.top + iconOffset;
    if (isWebSearchIconData(static_cast<LPARAM>(draw.itemData))) {
        const int size = scaleForDpi(kIconSize, dpi);
        // LR_SHARED: the loader keeps one copy per resource and size, so nothing is destroyed here.
        HANDLE icon =
            LoadImageA(appInstance, MAKEINTRESOURCEA(webSearchIconResource(static_cast<LPARAM>(draw.itemData))),
                       IMAGE_ICON, size, size, LR_SHARED);
        if (icon)
            DrawIconEx(draw.hDC, x, y, static_cast<HICON>(icon), size, size, 0, nullptr, DI_NORMAL);
    } else if (systemImageList) {
        ImageList_Draw(systemImageList, static_cast<int>(draw.itemData), draw.hDC, x, y, ILD_TRANSPARENT);
    }
}

void drawRowText(const DRAWITEMSTRUCT &draw) {
    // A long file name can make a row longer than the 259 bytes that are drawn: read it whole, then cut.
    std::string text;
    LRESULT length = SendMessageA(draw.hwndItem, CB_GETLBTEXTLEN, draw.itemID, 0);
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(draw.hwndItem, CB_GETLBTEXT, draw.itemID, reinterpret_cast<LPARAM>(buffer.data()));
        text.assign(buffer.data());
        if (text.size() > kTextLimit - 1)
            text.resize(kTextLimit - 1);
    }

    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    size_t tab = text.find('\t');
    std::string mainColumn = text.substr(0, tab);
    int x = draw.rcItem.left + scaleForDpi(kRowTextX, dpiOfWindow(draw.hwndItem));
    int y = draw.rcItem.top + 1;
    // ETO_OPAQUE over the whole row paints its background as well.
    ExtTextOutA(draw.hDC, x, y, ETO_OPAQUE, &draw.rcItem, mainColumn.c_str(), static_cast<UINT>(mainColumn.size()),
                nullptr);
    if (tab == std::string::npos)
        return;
    if (!selected)
        SetTextColor(draw.hDC, kSecondColumnGrey);
    std::string secondColumn = " " + text.substr(tab + 1);
    ExtTextOutA(draw.hDC, x + textWidth(draw.hDC, mainColumn), y, ETO_OPAQUE, nullptr, secondColumn.c_str(),
                static_cast<UINT>(secondColumn.size()), nullptr);
    if (!selected)
        SetTextColor(draw.hDC, GetSysColor(COLOR_WINDOWTEXT));
}

} // namespace

LPARAM webSearchIconData(int row) { return kWebSearchIconMark | webSearchIconId(row); }

bool isWebSearchIconData(LPARAM itemData) {
    return itemData >= webSearchIconData(0) && itemData <= webSearchIconData(2);
}

int webSearchIconResource(LPARAM itemData) { return static_cast<int>(itemData & ~kWebSearchIconMark); }

// Windows' settings pages have no file of their own: they show the Control Panel's icon.
bool isSystemPage(const std::string &target) {
    return target.compare(0, 12, "ms-settings:") == 0 || target.compare(0, 12, "control.exe ") == 0;
}

std::string systemProgram(const char *name) {
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return name;
    return std::string(folder, length) + '\\' + name;
}

LPARAM calculatorIconData() {
    const int index = shellIconIndex(systemProgram("calc.exe").c_str(), 0, 0);
    return index >= 0 ? index : 0;
}

LPARAM rowIconData(const std::string &target) {
    int index = isSystemPage(target) ? shellIconIndex(systemProgram("control.exe").c_str(), 0, 0)
                                     : shellIconIndex(target.c_str(), 0, SHGFI_LINKOVERLAY);
    if (index >= 0)
        return index;
    // Addresses and web searches have no file: pick the engine's icon by its domain.
    std::vector<WebSearchEntry> searches = builtInWebSearches();
    for (size_t row = 0; row < searches.size(); ++row) {
        std::string domain = webSearchDomain(searches[row].urlPrefix);
        if (!domain.empty() && target.find(domain) != std::string::npos)
            return webSearchIconData(static_cast<int>(row));
    }
    index = shellIconIndex(".htm", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    return index >= 0 ? index : 0;
}

void fillCommandList(HWND combo) {
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    for (LRESULT row = SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1; row >= 0; --row)
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(row), 0);

    char query[kTextLimit] = "";
    GetWindowTextA(combo, query, kTextLimit);
    std::vector<std::string> rows, targets;
    if (commandCatalogue) {
        // search lowers and cuts the buffer in place; only its results matter here.
        commandCatalogue->search(query);
        commandCatalogue->buildDisplayList(rows, targets);
    }
    for (size_t i = 0; i < rows.size() && i < targets.size(); ++i) {
        LRESULT row = SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(rows[i].c_str()));
        if (row < 0)
            continue;
        const CommandRowKind kind = commandCatalogue->rowKind(static_cast<int32_t>(row));
        const LPARAM icon = kind == CommandRowKind::Calculation ? calculatorIconData() : rowIconData(targets[i]);
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(row), icon);
    }
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0)
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

int measureCommandRow(HWND combo, MEASUREITEMSTRUCT &measure) {
    const int iconSize = scaleForDpi(kIconSize, dpiOfWindow(combo));
    int height = iconSize;
    WindowDC dc(combo);
    if (dc) {
        // While the combo box is being created it has no font yet; the DC's own font is measured then.
        HFONT font = combo ? reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0)) : nullptr;
        SelectedObject selected(dc.get(), font);
        TEXTMETRICA metrics = {};
        if (GetTextMetricsA(dc.get(), &metrics) && metrics.tmHeight + metrics.tmInternalLeading > height)
            height = metrics.tmHeight + metrics.tmInternalLeading;
    }
    measure.itemHeight = static_cast<UINT>(height);
    return (height - iconSize + 1) / 2;
}

void drawCommandRow(const DRAWITEMSTRUCT &draw, int iconOffset) {
    if (draw.itemAction == ODA_FOCUS) {
        drawFocus(draw);
        return;
    }
    if (draw.itemAction != ODA_DRAWENTIRE && draw.itemAction != ODA_SELECT)
        return;
    // An empty list still gets a draw request for its focus: there is no row to read.
    if (draw.itemID == static_cast<UINT>(-1)) {
        if (draw.itemState & ODS_FOCUS)
            drawFocus(draw);
        return;
    }
    drawRowText(draw);
    if (draw.itemState & ODS_FOCUS)
        drawFocus(draw);
    drawRowIcon(draw, iconOffset);
}
