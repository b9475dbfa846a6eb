#include "framework/language.h"

#include "framework/win_app.h"
#include "res/resource.h"

namespace {

LANGID g_language = kEnglish;

const void* LockedResource(HMODULE module, HRSRC found) {
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

// Strings are stored sixteen to a block, block n + 1 holding ids 16 n to 16 n + 15, each a
// count of characters and the characters.
std::wstring BlockString(HMODULE module, UINT id, LANGID language) {
    const HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const auto* at = static_cast<const WCHAR*>(LockedResource(module, found));
    if (!at)
        return {};
    const WCHAR* const end = at + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT index = 0; index < id % 16 && at < end; ++index)
        at += 1 + *at;
    if (at >= end || at + 1 + *at > end)
        return {};
    return std::wstring(at + 1, *at);
}

struct LanguageSearch {
    LANGID wanted;
    LANGID exact;
    LANGID primary;
};

BOOL CALLBACK NoteLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR search) {
    auto& s = *reinterpret_cast<LanguageSearch*>(search);
    if (language == s.wanted)
        s.exact = language;
    else if (!s.primary && PRIMARYLANGID(language) == PRIMARYLANGID(s.wanted))
        s.primary = language;
    return TRUE;
}

} // namespace

LANGID MatchLanguage(HMODULE module, LANGID wanted) {
    // Any block serves as the witness of a language: each language file holds them all.
    LanguageSearch search{wanted, 0, 0};
    if (PRIMARYLANGID(wanted) != LANG_NEUTRAL)
        EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(IDS_CAPTION / 16 + 1),
                               &NoteLanguage, reinterpret_cast<LONG_PTR>(&search));
    return search.exact ? search.exact : search.primary ? search.primary : kEnglish;
}

void UseLanguage(LANGID language) {
    g_language = language;
    SetProcessDefaultLayout(IsRightToLeft(language) ? LAYOUT_RTL : 0);
}

LANGID UiLanguage() {
    return g_language;
}

bool IsRightToLeft(LANGID language) {
    return PRIMARYLANGID(language) == LANG_ARABIC;
}

std::wstring LoadText(UINT id, LANGID language) {
    const HMODULE module = AfxGetResourceHandle();
    std::wstring text = BlockString(module, id, language);
    if (text.empty() && language != kEnglish)
        text = BlockString(module, id, kEnglish);
    return text;
}

std::wstring FormatText(UINT id, std::initializer_list<std::wstring> values, LANGID language) {
    const std::wstring format = LoadText(id, language);
    std::wstring text;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (format[i] != L'%' || !(next == L'%' || (next >= L'1' && next <= L'9'))) {
            text += format[i];
            continue;
        }
        ++i;
        if (next == L'%')
            text += L'%';
        else if (static_cast<size_t>(next - L'1') < values.size())
            text += values.begin()[next - L'1'];
    }
    return text;
}

const DLGTEMPLATE* FindDialogTemplate(HMODULE module, UINT id, LANGID language) {
    const auto name = MAKEINTRESOURCEW(id);
    HRSRC found = FindResourceExW(module, RT_DIALOG, name, language);
    if (!found)
        found = FindResourceExW(module, RT_DIALOG, name, kEnglish);
    // A template of no language of its own, as another module may hold.
    if (!found)
        found = FindResourceW(module, name, RT_DIALOG);
    return static_cast<const DLGTEMPLATE*>(LockedResource(module, found));
}

void SetItemTexts(HWND dialog, std::initializer_list<ItemText> items) {
    for (const ItemText& item : items)
        SetDlgItemTextW(dialog, item.item, LoadText(item.text).c_str());
}

int ShowMessage(HWND owner, const std::wstring& text, UINT type) {
    // A right-to-left language's box is mirrored like its pages, which makes it read from the
    // right: MB_RTLREADING would turn it back.
    return MessageBoxW(owner, text.c_str(), LoadText(IDS_CAPTION).c_str(), type);
}
