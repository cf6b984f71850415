// The text tables as the programs carry them: which table a display language picks, and an
// error's message, English for logs, shown in the user's language.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "../Languages.h"
#include "common/Exception.h"
#include "common/Texts_win32.h"

namespace {
std::wstring EnglishText(TextId id)
{
    ChooseTexts(0x0409);
    return Text(id);
}
}  // namespace

TEST(TextTables, ADisplayLanguagePicksItsRegionsTableElseItsLanguagesElseEnglish)
{
    const struct {
        LANGID user;
        LANGID table;
        const wchar_t* next;
    } cases[] = {
        {0x0409, LANG_ENGLISH, L"Next"},         {0x0809, LANG_ENGLISH, L"Next"},   // en-GB
        {0x0407, LANG_GERMAN, L"Weiter"},        {0x0C07, LANG_GERMAN, L"Weiter"},  // de-AT
        {0x040C, LANG_FRENCH, L"Suivant"},       {0x0C0C, LANG_FRENCH, L"Suivant"},  // fr-CA
        {0x0C0A, LANG_SPANISH, L"Siguiente"},    {0x080A, LANG_SPANISH, L"Siguiente"},  // es-MX
        {0x0416, 0x0416, L"Avan\u00E7ar"},       {0x0816, LANG_PORTUGUESE, L"Avan\u00E7ar"},
        {0x0419, LANG_RUSSIAN, L"\u0414\u0430\u043B\u0435\u0435"},
        {0x041F, LANG_TURKISH, L"\u0130leri"},   {0x0411, LANG_JAPANESE, L"\u6B21\u3078"},
        {0x0804, 0x0804, L"\u4E0B\u4E00\u6B65"}, {0x1004, 0x1004, L"\u4E0B\u4E00\u6B65"},  // zh-SG
        {0x0401, LANG_ARABIC, L"\u0627\u0644\u062A\u0627\u0644\u064A"},
        {0x0C01, LANG_ARABIC, L"\u0627\u0644\u062A\u0627\u0644\u064A"},  // ar-EG
        // No table: Greek, Chinese in traditional characters, Polish, and a language of none.
        {0x0408, LANG_ENGLISH, L"Next"},         {0x0404, LANG_ENGLISH, L"Next"},
        {0x0415, LANG_ENGLISH, L"Next"},         {0x007F, LANG_ENGLISH, L"Next"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user);
        EXPECT_EQ(ChooseTexts(c.user), c.table);
        EXPECT_EQ(TextsLanguage(), c.table);
        EXPECT_EQ(Text(tiButtonNext), std::wstring(c.next));
        EXPECT_EQ(TextsRightToLeft(), PRIMARYLANGID(c.table) == LANG_ARABIC);
    }
    // Greek reads every text as English does, and no table lacks one.
    std::wstring english[kTextCount + 1];
    for (int id = 1; id <= kTextCount; ++id)
        english[id] = EnglishText(static_cast<TextId>(id));
    ChooseTexts(0x0408);
    for (int id = 1; id <= kTextCount; ++id)
        EXPECT_EQ(Text(static_cast<TextId>(id)), english[id]) << id;
    for (const TestLanguage& language : kTestLanguages) {
        ASSERT_EQ(ChooseTexts(language.User), language.Table) << language.Tag;
        for (int id = 1; id <= kTextCount; ++id)
            EXPECT_NE(Text(static_cast<TextId>(id))[0], L'\0') << language.Tag << " " << id;
    }
    EXPECT_EQ(Text(static_cast<TextId>(kTextCount + 1)), std::wstring()) << "past the last id";
    ChooseTexts(0x0409);
}

// The error display's text, as the programs ask for it: from the error's handler.
template <typename Error>
std::wstring Shown(const Error& error)
{
    try {
        throw error;
    } catch (const std::exception& caught) {
        return ErrorMessage(caught);
    }
}

TEST(TextTables, AnErrorKeepsItsEnglishMessageAndShowsInTheUsersLanguage)
{
    const Exception error(tiErrCannotCreateFile, "C:\\x\\M.zip", "Access denied.");
    const Exception system(tiErrSystem, "5", "Access denied.");
    const Exception plain("data error");
    const std::runtime_error foreign("bad thing");
    for (const LANGID user : {LANGID(0x0409), LANGID(0x0407), LANGID(0x0401)}) {
        ChooseTexts(user);
        // Logs read the message, English in every language.
        EXPECT_STREQ(error.what(), "Cannot create file \"C:\\x\\M.zip\". Access denied.");
        EXPECT_STREQ(system.what(), "System Error.  Code: 5.\nAccess denied.");
        EXPECT_EQ(Shown(plain), L"data error");
        EXPECT_EQ(Shown(foreign), L"bad thing");
    }
    ChooseTexts(0x0409);
    EXPECT_EQ(Shown(error), L"Cannot create file \"C:\\x\\M.zip\". Access denied.");
    ChooseTexts(0x0407);
    EXPECT_EQ(Shown(error),
              L"Die Datei \u201EC:\\x\\M.zip\u201C kann nicht erstellt werden. Access denied.");
    EXPECT_EQ(Shown(system), L"Systemfehler. Code: 5.\nAccess denied.");
    // Away from its handler an error is not told from others: its English message.
    EXPECT_EQ(ErrorMessage(error), L"Cannot create file \"C:\\x\\M.zip\". Access denied.");
    EXPECT_EQ(TextWith(tiErrSpecialFolder, L"A", L"B"),
              L"Der Ordner \u201EA\u201C (CSIDL B) wurde nicht gefunden.");
    ChooseTexts(0x0409);
}
