// The registration read from the real product key of the test prefix.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/product_registration.h"
#include "ntregistry/nt_registry.h"

namespace {

const std::wstring kProductKey = std::wstring(kUninstallKeyPath) + L"\\" + kProductKeyName;

std::vector<std::wstring> Read() {
    CNtRegistry registry;
    const ProductRegistration r = ReadProductRegistration(registry);
    return {r.corvinaVersion, r.productName, r.productDir, r.menuGroup, r.version,
            r.contactName,    r.publisher,   r.email,      r.productUrl};
}

void Put(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TEST(ProductRegistration, ReadsTheNineValuesOrTheirDefaults) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
    EXPECT_EQ(Read(), (std::vector<std::wstring>{L"111", L"_", L"EXA", L"EXA", L"_", L"none",
                                                 L"none", L"none", L"none"}));

    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), &key), ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExW(key, L"CorvinaVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    Put(key, L"ProductName", L"Trend Navigator");
    Put(key, L"ProductDir", L"");
    Put(key, L"MenuGroup", L"%ProgramFiles%\\Group", REG_EXPAND_SZ);
    Put(key, L"ContactName", L"Desk");
    Put(key, L"Publisher", L"Corvina");
    Put(key, L"Email", L"a@b.example");
    Put(key, L"ProductURL", L"https://b.example/");
    RegCloseKey(key);
    EXPECT_EQ(Read(), (std::vector<std::wstring>{
                          L"111", L"Trend Navigator", L"", L"%ProgramFiles%\\Group", L"_", L"Desk",
                          L"Corvina", L"a@b.example", L"https://b.example/"}));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
}

} // namespace
