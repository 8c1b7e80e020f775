// Who may have made what the service keeps its tasks and logs in: SYSTEM, Administrators,
// TrustedInstaller, the user this program runs as, and the account the service is installed
// under. Any other owner is an ordinary user, who could have planted tasks or links there.
#pragma once
#include "classlib/CString.h"
#include <vector>

class TrustedOwners {
public:
    // The account: the SID of the account being installed, or null.
    explicit TrustedOwners(PSID account = nullptr);
    bool Trusts(const std::vector<BYTE>& owner) const;
    // "DOMAIN\name" of the SID, or its text form when the system cannot name it.
    static CString NameOf(const std::vector<BYTE>& sid);

private:
    void Add(PSID sid);
    std::vector<std::vector<BYTE>> m_owners;
};
