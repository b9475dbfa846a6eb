// The registration read from the real product key of the test prefix.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/product_registration.h"
#include "ntregistry/nt_registry.h"
#include "tests/test_support.h"

namespace {

using namespace test;

std::vector<std::wstring> Read() {
    CNtRegistry registry;
    const ProductRegistration r = ReadProductRegistration(registry);
    return {r.corvinaVersion, r.productName, r.productDir, r.menuGroup, r.version,
            r.contactName,    r.publisher,   r.email,      r.productUrl};
}

TEST(ProductRegistration, ReadsTheNineValuesOrTheirDefaults) {
    DeleteKeyTree(kProductKey);
    // On 64-bit Windows a namesake in the native view belongs to some 64-bit program.
    if (HasTwoViews())
        SetValues(kProductKey, {{L"ProductName", L"Namesake"}}, kNativeView);
    EXPECT_EQ(Read(), (std::vector<std::wstring>{L"111", L"_", L"EXA", L"EXA", L"_", L"none",
                                                 L"none", L"none", L"none"}));
    DeleteKeyTree(kProductKey, kNativeView); // on 32-bit Windows the same view, already empty

    // One code unit and its NUL are the four bytes of a DWORD: 7, no string.
    SetValues(kProductKey, {{L"CorvinaVersion", std::wstring(1, L'\7'), REG_DWORD},
                            {L"ProductName", L"Trend Navigator"},
                            {L"ProductDir", L""},
                            {L"MenuGroup", L"%ProgramFiles%\\Group", REG_EXPAND_SZ},
                            {L"ContactName", L"Desk"},
                            {L"Publisher", L"Corvina"},
                            {L"Email", L"a@b.example"},
                            {L"ProductURL", L"https://b.example/"}});
    EXPECT_EQ(Read(), (std::vector<std::wstring>{
                          L"111", L"Trend Navigator", L"", L"%ProgramFiles%\\Group", L"_", L"Desk",
                          L"Corvina", L"a@b.example", L"https://b.example/"}));
    DeleteKeyTree(kProductKey);
}

} // namespace
