// The wizard's language: chosen once at start among the languages the program's resources
// hold, then every text and dialog template is loaded in it by its language id.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

inline constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The language of the module's texts for a wanted one: the same language and region, else
// the same language in another region, else English.
LANGID MatchLanguage(HMODULE module, LANGID wanted);

// Makes language the wizard's, mirroring the windows made after it for a right-to-left one.
void UseLanguage(LANGID language);
// The wizard's language; English until UseLanguage.
LANGID UiLanguage();
bool IsRightToLeft(LANGID language);

// The string resource id in language, or in English where that language lacks it; empty when
// neither has it.
std::wstring LoadText(UINT id, LANGID language = UiLanguage());

// The string resource id with %1 to %9 replaced by the values, in the places the text gives
// them; "%%" is a percent sign. A value is never read as a format of its own.
std::wstring FormatText(UINT id, std::initializer_list<std::wstring> values,
                        LANGID language = UiLanguage());

// The dialog template id in language, or the English one where that language has none, or
// the one the system finds where neither is.
const DLGTEMPLATE* FindDialogTemplate(HMODULE module, UINT id, LANGID language = UiLanguage());

struct ItemText {
    int item;
    UINT text;
};
// Gives each dialog item its text in the wizard's language.
void SetItemTexts(HWND dialog, std::initializer_list<ItemText> items);

// MessageBoxW with the wizard's caption.
int ShowMessage(HWND owner, const std::wstring& text, UINT type);
