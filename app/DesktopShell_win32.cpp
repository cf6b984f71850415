#include "app/DesktopShell_win32.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "common/ComPtr_win32.h"
#include "common/SystemLibrary_win32.h"

namespace {
// The automation library's strings and variants, bound when the messenger is started.
constexpr wchar_t kOleAutomation[] = L"oleaut32.dll";

BSTR NewBstr(const wchar_t* text, size_t length)
{
    static const auto allocate = SYSTEM_FUNCTION(kOleAutomation, SysAllocStringLen);
    return allocate ? allocate(text, static_cast<UINT>(length)) : nullptr;
}

// A VARIANT cleared on every path.
class Variant {
public:
    Variant() { v_.vt = VT_EMPTY; }
    ~Variant()
    {
        static const auto clear = SYSTEM_FUNCTION(kOleAutomation, VariantClear);
        if (clear)
            clear(&v_);
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT& get() { return v_; }

private:
    VARIANT v_;
};

// A BSTR freed on every path.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : b_(NewBstr(text.data(), text.size())) {}
    ~Bstr()
    {
        static const auto free = SYSTEM_FUNCTION(kOleAutomation, SysFreeString);
        if (free)
            free(b_);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_;
};

ComPtr<IShellDispatch2> DesktopShellDispatch()
{
    ComPtr<IShellDispatch2> none;
    ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, windows.receiveVoid())))
        return none;
    Variant location, root;
    location.get().vt = VT_I4;
    location.get().lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &window,
                              SWFO_NEEDDISPATCH, desktop.receive()) != S_OK ||
        !desktop)
        return none;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.receiveVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      browser.receiveVoid())) ||
        FAILED(browser->QueryActiveShellView(view.receive())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receiveVoid())) ||
        !background ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.receiveVoid())) ||
        FAILED(folderView->get_Application(application.receive())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.receiveVoid())))
        return none;
    return shell;
}
}  // namespace

bool OpenThroughDesktopShell(const std::wstring& file, const wchar_t* verb)
{
    const ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
    if (!shell)
        return false;
    const Bstr name(file);
    Variant arguments, folder, operation, show;
    operation.get().vt = VT_BSTR;
    operation.get().bstrVal = NewBstr(verb, ::lstrlenW(verb));
    show.get().vt = VT_I4;
    show.get().lVal = SW_SHOW;
    return name.get() && operation.get().bstrVal &&
           SUCCEEDED(shell->ShellExecute(name.get(), arguments.get(), folder.get(),
                                         operation.get(), show.get()));
}

ShellStart OpenAsDesktopUser(const std::wstring& file, const wchar_t* verb)
{
    if (OpenThroughDesktopShell(file, verb))
        return ShellStart::DesktopShell;
    if (const auto execute = SYSTEM_FUNCTION(L"shell32.dll", ShellExecuteW))
        execute(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOW);
    return ShellStart::ThisProcess;
}
