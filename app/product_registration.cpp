#include "app/product_registration.h"

#include "ntregistry/nt_registry.h"

ProductRegistration ReadProductRegistration(CNtRegistry& registry) {
    OpenProductKey(registry);

    ProductRegistration r;
    registry.ReadString(r.corvinaVersion, L"CorvinaVersion", L"111");
    registry.ReadString(r.productName, L"ProductName", L"_");
    registry.ReadString(r.productDir, L"ProductDir", L"EXA");
    registry.ReadString(r.menuGroup, L"MenuGroup", L"EXA");
    registry.ReadString(r.version, L"Version", L"_");
    registry.ReadString(r.contactName, L"ContactName", L"none");
    registry.ReadString(r.publisher, L"Publisher", L"none");
    registry.ReadString(r.email, L"Email", L"none");
    registry.ReadString(r.productUrl, L"ProductURL", L"none");
    return r;
}
