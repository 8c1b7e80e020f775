#include "common/TrustedOwners.h"
#include "classlib/HandleOwner.h"
#include <sddl.h>

namespace {
const char* const kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}  // namespace

TrustedOwners::TrustedOwners(PSID account) {
    for (WELL_KNOWN_SID_TYPE type : {WinLocalSystemSid, WinBuiltinAdministratorsSid}) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(sid);
        if (CreateWellKnownSid(type, nullptr, sid, &size)) Add(sid);
    }
    PSID installer = nullptr;
    if (ConvertStringSidToSidA(kTrustedInstaller, &installer)) {
        ScopedLocalMemory held(installer);
        Add(installer);
    }
    // The token's user, not its owner: an administrator's token names Administrators as the
    // owner of what it makes, but the user is who runs the program.
    ScopedHandle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
        DWORD size = 0;
        GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size ? size : 1);
        if (size && GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
            Add(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    }
    if (account) Add(account);
}

void TrustedOwners::Add(PSID sid) {
    if (!sid || !IsValidSid(sid)) return;
    m_owners.emplace_back(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

bool TrustedOwners::Trusts(const std::vector<BYTE>& owner) const {
    if (owner.empty() || !IsValidSid(const_cast<BYTE*>(owner.data()))) return false;
    for (const std::vector<BYTE>& trusted : m_owners)
        if (EqualSid(const_cast<BYTE*>(trusted.data()), const_cast<BYTE*>(owner.data()))) return true;
    return false;
}

CString TrustedOwners::NameOf(const std::vector<BYTE>& sid) {
    if (sid.empty() || !IsValidSid(const_cast<BYTE*>(sid.data()))) return "an owner that cannot be read";
    char name[256] = "", domain[256] = "";
    DWORD nameSize = sizeof(name), domainSize = sizeof(domain);
    SID_NAME_USE use;
    if (LookupAccountSidA(nullptr, const_cast<BYTE*>(sid.data()), name, &nameSize, domain, &domainSize, &use))
        return *domain ? CString(domain) + "\\" + name : CString(name);
    char* text = nullptr;
    if (!ConvertSidToStringSidA(const_cast<BYTE*>(sid.data()), &text)) return "an owner that cannot be named";
    ScopedLocalMemory held(text);
    return CString(text);
}
