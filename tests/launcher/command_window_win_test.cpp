#include "launcher/command_window_win.h"

#include "app/app_globals_win.h"
#include "launcher/command_catalogue.h"
#include "launcher/command_rows_win.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Dialog 102 as the resource script has it, built in memory so the test needs no resources.
class DialogTemplate {
public:
    DialogTemplate() {
        DLGTEMPLATE header = {};
        header.style = WS_POPUP | WS_BORDER | DS_SETFOREGROUND | DS_3DLOOK;
        header.dwExtendedStyle = WS_EX_TOOLWINDOW;
        header.cdit = 2;
        header.cx = 238;
        header.cy = 17;
        append(&header, sizeof(header));
        appendWord(0); // no menu
        appendWord(0); // standard class
        appendWord(0); // no title
        addControl(IDC_COMMAND_CLOSE, 0x0080, "X", 13, 4, 10, 8, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_VCENTER);
        addControl(IDC_COMMAND_COMBO, 0x0085, "", 26, 1, 211, 30,
                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_OWNERDRAWFIXED |
                       CBS_HASSTRINGS);
    }
    const DLGTEMPLATE *get() const { return reinterpret_cast<const DLGTEMPLATE *>(bytes_.data()); }

private:
    void append(const void *data, size_t size) {
        const auto *p = static_cast<const unsigned char *>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void appendWord(WORD word) { append(&word, sizeof(word)); }
    void align() {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }
    void addControl(WORD id, WORD atom, const char *text, short x, short y, short cx, short cy, DWORD style) {
        align();
        DLGITEMTEMPLATE item = {};
        item.style = style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        append(&item, sizeof(item));
        appendWord(0xFFFF);
        appendWord(atom);
        for (const char *c = text; *c; ++c)
            appendWord(static_cast<WORD>(*c));
        appendWord(0);
        appendWord(0); // no creation data
    }
    std::vector<unsigned char> bytes_;
};

std::vector<ShellOpenRequest> opened;

LauncherPlatform recordingPlatform() {
    LauncherPlatform platform;
    platform.shellOpen = [](const ShellOpenRequest &request) { opened.push_back(request); };
    return platform;
}

std::string tempCountFile() {
    char buffer[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, buffer);
    std::string path = std::string(buffer) + "wl_command_window_test.cmd";
    DeleteFileA(path.c_str());
    return path;
}

class CommandWindowTest : public testing::Test {
protected:
    void SetUp() override {
        opened.clear();
        catalogue = new CommandCatalogue(25, recordingPlatform(), tempCountFile());
        catalogue->addItem("C:\\Tools\\notepad.exe", "", 3, false);
        catalogue->addItem("C:\\Docs\\notes.txt", "", 1, false);
        catalogue->addItem("Notable Page", "http://notable.example/", 2, false);
        commandCatalogue = catalogue;
        appInstance = GetModuleHandleA(nullptr);
        dialog = CreateDialogIndirectParamA(appInstance, dialogTemplate.get(), nullptr, commandWindowProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        combo = GetDlgItem(dialog, IDC_COMMAND_COMBO);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        edit = info.hwndItem;
        commandEditOldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(commandEditProc)));
    }
    void TearDown() override {
        DestroyWindow(dialog);
        commandCatalogue = nullptr;
        delete catalogue;
    }

    void type(const std::string &text) {
        for (char c : text)
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void key(WPARAM virtualKey) { SendMessageA(edit, WM_KEYDOWN, virtualKey, 1); }
    std::string editText() {
        char buffer[260] = "";
        GetWindowTextA(edit, buffer, sizeof(buffer));
        return buffer;
    }
    std::vector<std::string> rows() {
        std::vector<std::string> texts;
        LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char buffer[260] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
            texts.push_back(buffer);
        }
        return texts;
    }
    bool dropped() { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }
    LRESULT selection() { return SendMessageA(combo, CB_GETCURSEL, 0, 0); }
    void notify(WORD code) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMMAND_COMBO, code), (LPARAM)combo); }

    DialogTemplate dialogTemplate;
    CommandCatalogue *catalogue = nullptr;
    HWND dialog = nullptr, combo = nullptr, edit = nullptr;
};

TEST_F(CommandWindowTest, TypingFillsWebSearchRowsThenMatchesAndKeepsTheText) {
    type("Not");
    EXPECT_EQ(editText(), "Not");
    std::vector<std::string> texts = rows();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "  Google Search");
    EXPECT_EQ(texts[1], "  Yahoo Search");
    EXPECT_EQ(texts[2], "  MSN Search");
    EXPECT_TRUE(dropped());
    for (int row = 0; row < 3; ++row) {
        LRESULT data = SendMessageA(combo, CB_GETITEMDATA, row, 0);
        EXPECT_TRUE(isWebSearchIconData(data));
        EXPECT_EQ(webSearchIconResource(data), 143 + row);
    }
    // The titled row's address is not a file: it falls back to the icon of web pages.
    for (size_t row = 3; row < texts.size(); ++row)
        EXPECT_FALSE(isWebSearchIconData(SendMessageA(combo, CB_GETITEMDATA, row, 0))) << texts[row];
}

