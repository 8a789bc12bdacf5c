#pragma once

// The accessible objects of a text field that draws its own caret: what the end-to-end tests'
// caret field and the completion benchmark answer WM_GETOBJECT with.
#include <windows.h>

#include <oleacc.h>

// The interface ids, spelled out: the 64-bit import library of oleacc makes its IID_IAccessible a
// jump stub rather than the id.
const IID kAccessibleIid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kDispatchIid = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// What other programs asked of the field's accessibility: the objects they fetched (WM_GETOBJECT)
// and the questions they put to them, for the caret and for everything else (the field, its
// elements, and the system's objects of the window), and how often they followed accFocus. A
// browser answers the caret alone cheaply; anything else may switch on its whole accessibility.
struct AccessRequests {
    LONG caretObjects = 0, caretCalls = 0;
    LONG otherObjects = 0, otherCalls = 0;
    LONG focusWalks = 0;
    LONG focusEvents = 0; // the focus events the field raised itself
};
inline AccessRequests accessRequests;

// The tests ask the field for one count at a time: SendMessage of this message with the count's
// index in wParam returns it.
const UINT kAccessRequestsMessage = WM_APP + 40;
enum AccessRequestCount { kCaretObjects, kCaretCalls, kOtherObjects, kOtherCalls, kFocusWalks, kFocusEvents };
inline LRESULT accessRequestCount(WPARAM which) {
    const LONG counts[] = {accessRequests.caretObjects, accessRequests.caretCalls, accessRequests.otherObjects,
                           accessRequests.otherCalls,   accessRequests.focusWalks, accessRequests.focusEvents};
    return which < sizeof counts / sizeof counts[0] ? counts[which] : -1;
}

// One accessible object of a field that keeps no system caret: its caret (where it is) or the
// field itself (its state, protected when asked). caretOf gives the caret's rectangle now, in
// client coordinates: the object answers for the caret wherever it has moved since.
class FieldObject final : public IAccessible {
public:
    typedef RECT (*CaretOf)(HWND window);
    FieldObject(HWND window, bool caret, CaretOf caretOf, bool isProtected)
        : window_(window), caret_(caret), caretOf_(caretOf), protected_(isProtected) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid == kUnknownIid || iid == kDispatchIid || iid == kAccessibleIid) {
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
        count();
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long *children) override {
        count();
        *children = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch **child) override {
        count();
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR *name) override {
        count();
        *name = SysAllocString(caret_ ? L"caret" : L"field");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR *value) override {
        count();
        *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR *text) override {
        count();
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT *role) override {
        count();
        role->vt = VT_I4;
        role->lVal = caret_ ? ROLE_SYSTEM_CARET : ROLE_SYSTEM_TEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT *state) override {
        count();
        state->vt = VT_I4;
        state->lVal = caret_ ? 0 : STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED;
        if (!caret_ && protected_)
            state->lVal |= STATE_SYSTEM_PROTECTED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR *help) override {
        count();
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT, long *topic) override {
        count();
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR *keys) override {
        count();
        *keys = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *focus) override {
        count();
        InterlockedIncrement(&accessRequests.focusWalks);
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *selection) override {
        count();
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR *action) override {
        count();
        *action = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override {
        count();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT) override {
        count();
        RECT rect = {};
        if (caret_) {
            rect = caretOf_(window_);
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
        count();
        end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT *child) override {
        count();
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override {
        count();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        count();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        count();
        return E_NOTIMPL;
    }

private:
    void count() { InterlockedIncrement(caret_ ? &accessRequests.caretCalls : &accessRequests.otherCalls); }

    HWND window_;
    bool caret_;
    CaretOf caretOf_;
    bool protected_;
    LONG refs_ = 1;
};

// WM_GETOBJECT for the caret and the client object; everything else as the system answers it.
inline LRESULT answerGetObject(HWND window, WPARAM flags, LPARAM id, FieldObject::CaretOf caretOf,
                               bool isProtected) {
    InterlockedIncrement(static_cast<LONG>(id) == OBJID_CARET ? &accessRequests.caretObjects
                                                              : &accessRequests.otherObjects);
    if (static_cast<LONG>(id) != OBJID_CARET && static_cast<LONG>(id) != OBJID_CLIENT)
        return DefWindowProcA(window, WM_GETOBJECT, flags, id);
    FieldObject *object = new FieldObject(window, static_cast<LONG>(id) == OBJID_CARET, caretOf, isProtected);
    LRESULT result = LresultFromObject(kAccessibleIid, flags, object);
    object->Release();
    return result;
}
