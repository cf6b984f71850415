// The wizard as a screen reader finds it: read and operated from another process (the client
// in helpers/) through the accessible objects of the foreground and background windows.
#include <oleacc.h>

#include <functional>
#include <map>

#include "WizardTestSupport.h"
#include "app/UnitStrings.h"
#include "common/Texts_win32.h"

namespace {
using Rows = std::vector<std::vector<std::string>>;

std::string Utf8(const std::wstring& w)
{
    const int size = static_cast<int>(w.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, w.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

// Runs the client with `args` while this thread goes on handling the wizard's messages, through
// which the client's calls arrive. `during` runs once the client has set its ready event.
Rows RunClient(const std::wstring& args, std::function<void()> during = nullptr)
{
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"acc", 0, file);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                               nullptr);
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, L"MwAccessibleClientReady");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" MW_ACCESSIBLE_CLIENT L"\" " + args;
    const BOOL started = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    ::CloseHandle(out);
    EXPECT_TRUE(started) << "the client starts";
    const DWORD end = ::GetTickCount() + 60000;
    while (started && static_cast<LONG>(end - ::GetTickCount()) > 0) {
        HANDLE waits[2] = {pi.hProcess, ready};
        const DWORD count = during ? 2 : 1;
        const DWORD r = ::MsgWaitForMultipleObjects(count, waits, FALSE, 100, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        // Messages first: a thread learns of hooks set meanwhile by reading its queue, as
        // it does before it handles any key.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        if (count == 2 && r == WAIT_OBJECT_0 + 1) {
            std::function<void()> run = std::move(during);
            during = nullptr;
            run();
        }
    }
    if (started) {
        EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0) << "the client ended";
        ::TerminateProcess(pi.hProcess, 1);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    ::CloseHandle(ready);
    Rows rows;
    std::string text;
    HANDLE in = ::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && ::ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got)
        text.append(buffer, got);
    ::CloseHandle(in);
    ::DeleteFileW(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string::npos)
            stop = text.size();
        std::vector<std::string> fields(1);
        for (size_t i = start; i < stop; ++i)
            if (text[i] == '\t')
                fields.emplace_back();
            else if (text[i] != '\r')
                fields.back() += text[i];
        rows.push_back(fields);
        start = stop + 1;
    }
    return rows;
}

// One part as the page shows it, in the image's client coordinates at 96 DPI, left to right:
// it lies inside `within` and covers `covers` (English; in another language the texts' own
// lengths decide what a text covers, and only buttons are checked so).
struct Part {
    long role;
    TextId name;
    unsigned long state;
    TextId action;
    TRect within, covers;
};

Part Said(TextId name, const TRect& within, const TRect& covers)
{
    return {ROLE_SYSTEM_STATICTEXT, name, STATE_SYSTEM_READONLY, tiNone, within, covers};
}

Part Button(TextId name, int left, bool focused)
{
    const TRect r{left, 230, left + 78, 255};
    return {ROLE_SYSTEM_PUSHBUTTON, name,
            STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0ul), tiActionPress, r, r};
}

Part Agreement(bool agreed)
{
    return {ROLE_SYSTEM_CHECKBUTTON, tiAgreeLabel, agreed ? STATE_SYSTEM_CHECKED : 0ul,
            agreed ? tiActionUncheck : tiActionCheck, TRect{10, 200, 285, 230},
            TRect{10, 205, 200, 220}};
}

const Part kTitle = Said(tiWizardTitle, TRect{0, 0, 285, 30}, TRect{60, 2, 225, 14});

Part Body(TextId text, int bottomAtLeast)
{
    return Said(text, TRect{10, 35, 280, 200}, TRect{10, 36, 200, bottomAtLeast});
}

// `r` scaled to the page at `s` and, right to left, mirrored across it.
TRect OnPage(const TRect& r, const TDpiScale& s, bool mirrored)
{
    const TRect scaled = s(r);
    const int width = s(420) - s(135);
    return mirrored ? TRect{width - scaled.Right, scaled.Top, width - scaled.Left, scaled.Bottom}
                    : scaled;
}

