#include "framework/linked_user.h"

#include <aclapi.h>

#include <initializer_list>
#include <optional>

#include "framework/unique_handle.h"

namespace {

struct LinkedUser {
    bool elevated = false; // with a linked token, whether or not it could be taken
    UniqueKernelHandle token;
};

UniqueKernelHandle ProcessToken() {
    HANDLE token = nullptr;
    return UniqueKernelHandle(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? token
                                                                                         : nullptr);
}

LinkedUser FindLinkedUser() {
    LinkedUser user;
    if (!RunsElevatedBesideTheUser())
        return user;
    user.elevated = true;
    // Without the TCB privilege this is an identification token: enough for AccessCheck.
    const UniqueKernelHandle process = ProcessToken();
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (process &&
        GetTokenInformation(process.Get(), TokenLinkedToken, &linked, sizeof linked, &size))
        user.token.Reset(linked.LinkedToken);
    return user;
}

// Either of the system's two answers counts: Wine answers "full" to the type and "no" to the
// flag. Nothing when they cannot be read.
std::optional<bool> IsElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) ||
        !GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size))
        return std::nullopt;
    return elevation.TokenIsElevated || type == TokenElevationTypeFull;
}

// Whether the token's user is one of those the system runs as. Nothing when it cannot be read.
std::optional<bool> IsSystemAccount(HANDLE token,
                                    std::initializer_list<WELL_KNOWN_SID_TYPE> kinds) {
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, &info, sizeof info, &size))
        return std::nullopt;
    for (const WELL_KNOWN_SID_TYPE kind : kinds)
        if (IsWellKnownSid(info.user.User.Sid, kind))
            return true;
    return false;
}

bool IsAdministratorsMember() {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    BOOL member = TRUE;
    // With no token given, the call checks a copy of the process's own.
    return !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) ||
           !CheckTokenMembership(nullptr, sid, &member) || member;
}

} // namespace

bool RunsElevatedBesideTheUser() {
    const UniqueKernelHandle process = ProcessToken();
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    return process &&
           GetTokenInformation(process.Get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeFull;
}

bool LinkedUserMay(HANDLE object, ACCESS_MASK access) {
    static const LinkedUser user = FindLinkedUser();
    if (!user.elevated)
        return true;
    if (!user.token)
        return false;
    // The label too: a file marked high integrity is not the medium-integrity user's to change.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                            DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
                        nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    union {
        PRIVILEGE_SET set;
        BYTE bytes[256];
    } privileges{};
    DWORD size = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    const BOOL checked = AccessCheck(descriptor, user.token.Get(), access, &mapping,
                                     &privileges.set, &size, &granted, &allowed);
    LocalFree(descriptor);
    return checked && allowed;
}

bool RunsAsPlainUser() {
    const UniqueKernelHandle token = ProcessToken();
    return token && IsElevated(token.Get()) == false &&
           IsSystemAccount(token.Get(), {WinLocalSystemSid, WinLocalServiceSid,
                                         WinNetworkServiceSid}) == false &&
           !IsAdministratorsMember();
}

bool IsElevatedOrSystem(HANDLE token) {
    return IsElevated(token) == true || IsSystemAccount(token, {WinLocalSystemSid}) == true;
}
