// Paths as the removal and the checked writers walk them: the extended-length form and back, and
// the entries a directory search lists for the folder itself and its parent.
#pragma once

#include <string>

// The extended-length form takes a path of any length and names exactly what it spells.
std::wstring Extended(const std::wstring& full);

// The path as a person writes it, for the log and the list.
std::wstring Plain(const std::wstring& path);

bool IsDotEntry(const wchar_t* name);

// Paths compared as the file system compares names: ordinally, ignoring case. Never for empty.
bool SameName(const std::wstring& a, const std::wstring& b);

// True when path lies strictly below folder, compared as the file system does: no case.
bool LiesBelow(const std::wstring& path, const std::wstring& folder);
