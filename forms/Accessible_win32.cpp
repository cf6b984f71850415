#include "forms/Accessible_win32.h"

#include <oleacc.h>

#include "common/SystemLibrary_win32.h"
#include "forms/Window_win32.h"

namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}. The import library gives IID_IAccessible as code, not
// as the GUID's bytes, so the interface's identity is written out here.
constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// Posted to the window to carry out a default action once the caller has its answer: a page
// change or the install must not run inside a call from another process.
constexpr UINT kActionMessage = WM_APP + 0x2A1;

constexpr long kSelf = -1;

// The accessibility libraries are bound when a screen reader first asks: a program nobody
// reads with does without them.
constexpr wchar_t kOleAutomation[] = L"oleaut32.dll";
constexpr wchar_t kAccessibility[] = L"oleacc.dll";

BSTR Text(const std::wstring& s)
{
    static const auto allocate = SYSTEM_FUNCTION(kOleAutomation, SysAllocStringLen);
    return allocate ? allocate(s.data(), static_cast<UINT>(s.size())) : nullptr;
}

// VariantInit's whole work.
void Empty(VARIANT* v)
{
    v->vt = VT_EMPTY;
}

void SetChild(VARIANT* v, long item)
{
    v->vt = VT_I4;
    v->lVal = item == kSelf ? CHILDID_SELF : item + 1;
}

}  // namespace

class TAccessibleObject final : public IAccessible {
public:
    TAccessibleObject(TAccessibleModel& model, HWND window, LPARAM generation)
        : model_(&model), window_(window), generation_(generation)
    {
    }

