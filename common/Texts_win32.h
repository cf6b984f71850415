#pragma once
// The texts a user sees or hears, looked up by id in the table of one language: the user's
// display language where a table serves it, English otherwise. The tables are resources of
// the running program (type TEXTS, resources/Texts.rc).
#include <windows.h>

#include <exception>
#include <string>

#include "common/TextIds.h"

// The English table's name; the table every other language falls back to.
constexpr LANGID kEnglishTexts = LANG_ENGLISH;

// Chooses the table for `language` (0: the user's display language, GetUserDefaultUILanguage):
// the table named by its full id, else by its language alone, else English. Returns the chosen
// table's name. Texts are read from the first lookup on without this call as if it had been
// made with 0.
LANGID ChooseTexts(LANGID language = 0);
// The chosen table's name (kEnglishTexts, LANG_GERMAN, MAKELANGID(LANG_PORTUGUESE,
// SUBLANG_PORTUGUESE_BRAZILIAN), ...).
LANGID TextsLanguage();
// The chosen table's language is written right to left.
bool TextsRightToLeft();

// Text `id` of the chosen table, read in place; empty when the program carries no table.
const wchar_t* Text(TextId id);
// Text(id) with "%1" and "%2" replaced by `first` and `second`.
std::wstring TextWith(TextId id, const std::wstring& first, const std::wstring& second = {});

// What an error says to the user: in English its message as it stands; in another language
// the error's text from the table with its values put in, when it names one.
std::wstring ErrorMessage(const std::exception& error);
