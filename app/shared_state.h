// What the welcome page's registration read hands to the pages after it.
#pragma once

#include <string>

// The ProductName value of the last registration read; empty before the first.
extern std::wstring g_productName;
