// Reads and operates the wizard from another process, as a screen reader does: through the
// client object that AccessibleObjectFromWindow gives for a window of class CLASS
// (TSetupWizardH, the foreground form, or TSetupWizard, the background). Lines on stdout,
// fields separated by tabs, texts in UTF-8; exit code 0 when the object answered.
//
//   tree CLASS            item <id> <role> <state hex> <left> <top> <width> <height> <action> <name>
//                         (id 0: the client object; locations in screen coordinates), then
//                         hit <id> <id found at the item's centre>, next <id> <id after it>,
//                         left <id> <id to its left>, focus <id with the focus>,
//                         licence <role> <state hex> <name> <value's first 40 characters>
//                         (the licence box while it shows)
//   press CLASS NAME      pressed <hresult>: the default action of the part named NAME
//   stale CLASS           name <hresult>; then sets the named event MwAccessibleClientReady,
//                         waits for MwAccessibleClientGo and answers name <hresult>,
//                         count <hresult> from the object held since
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::string Utf8(const wchar_t* w, int length = -1)
{
    if (!w)
        return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w, length, &out[0], n, nullptr, nullptr);
    if (length < 0 && !out.empty())
        out.pop_back();
    return out;
}

VARIANT Child(long id)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string Name(IAccessible* object, long id, HRESULT* result = nullptr)
{
    BSTR name = nullptr;
    const HRESULT hr = object->get_accName(Child(id), &name);
    if (result)
        *result = hr;
    std::string out = Utf8(name);
    ::SysFreeString(name);
    return out;
}

long Number(const VARIANT& v)
{
    return v.vt == VT_I4 ? v.lVal : -1;
}

IAccessible* ObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    if (!window || FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                       kIidAccessible,
                                                       reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

void Tree(IAccessible* object)
{
    long count = 0;
    object->get_accChildCount(&count);
    for (long id = 0; id <= count; ++id) {
        VARIANT role, state;
        ::VariantInit(&role);
        ::VariantInit(&state);
        object->get_accRole(Child(id), &role);
        object->get_accState(Child(id), &state);
        long l = 0, t = 0, w = 0, h = 0;
        object->accLocation(&l, &t, &w, &h, Child(id));
        BSTR action = nullptr;
        object->get_accDefaultAction(Child(id), &action);
        std::printf("item\t%ld\t%ld\t%lx\t%ld\t%ld\t%ld\t%ld\t%s\t%s\n", id, Number(role),
                    Number(state), l, t, w, h, Utf8(action).c_str(), Name(object, id).c_str());
        ::SysFreeString(action);
        if (id == 0)
            continue;
        VARIANT found, next, left;
        ::VariantInit(&found);
        ::VariantInit(&next);
        ::VariantInit(&left);
        object->accHitTest(l + w / 2, t + h / 2, &found);
        object->accNavigate(NAVDIR_NEXT, Child(id), &next);
        object->accNavigate(NAVDIR_LEFT, Child(id), &left);
        std::printf("hit\t%ld\t%ld\nnext\t%ld\t%ld\nleft\t%ld\t%ld\n", id, Number(found), id,
                    Number(next), id, Number(left));
    }
    VARIANT focus;
    ::VariantInit(&focus);
    object->get_accFocus(&focus);
    std::printf("focus\t%ld\n", Number(focus));
}

// The licence box: a real edit control among the image's child windows, read through the
// system's own object for it.
void Licence(HWND form)
{
    HWND image = ::FindWindowExW(form, nullptr, L"MwImage32", nullptr);
    HWND edit = image ? ::FindWindowExW(image, nullptr, L"Edit", nullptr) : nullptr;
    IAccessible* object = edit && ::IsWindowVisible(edit) ? ObjectOf(edit) : nullptr;
    if (!object)
        return;
    VARIANT role, state;
    ::VariantInit(&role);
    ::VariantInit(&state);
    object->get_accRole(Child(CHILDID_SELF), &role);
    object->get_accState(Child(CHILDID_SELF), &state);
    BSTR value = nullptr;
    object->get_accValue(Child(CHILDID_SELF), &value);
    const int length = value ? static_cast<int>(::SysStringLen(value)) : 0;
    std::printf("licence\t%ld\t%lx\t%s\t%s\n", Number(role), Number(state),
                Name(object, CHILDID_SELF).c_str(), Utf8(value, length < 40 ? length : 40).c_str());
    ::SysFreeString(value);
    object->Release();
}

int Press(IAccessible* object, const std::string& name)
{
    long count = 0;
    object->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id)
        if (Name(object, id) == name) {
            std::printf("pressed\t%lx\n", static_cast<unsigned long>(object->accDoDefaultAction(Child(id))));
            return 0;
        }
    std::printf("missing\t%s\n", name.c_str());
    return 1;
}

int Stale(IAccessible* object)
{
    HRESULT hr;
    Name(object, 0, &hr);
    std::printf("name\t%lx\n", static_cast<unsigned long>(hr));
    std::fflush(stdout);
    HANDLE go = ::OpenEventW(SYNCHRONIZE, FALSE, L"MwAccessibleClientGo");
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"MwAccessibleClientReady");
    if (!go || !ready)
        return 1;
    ::SetEvent(ready);
    ::WaitForSingleObject(go, 30000);
    Name(object, 0, &hr);
    long count = 0;
    const HRESULT counted = object->get_accChildCount(&count);
    std::printf("name\t%lx\ncount\t%lx\n", static_cast<unsigned long>(hr),
                static_cast<unsigned long>(counted));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring command = argv[1];
    HWND window = ::FindWindowW(argv[2], nullptr);
    IAccessible* object = window ? ObjectOf(window) : nullptr;
    if (!object) {
        std::printf("no object\n");
        return 1;
    }
    int code = 0;
    if (command == L"tree") {
        Tree(object);
        Licence(window);
    }
    else if (command == L"press" && argc > 3)
        code = Press(object, Utf8(argv[3]));
    else if (command == L"stale")
        code = Stale(object);
    else
        code = 2;
    object->Release();
    std::fflush(stdout);
    return code;
}