TEST_F(CommandWindowTest, SelectionMovesWithoutTouchingTheTypedText) {
    type("note");
    SendMessageA(combo, CB_SETCURSEL, 3, 0);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("replaced"));
    EXPECT_EQ(editText(), "note");
    // WM_CLEAR is the one way to empty the field from outside.
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo, WM_CLEAR, 0, 0);
    EXPECT_EQ(editText(), "");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(CommandWindowTest, FirstSelectionChangeAfterADropJumpsToTheFirstMatchOnce) {
    type("note");
    ASSERT_TRUE(dropped());
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(selection(), 3);
    SendMessageA(combo, CB_SETCURSEL, 4, 0);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(selection(), 4);
}

TEST_F(CommandWindowTest, WithoutMatchesTheJumpClearsTheSelection) {
    type("zzzz");
    ASSERT_EQ(rows().size(), 3u);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(selection(), CB_ERR);
}

TEST_F(CommandWindowTest, EnterWithoutSelectionSearchesTheFirstEngineWithTheTypedWords) {
    type("two words");
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    key(VK_RETURN);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].file, catalogue->webSearchEntries()[0].urlPrefix + "two+words");
    EXPECT_TRUE(opened[0].verb.empty());
}

TEST_F(CommandWindowTest, EnterWithAnEmptyFieldOpensNothing) {
    key(VK_RETURN);
    EXPECT_TRUE(opened.empty());
}

TEST_F(CommandWindowTest, ChoosingARowOpensItsTargetAndCountsTheUse) {
    type("notable");
    ASSERT_EQ(rows().size(), 4u);
    SendMessageA(combo, CB_SETCURSEL, 3, 0);
    notify(CBN_SELENDOK);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].file, "http://notable.example/");
    EXPECT_EQ(catalogue->useCount("http://notable.example/"), 1);
    // The window stays open after a launch.
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(CommandWindowTest, ArrowWithTheListClosedSearchesAgainAndDropsIt) {
    type("notes");
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ASSERT_FALSE(dropped());
    key(VK_DOWN);
    EXPECT_TRUE(dropped());
    EXPECT_EQ(rows().size(), 4u);
}

TEST_F(CommandWindowTest, CloseButtonHidesAndEmptiesUnlessTheListIsOpen) {
    type("note");
    ASSERT_TRUE(dropped());
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMMAND_CLOSE, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(editText(), "note");

    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMMAND_CLOSE, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(editText(), "");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(CommandWindowTest, PressAndReleaseMoveTheBarByTheirDistance) {
    RECT before;
    GetWindowRect(dialog, &before);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(105, 5));
    RECT after;
    GetWindowRect(dialog, &after);
    EXPECT_EQ(after.left, before.left + 100);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    // A release that ends no press moves nothing.
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    RECT again;
    GetWindowRect(dialog, &again);
    EXPECT_EQ(again.left, after.left);
    EXPECT_EQ(again.top, after.top);
}

TEST(CommandRows, RowHeightFollowsTheFontAndCentresTheIcon) {
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWN | CBS_HASSTRINGS, 0, 0, 200, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    HFONT large = CreateFontA(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
    MEASUREITEMSTRUCT measure = {};
    int offset = measureCommandRow(combo, measure);
    EXPECT_GT(measure.itemHeight, 30u);
    EXPECT_EQ(offset, (static_cast<int>(measure.itemHeight) - 16 + 1) / 2);

    HFONT tiny = CreateFontA(-6, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(tiny), FALSE);
    EXPECT_EQ(measureCommandRow(combo, measure), 0);
    EXPECT_EQ(measure.itemHeight, 16u);
    DestroyWindow(combo);
    DeleteObject(large);
    DeleteObject(tiny);
}

TEST(CommandRows, AddressesGetTheirEngineIconOtherwiseTheWebPageIcon) {
    std::vector<WebSearchEntry> searches = builtInWebSearches();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rowIconData(searches[row].urlPrefix + "query"), webSearchIconData(row));
    EXPECT_FALSE(isWebSearchIconData(rowIconData("http://elsewhere.example/")));
    // Indexes of the system image list that equal the engines' resource numbers stay indexes.
    for (LPARAM index : {0, 143, 144, 145})
        EXPECT_FALSE(isWebSearchIconData(index)) << index;
}

} // namespace