    void Disconnect()
    {
        model_ = nullptr;
        ::CoDisconnectObject(static_cast<IAccessible*>(this), 0);
    }
    LPARAM Generation() const { return generation_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: no type information; clients call the interface's methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!model_)
            return CO_E_OBJNOTCONNECTED;
        static const auto fromWindow = SYSTEM_FUNCTION(kAccessibility, AccessibleObjectFromWindow);
        return fromWindow ? fromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                       reinterpret_cast<void**>(parent))
                          : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        if (!model_)
            return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(model_->AccessibleItems().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        long item;
        const HRESULT hr = Resolve(child, item);
        if (FAILED(hr))
            return hr;
        // The parts are simple elements of this object, not objects of their own.
        return item == kSelf ? E_INVALIDARG : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return TextOf(child, name, [this](const TAccessibleItem* item) {
            return item ? item->Name : model_->AccessibleName();
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override
    {
        return NoText(value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override
    {
        return NoText(text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return NumberOf(child, role, [this](const TAccessibleItem* item) {
            return item ? item->Role : model_->AccessibleRole();
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return NumberOf(child, state, [](const TAccessibleItem* item) {
            return static_cast<long>(item ? item->State : STATE_SYSTEM_FOCUSABLE);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return NoText(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        if (topic)
            *topic = 0;
        return NoText(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override
    {
        return TextOf(child, text, [](const TAccessibleItem* item) {
            return item ? item->Shortcut : std::wstring();
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus)
            return E_POINTER;
        Empty(focus);
        if (!model_)
            return CO_E_OBJNOTCONNECTED;
        const int item = model_->AccessibleFocus();
        if (item < 0)
            return S_FALSE;
        SetChild(focus, item);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (!selection)
            return E_POINTER;
        Empty(selection);
        return model_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return TextOf(child, action, [](const TAccessibleItem* item) {
            return item ? item->Action : std::wstring();
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override
    {
        return model_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        std::vector<TAccessibleItem> items;
        long item;
        const HRESULT hr = Resolve(child, item, &items);
        if (FAILED(hr))
            return hr;
        RECT r = {};
        if (item == kSelf) {
            ::GetClientRect(window_, &r);
        } else {
            const TRect& drawn = items[item].Rect;
            r = RECT{drawn.Left, drawn.Top, drawn.Right, drawn.Bottom};
        }
        POINT corner = {r.left, r.top};
        ::ClientToScreen(window_, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        std::vector<TAccessibleItem> items;
        long item;
        const HRESULT hr = ResolveFor(end, start, item, items);
        if (FAILED(hr))
            return hr;
        const long count = static_cast<long>(items.size());
        long to = kSelf - 1;  // nowhere
        if (model_->AccessibleMirrored() && (direction == NAVDIR_LEFT || direction == NAVDIR_RIGHT))
            direction = direction == NAVDIR_LEFT ? NAVDIR_RIGHT : NAVDIR_LEFT;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (item != kSelf)
                return E_INVALIDARG;
            if (count)
                to = direction == NAVDIR_FIRSTCHILD ? 0 : count - 1;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
        case NAVDIR_RIGHT:
            if (item != kSelf && item + 1 < count)
                to = item + 1;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
        case NAVDIR_LEFT:
            if (item != kSelf && item > 0)
                to = item - 1;
            break;
        default:
            return E_INVALIDARG;
        }
        if (to < 0)
            return S_FALSE;
        SetChild(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* found) override
    {
        if (!found)
            return E_POINTER;
        Empty(found);
        if (!model_)
            return CO_E_OBJNOTCONNECTED;
        POINT p = {x, y};
        ::ScreenToClient(window_, &p);
        RECT client = {};
        ::GetClientRect(window_, &client);
        if (!::PtInRect(&client, p))
            return S_FALSE;
        const std::vector<TAccessibleItem> items = model_->AccessibleItems();
        long at = kSelf;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].Rect.Contains(p.x, p.y))
                at = static_cast<long>(i);
        SetChild(found, at);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        std::vector<TAccessibleItem> items;
        long item;
        const HRESULT hr = Resolve(child, item, &items);
        if (FAILED(hr))
            return hr;
        if (item == kSelf || items[item].Action.empty())
            return DISP_E_MEMBERNOTFOUND;
        ::PostMessageW(window_, kActionMessage, static_cast<WPARAM>(item), generation_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~TAccessibleObject() = default;

    // The part a child id names (kSelf for the object itself); with `items`, the parts read.
    HRESULT Resolve(const VARIANT& child, long& item,
                    std::vector<TAccessibleItem>* items = nullptr) const
    {
        if (!model_)
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        std::vector<TAccessibleItem> read = model_->AccessibleItems();
        if (child.lVal == CHILDID_SELF) {
            item = kSelf;
        } else if (child.lVal >= 1 && child.lVal <= static_cast<long>(read.size())) {
            item = child.lVal - 1;
        } else {
            return E_INVALIDARG;
        }
        if (items)
            *items = std::move(read);
        return S_OK;
    }

    // Resolve for a method that answers in the VARIANT `out`, emptied first.
    HRESULT ResolveFor(VARIANT* out, const VARIANT& child, long& item,
                       std::vector<TAccessibleItem>& items) const
    {
        if (!out)
            return E_POINTER;
        Empty(out);
        return Resolve(child, item, &items);
    }

    template <typename Pick>
    HRESULT TextOf(const VARIANT& child, BSTR* out, Pick pick)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::vector<TAccessibleItem> items;
        long item;
        const HRESULT hr = Resolve(child, item, &items);
        if (FAILED(hr))
            return hr;
        const std::wstring text = pick(item == kSelf ? nullptr : &items[item]);
        if (text.empty())
            return S_FALSE;
        *out = Text(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    template <typename Pick>
    HRESULT NumberOf(const VARIANT& child, VARIANT* out, Pick pick)
    {
        std::vector<TAccessibleItem> items;
        long item;
        const HRESULT hr = ResolveFor(out, child, item, items);
        if (FAILED(hr))
            return hr;
        out->vt = VT_I4;
        out->lVal = pick(item == kSelf ? nullptr : &items[item]);
        return S_OK;
    }

    HRESULT NoText(BSTR* out) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return model_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }

    TAccessibleModel* model_;
    const HWND window_;
    const LPARAM generation_;
    LONG refs_ = 1;
};

LRESULT TAccessibleHost::Answer(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) || !control_.HandleAllocated())
        return 0;
    if (!object_)
        object_ = new TAccessibleObject(model_, control_.Handle(), ++generation_);
    static const auto answer = SYSTEM_FUNCTION(kAccessibility, LresultFromObject);
    return answer ? answer(kIidAccessible, wParam, static_cast<IAccessible*>(object_)) : 0;
}

void TAccessibleHost::Replace()
{
    if (!object_)
        return;
    TAccessibleObject* gone = object_;
    object_ = nullptr;
    gone->Disconnect();
    gone->Release();
}

void TAccessibleHost::Notify(DWORD event, int item)
{
    if (control_.HandleAllocated())
        ::NotifyWinEvent(event, control_.Handle(), OBJID_CLIENT,
                         item < 0 ? CHILDID_SELF : item + 1);
}

bool TAccessibleHost::Action(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kActionMessage)
        return false;
    // Only for the object still handed out: a press meant for a page that is gone does nothing.
    if (object_ && object_->Generation() == lParam) {
        const std::vector<TAccessibleItem> items = model_.AccessibleItems();
        if (wParam < items.size() && !items[wParam].Action.empty())
            model_.AccessibleAction(static_cast<int>(wParam));
    }
    return true;
}
