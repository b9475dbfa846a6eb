// The product's registration under the machine's uninstall key, as the installer left it.
#pragma once

#include <string>

#include "removal/product_key.h"

class CNtRegistry;

// Each value is its text, or its default when missing or not a string.
struct ProductRegistration {
    std::wstring corvinaVersion;
    std::wstring productName;
    std::wstring productDir;
    std::wstring menuGroup;
    std::wstring version;
    std::wstring contactName;
    std::wstring publisher;
    std::wstring email;
    std::wstring productUrl;
};

// Resets the registry object and reads the nine values, in their fixed order.
ProductRegistration ReadProductRegistration(CNtRegistry& registry);
