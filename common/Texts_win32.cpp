#include "common/Texts_win32.h"

#include "common/CodePage_win32.h"
#include "common/Exception.h"

namespace {
struct Table {
    LANGID Name;
    const wchar_t* Data;
    const wchar_t* End;
};
Table chosen;

bool Load(LANGID name, Table& table)
{
    // The program's own image: a test that reads other resources from a module of its own
    // still shows its texts.
    const HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(name), L"TEXTS");
    HGLOBAL handle = info ? ::LoadResource(module, info) : nullptr;
    const auto* data = static_cast<const wchar_t*>(handle ? ::LockResource(handle) : nullptr);
    if (!data)
        return false;
    table = Table{name, data, data + ::SizeofResource(module, info) / sizeof(wchar_t)};
    return true;
}

const wchar_t* Lookup(const Table& table, TextId id)
{
    const wchar_t* p = table.Data;
    // The texts lie in id order, each ended by a NUL.
    for (int i = 1; p && p < table.End; ++i) {
        if (i == id)
            return p;
        while (p < table.End && *p)
            ++p;
        ++p;
    }
    return L"";
}

// `text` with %1 and %2 replaced.
std::wstring Filled(const wchar_t* text, const std::wstring& first, const std::wstring& second)
{
    std::wstring out;
    for (const wchar_t* p = text; *p; ++p) {
        if (p[0] == L'%' && (p[1] == L'1' || p[1] == L'2')) {
            out += *++p == L'1' ? first : second;
            continue;
        }
        out += *p;
    }
    return out;
}
}  // namespace

Exception::Exception(TextId text, std::string first, std::string second,
                     unsigned long systemCode, ErrorCause cause)
    : message_([&] {
          static Table english;
          if (!english.Name)
              Load(kEnglishTexts, english);
          // The values came from the code page; they go back to it as they were.
          return ToSystemCodePage(Filled(Lookup(english, text), FromSystemCodePage(first),
                                         FromSystemCodePage(second)));
      }()),
      systemCode_(systemCode), cause_(cause), text_(text), first_(std::move(first)),
      second_(std::move(second))
{
}

LANGID ChooseTexts(LANGID language)
{
    if (!language)
        language = ::GetUserDefaultUILanguage();
    if (!Load(language, chosen) && !Load(PRIMARYLANGID(language), chosen) &&
        !Load(kEnglishTexts, chosen))
        chosen = Table{kEnglishTexts, nullptr, nullptr};
    return chosen.Name;
}

LANGID TextsLanguage()
{
    if (!chosen.Name)
        ChooseTexts();
    return chosen.Name;
}

bool TextsRightToLeft()
{
    // Arabic is the one table read from right to left; a language without a table reads English.
    return PRIMARYLANGID(TextsLanguage()) == LANG_ARABIC;
}

const wchar_t* Text(TextId id)
{
    TextsLanguage();
    return Lookup(chosen, id);
}

std::wstring TextWith(TextId id, const std::wstring& first, const std::wstring& second)
{
    return Filled(Text(id), first, second);
}

std::wstring ErrorMessage(const std::exception& error)
{
    const Exception* own = OwnException(error);
    if (!own || !own->Text() || TextsLanguage() == kEnglishTexts)
        return FromSystemCodePage(error.what());
    return TextWith(own->Text(), FromSystemCodePage(own->First()),
                    FromSystemCodePage(own->Second()));
}
