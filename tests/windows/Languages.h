#pragma once
// The languages the programs carry a text table for, as the tests go over them: a display
// language a user sets, the table it picks (its name in resources/Texts.rc) and the table's file.
#include <windows.h>

struct TestLanguage {
    LANGID User;
    LANGID Table;
    const char* Tag;
};

inline constexpr TestLanguage kTestLanguages[] = {
    {0x0409, LANG_ENGLISH, "en"},  {0x0407, LANG_GERMAN, "de"},   {0x040C, LANG_FRENCH, "fr"},
    {0x0C0A, LANG_SPANISH, "es"},  {0x0416, 0x0416, "pt-BR"},     {0x0419, LANG_RUSSIAN, "ru"},
    {0x041F, LANG_TURKISH, "tr"},  {0x0411, LANG_JAPANESE, "ja"}, {0x0804, 0x0804, "zh-CN"},
    {0x0401, LANG_ARABIC, "ar"},
};
