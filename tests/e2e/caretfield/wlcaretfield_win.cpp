// A text field of the tests' own that draws its own caret and keeps no system caret, as browsers
// do: it tells where its caret is only through accessibility, answering WM_GETOBJECT for the caret
// object with a small IAccessible of its own. Started with "protected" it also reports its focused
// element protected, as a web page's password field is.
#include <windows.h>

#include <oleacc.h>

#include <string>

namespace {

const int kFieldLeft = 30;
const int kFieldTop = 60;
// Taller than the system font, so that the list's place shows which line height it used.
const int kFontHeight = 30;
const int kCaretWidth = 2;

bool protectedMode = false;
HFONT fieldFont = nullptr;

// The caret's rectangle in client coordinates: after the last character of the text.
RECT caretRect(HWND window) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, fieldFont);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return RECT{kFieldLeft + size.cx, kFieldTop, kFieldLeft + size.cx + kCaretWidth, kFieldTop + metrics.tmHeight};
}

// One accessible object: the caret (its location) or the field itself (its state).
class FieldObject final : public IAccessible {
public:
    FieldObject(HWND window, bool caret) : window_(window), caret_(caret) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (!left)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override {
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch **child) override {
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR *name) override {
        *name = SysAllocString(caret_ ? L"caret" : L"field");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR *value) override {
        *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR *text) override {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT *role) override {
        role->vt = VT_I4;
        role->lVal = caret_ ? ROLE_SYSTEM_CARET : ROLE_SYSTEM_TEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT *state) override {
        state->vt = VT_I4;
        state->lVal = caret_ ? 0 : STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED;
        if (!caret_ && protectedMode)
            state->lVal |= STATE_SYSTEM_PROTECTED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR *help) override {
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT, long *topic) override {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR *keys) override {
        *keys = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *focus) override {
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *selection) override {
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR *action) override {
        *action = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT) override {
        RECT rect = {};
        if (caret_) {
            rect = caretRect(window_);
        } else {
            GetClientRect(window_, &rect);
        }
        POINT corner = {rect.left, rect.top};
        ClientToScreen(window_, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT *end) override {
        end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT *child) override {
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    HWND window_;
    bool caret_;
    LONG refs_ = 1;
};

LRESULT answerGetObject(HWND window, WPARAM flags, LPARAM id) {
    if (static_cast<LONG>(id) != OBJID_CARET && static_cast<LONG>(id) != OBJID_CLIENT)
        return DefWindowProcA(window, WM_GETOBJECT, flags, id);
    FieldObject *object = new FieldObject(window, static_cast<LONG>(id) == OBJID_CARET);
    LRESULT result = LresultFromObject(IID_IAccessible, flags, object);
    object->Release();
    return result;
}

void typeCharacter(HWND window, unsigned char ch) {
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    std::string now(text, length);
    if (ch == '\b') {
        if (!now.empty())
            now.pop_back();
    } else if (ch >= 0x20) {
        now += static_cast<char>(ch);
    }
    SetWindowTextA(window, now.c_str());
    InvalidateRect(window, nullptr, TRUE);
}

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    char text[512] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    HGDIOBJ old = SelectObject(dc, fieldFont);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, kFieldLeft, kFieldTop, text, length);
    SelectObject(dc, old);
    // The caret is drawn, not kept: a black bar.
    RECT caret = caretRect(window);
    FillRect(dc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &ps);
}

LRESULT CALLBACK fieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam);
    case WM_CHAR:
    case WM_IME_CHAR:
        typeCharacter(window, static_cast<unsigned char>(wParam));
        return 0;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    protectedMode = commandLine && strstr(commandLine, "protected") != nullptr;
    // The objects are handed to other processes through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    fieldFont = CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = fieldProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "WordlarkCaretField";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 240, 180, 600, 220, nullptr, nullptr,
                    instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(fieldFont);
    CoUninitialize();
    return 0;
}
