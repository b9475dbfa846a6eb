// Deletions the system carries out at the next restart, as the machine has them pending.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The paths the system will delete at the next restart, without the "\??\" prefix.
std::vector<std::wstring> PendingDeletions();

// The deletions among PendingFileRenameOperations' strings (a REG_MULTI_SZ's text, its NULs
// included, the final ones optional), without the "\??\" prefix.
std::vector<std::wstring> ParsePendingDeletions(std::wstring_view value);

bool IsPending(const std::vector<std::wstring>& pending, const std::wstring& path);
