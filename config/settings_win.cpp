#include "config/settings.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "win32/wide_path_win.h"

namespace {

const int kIconSize = 16;
const UINT kTickedBox = INDEXTOSTATEIMAGEMASK(2);
const UINT kEmptyBox = INDEXTOSTATEIMAGEMASK(1);

// The shell's small icon of an executable; a program whose file is gone gets the stock
// application icon, so that every row still has an image of its own index.
void appendProgramIcon(HIMAGELIST images, const std::string &path) {
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(widePath(path).c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
        ImageList_ReplaceIcon(images, -1, info.hIcon);
        DestroyIcon(info.hIcon);
        return;
    }
    ImageList_ReplaceIcon(images, -1, LoadIconA(nullptr, MAKEINTRESOURCEA(32512))); // IDI_APPLICATION, shared
}

} // namespace

void Settings::fillProgramList(HWND__ *listView) const {
    HIMAGELIST images = ImageList_Create(kIconSize, kIconSize, 0, static_cast<int>(programs.size()), 0);
    for (const auto &entry : programs)
        appendProgramIcon(images, entry.second.path);
    // The list view owns the image list from here on and destroys it with itself.
    SendMessageA(listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));

    // Names and paths go in as UTF-16: the list shows every character of them.
    int row = 0;
    for (const auto &entry : programs) {
        std::wstring name = widePath(entry.first), path = widePath(entry.second.path);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = &name[0];
        item.iImage = row;
        SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));

        LVITEMW column = {};
        column.iSubItem = 1;
        column.pszText = &path[0];
        SendMessageW(listView, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&column));

        LVITEMA state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = entry.second.learningAllowed ? kTickedBox : kEmptyBox;
        SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        ++row;
    }
}