class WizardAccessibleTest : public WizardTest {
protected:
    void GoTo(int page, bool agreed)
    {
        SetupWizardH->Agreed = agreed;
        SetupWizardH->ClearPage();
        SetupWizardH->ShowPage(page);
        Pump();
    }
};
}  // namespace

TEST_F(WizardAccessibleTest, AnotherProcessReadsEveryPartOfEveryPageInEnglishGermanJapaneseArabic)
{
    const struct {
        int page;
        bool agreed;
        std::vector<Part> parts;
    } pages[] = {
        {1, false, {kTitle, Body(tiWelcomeText, 100), Button(tiButtonNext, 110, true),
                    Button(tiButtonCancel, 200, false)}},
        {2, false, {kTitle, Body(tiAgreementText, 45), Agreement(false),
                    Button(tiButtonBack, 30, false), Button(tiButtonNext, 110, true),
                    Button(tiButtonCancel, 200, false)}},
        {2, true, {kTitle, Body(tiAgreementText, 45), Agreement(true),
                   Button(tiButtonBack, 30, false), Button(tiButtonNext, 110, true),
                   Button(tiButtonCancel, 200, false)}},
        {3, false, {kTitle, Body(tiReadyText, 100), Button(tiButtonBack, 30, false),
                    Button(tiButtonInstall, 110, true), Button(tiButtonCancel, 200, false)}},
    };
    // The wizard as a user of each language starts it; Arabic's page mirrored.
    for (const LANGID user : {0x0409, 0x0407, 0x0411, 0x0401}) {
    TearDown();
    ChooseTexts(user);
    SetUp();
    const bool english = TextsLanguage() == LANG_ENGLISH;
    const bool mirrored = TextsRightToLeft();
    EXPECT_EQ(mirrored, user == 0x0401);
    // At 100 % and at 200 %: the parts move and grow with the drawing.
    for (const int dpi : {96, 192}) {
        AnnounceDpi(dpi, 40, 30);
        const TDpiScale s(dpi);
        // Text measured at another resolution may come out a pixel or so narrower than scaled.
        const int slack = dpi == 96 ? 0 : 2;
        for (const auto& p : pages) {
            GoTo(p.page, p.agreed);
            RECT image = {};
            ::GetWindowRect(ImageWindow(), &image);
            std::map<long, std::vector<std::string>> items, hits, nexts, lefts;
            std::string focus;
            std::vector<std::string> licence;
            for (const auto& row : RunClient(L"tree TSetupWizardH")) {
                if (row[0] == "licence" && row.size() == 5)
                    licence = row;
                if (row[0] == "item" && row.size() == 10)
                    items[std::stol(row[1])] = row;
                else if ((row[0] == "hit" || row[0] == "next" || row[0] == "left") &&
                         row.size() == 3)
                    (row[0] == "hit" ? hits : row[0] == "next" ? nexts : lefts)[std::stol(row[1])] =
                        row;
                else if (row[0] == "focus" && row.size() == 2)
                    focus = row[1];
            }
            const std::string where = std::to_string(user) + ", " + std::to_string(dpi) +
                                      " DPI, page " + std::to_string(p.page) +
                                      (p.agreed ? " agreed" : "");
            ASSERT_EQ(items.size(), p.parts.size() + 1) << where;
            // The licence box stays the edit control it is, read by the system's object for it:
            // named in the user's language, its value the licence's first words (the file's
            // byte-order mark is no part of it).
            EXPECT_EQ(licence.empty(), p.page != 2) << where;
            if (!licence.empty()) {
                EXPECT_EQ(std::stol(licence[1]), ROLE_SYSTEM_TEXT) << where;
                EXPECT_EQ(std::stol(licence[2], nullptr, 16) & STATE_SYSTEM_READONLY,
                          STATE_SYSTEM_READONLY) << where;
                EXPECT_EQ(licence[3], Utf8(Text(tiLicenceBoxName))) << where;
                EXPECT_FALSE(licence[4].empty() || licence[4].compare(0, 3, "\xEF\xBB\xBF") == 0)
                    << where << ": " << licence[4];
            }
            const std::vector<std::string>& self = items[0];
            EXPECT_EQ(self[2], std::to_string(ROLE_SYSTEM_DIALOG)) << where;
            EXPECT_EQ(self[9], Utf8(Text(tiWizardTitle))) << where;
            EXPECT_EQ(std::vector<std::string>(self.begin() + 4, self.begin() + 8),
                      (std::vector<std::string>{
                          std::to_string(image.left), std::to_string(image.top),
                          std::to_string(s(285)), std::to_string(s(260))}))
                << where;
            for (size_t i = 0; i < p.parts.size(); ++i) {
                const Part& want = p.parts[i];
                const long id = static_cast<long>(i + 1);
                const std::vector<std::string>& got = items[id];
                const std::string name = Utf8(Text(want.name));
                const std::string what = where + ", " + name;
                EXPECT_EQ(got[9], name) << what;
                EXPECT_EQ(std::stol(got[2]), want.role) << what;
                EXPECT_EQ(std::stoul(got[3], nullptr, 16), want.state) << what;
                EXPECT_EQ(got[8], want.action ? Utf8(Text(want.action)) : std::string()) << what;
                const TRect r{std::stoi(got[4]) - image.left, std::stoi(got[5]) - image.top,
                              std::stoi(got[4]) - image.left + std::stoi(got[6]),
                              std::stoi(got[5]) - image.top + std::stoi(got[7])};
                const TRect within = OnPage(want.within, s, mirrored);
                // A text of another language covers what it covers; a button its face.
                const bool exact = english || want.role == ROLE_SYSTEM_PUSHBUTTON;
                const TRect covers = exact ? OnPage(want.covers, s, mirrored)
                                           : TRect{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2,
                                                   (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
                EXPECT_GT(r.Width(), 0) << what;
                EXPECT_TRUE(r.Left >= within.Left && r.Top >= within.Top &&
                            r.Right <= within.Right && r.Bottom <= within.Bottom &&
                            r.Left <= covers.Left + slack && r.Top <= covers.Top + slack &&
                            r.Right >= covers.Right - slack && r.Bottom >= covers.Bottom - slack)
                    << what << " drawn at " << r.Left << "," << r.Top << "-" << r.Right << ","
                    << r.Bottom;
                EXPECT_EQ(hits[id].at(2), std::to_string(id)) << what << ": hit test at its centre";
                EXPECT_EQ(nexts[id].at(2), id == static_cast<long>(p.parts.size())
                                               ? std::string("-1") : std::to_string(id + 1))
                    << what;
                // Leftwards is backwards in reading order, right to left forwards.
                const long left = mirrored ? id + 1 : id - 1;
                EXPECT_EQ(lefts[id].at(2), left < 1 || left > static_cast<long>(p.parts.size())
                                               ? std::string("-1") : std::to_string(left))
                    << what;
                if (want.state & STATE_SYSTEM_FOCUSED) {
                    EXPECT_EQ(focus, std::to_string(id)) << what;
                }
            }
        }
    }

    // The background's close cross, at the last scale, where the picture has it in every
    // language.
    const Rows background = RunClient(L"tree TSetupWizard");
    ASSERT_GE(background.size(), 2u);
    EXPECT_EQ(background[0].at(9), Utf8(Text(tiSetupCaption)));
    EXPECT_EQ(background[1].at(9), Utf8(Text(tiButtonClose)));
    EXPECT_EQ(background[1].at(2), std::to_string(ROLE_SYSTEM_PUSHBUTTON));
    EXPECT_EQ(background[1].at(8), Utf8(Text(tiActionPress)));
    const TRect cross = SetupWizard->CloseRect;
    EXPECT_EQ(std::stoi(background[1].at(4)), SetupWizard->Left() + cross.Left);
    EXPECT_EQ(cross.Left, TDpiScale(SetupWizard->Dpi())(401));
    EXPECT_EQ(std::stoi(background[1].at(6)), cross.Width());
    EXPECT_EQ(background[2].at(2), "1") << "a hit test on the cross finds it";
    }
    TearDown();
    ChooseTexts(0x0409);
    SetUp();
}

TEST_F(WizardAccessibleTest, DefaultActionsDoWhatAClickDoes)
{
    const struct {
        int page;
        bool agreed;
        const wchar_t* window;
        const wchar_t* part;
        int pageAfter;  // 0: the wizard is closed
        bool agreedAfter;
    } cases[] = {
        {1, false, L"TSetupWizardH", L"Next", 2, false},
        {2, false, L"TSetupWizardH", L"Next", 2, false},
        {2, false, L"TSetupWizardH", L"\"I agree to all the terms and conditions\"", 2, true},
        {2, true, L"TSetupWizardH", L"\"I agree to all the terms and conditions\"", 2, false},
        {2, true, L"TSetupWizardH", L"Next", 3, true},
        {3, true, L"TSetupWizardH", L"Back", 2, true},
        {2, false, L"TSetupWizard", L"Close", 0, false},
    };
    for (const auto& c : cases) {
        if (!SetupWizardH)
            SetUp();
        GoTo(c.page, c.agreed);
        const Rows rows = RunClient(std::wstring(L"press ") + c.window + L" " + c.part);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0], (std::vector<std::string>{"pressed", "0"}));
        Pump();
        EXPECT_EQ(SetupWizardH ? SetupWizardH->Page() : 0, c.pageAfter);
        if (SetupWizardH)
            EXPECT_EQ(SetupWizardH->Agreed, c.agreedAfter);
        else
            EXPECT_EQ(SetupWizard, nullptr) << "the cross closes both windows";
    }
}

