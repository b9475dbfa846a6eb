// Deletions the system carries out at the next restart, for product files that another
// process holds open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True below a Program Files folder or the all-users Programs folder, with no link on the
// way: only administrators write there. Elsewhere a link planted before the restart could
// turn the system's deletion onto another file.
bool IsAdminOnlyPlace(const std::wstring& path);

// Asks the system to delete path at the next restart; files go before the folders that hold
// them, in the order asked.
bool DeleteAtRestart(const std::wstring& path);

// The paths the system will delete at the next restart, without the "\??\" prefix.
std::vector<std::wstring> PendingDeletions();

// The deletions among PendingFileRenameOperations' strings (a REG_MULTI_SZ's text, its NULs
// included, the final ones optional), without the "\??\" prefix.
std::vector<std::wstring> ParsePendingDeletions(std::wstring_view value);

bool IsPending(const std::vector<std::wstring>& pending, const std::wstring& path);
