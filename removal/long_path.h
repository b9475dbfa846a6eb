// Paths as the removal walks them: the extended-length form and back, and the entries a
// directory search lists for the folder itself and its parent.
#pragma once

#include <string>

// The extended-length form takes a path of any length and names exactly what it spells.
std::wstring Extended(const std::wstring& full);

// The path as a person writes it, for the log and the list.
std::wstring Plain(const std::wstring& path);

bool IsDotEntry(const wchar_t* name);