// Events as a screen reader's out-of-context hook hears them, each read back through the object
// it names. The hook is this process's own: Wine delivers no such events to another process.
std::vector<std::string> heard;

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (event != EVENT_OBJECT_FOCUS && event != EVENT_OBJECT_STATECHANGE)
        return;
    IAccessible* found = nullptr;
    VARIANT id;
    ::VariantInit(&id);
    if (FAILED(::AccessibleObjectFromEvent(window, object, child, &found, &id)))
        return;
    BSTR name = nullptr;
    found->get_accName(id, &name);
    VARIANT state;
    ::VariantInit(&state);
    found->get_accState(id, &state);
    heard.push_back(std::string(event == EVENT_OBJECT_FOCUS ? "focus " : "state ") +
                    Utf8(name ? name : L"") + " " + std::to_string(state.lVal));
    ::SysFreeString(name);
    found->Release();
}

TEST_F(WizardAccessibleTest, HookHearsTheFocusMoveAndTheAgreementChange)
{
    GoTo(2, false);
    heard.clear();
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr,
                                           Heard, 0, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    Pump();
    TKeyPress key;
    key.Key = VK_TAB;
    SetupWizardH->KeyDown(key);
    key.Key = VK_SPACE;
    SetupWizardH->KeyDown(key);
    Pump();
    ::UnhookWinEvent(hook);
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "focus Cancel " + std::to_string(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED),
                         "state " + Utf8(SAgreeLabel) + " " + std::to_string(STATE_SYSTEM_CHECKED)}));
}

TEST_F(WizardAccessibleTest, ObjectOfALeftPageOrAClosedWindowAnswersThatItIsGone)
{
    const std::function<void()> ends[] = {
        [] {
            SetupWizardH->ClearPage();
            SetupWizardH->ShowPage(2);
        },
        [] { SetupWizard->Close(); },
    };
    for (const auto& end : ends) {
        if (!SetupWizardH)
            SetUp();
        HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, L"MwAccessibleClientGo");
        const Rows rows = RunClient(L"stale TSetupWizardH", [&] {
            end();
            Pump();
            ::SetEvent(go);
        });
        ::CloseHandle(go);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0], (std::vector<std::string>{"name", "0"})) << "answers while current";
        for (int i : {1, 2}) {
            const unsigned long hr = std::stoul(rows[i].at(1), nullptr, 16);
            // Windows answers RPC_E_DISCONNECTED, Wine that the interface is unknown.
            EXPECT_TRUE(hr == static_cast<unsigned long>(RPC_E_DISCONNECTED) ||
                        hr == static_cast<unsigned long>(CO_E_OBJNOTCONNECTED) ||
                        hr == static_cast<unsigned long>(HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF)))
                << rows[i][0] << " " << rows[i][1];
        }
    }
}
