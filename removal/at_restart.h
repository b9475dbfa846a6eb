// Deletions the system carries out at the next restart, as the machine has them pending.
#pragma once

#include <string>
#include <vector>

// The paths the system will delete at the next restart, without the "\??\" prefix.
std::vector<std::wstring> PendingDeletions();

bool IsPending(const std::vector<std::wstring>& pending, const std::wstring& path);
