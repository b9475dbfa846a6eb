#include "app/shared_state.h"

std::wstring g_productName;
