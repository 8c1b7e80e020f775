#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/AccountBinders.h"
#include "common/Exception.h"
#include <vector>

namespace handle_traits {
struct LsaPolicy {
    typedef LSA_HANDLE Handle;
    static LSA_HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(LSA_HANDLE policy) noexcept { return policy != nullptr; }
    static void Close(LSA_HANDLE policy) noexcept {
        try {
            Advapi32Binder::LsaClose(policy);
        } catch (...) {
        }
    }
};

struct NetApiBuffer {
    typedef LPBYTE Handle;
    static LPBYTE Invalid() noexcept { return nullptr; }
    static bool IsValid(LPBYTE buffer) noexcept { return buffer != nullptr; }
    static void Close(LPBYTE buffer) noexcept {
        try {
            NetApi32Binder::NetApiBufferFree(buffer);
        } catch (...) {
        }
    }
};
}  // namespace handle_traits

namespace {
typedef HandleOwner<handle_traits::LsaPolicy> ScopedLsaPolicy;
typedef HandleOwner<handle_traits::NetApiBuffer> ScopedNetApiBuffer;

const DWORD kMembersPreferredLength = 8192;

[[noreturn]] void ThrowFormatted(const char* format, DWORD code) {
    CString message;
    message.Format(format, static_cast<int>(code));
    throw Exception(message);
}

// A heap block grown to the size a call asked for; the old block stays owned until the new one
// exists, so a failed growth loses nothing.
bool Grow(ScopedHeapBlock& block, DWORD& size, DWORD wanted) {
    if (wanted <= size) return true;
    void* bigger = HeapReAlloc(GetProcessHeap(), 0, block.Get(), wanted);
    if (!bigger) return false;
    block.Release();  // HeapReAlloc freed or kept it as `bigger`
    block.Reset(bigger);
    size = wanted;
    return true;
}
}  // namespace

BOOL GrantServiceLogonRight(const char* accountName) {
    // An empty server name: the local machine.
    WCHAR server[256] = {0};
    LSA_HANDLE opened = nullptr;
    NTSTATUS status = OpenPolicy(server, POLICY_CREATE_ACCOUNT | POLICY_LOOKUP_NAMES, &opened);
    if (status != 0) {
        ReportNtStatus("OpenPolicy", status);
        return FALSE;
    }
    ScopedLsaPolicy policy(opened);
    PSID found = nullptr;
    if (!GetAccountSid(nullptr, accountName ? accountName : "", &found)) {
        ReportWin32Error("GetAccountSid", GetLastError());
        return FALSE;
    }
    ScopedHeapBlock sid(found);
    status = AddUserRightToAccount(policy.Get(), sid.Get(), L"SeServiceLogonRight", TRUE);
    if (status != 0) {
        ReportNtStatus("AddUserRightToAccount", status);
        return FALSE;
    }
    return TRUE;
}

NTSTATUS OpenPolicy(LPWSTR serverName, DWORD access, PLSA_HANDLE policy) {
    LSA_OBJECT_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof(attributes));
    LSA_UNICODE_STRING server;
    if (serverName) InitLsaString(&server, serverName);
    return Advapi32Binder::LsaOpenPolicy(serverName ? &server : nullptr, &attributes, access, policy);
}

BOOL GetAccountSid(LPCSTR systemName, LPCSTR accountName, PSID* sid) {
    *sid = nullptr;
    DWORD sidSize = 128;
    DWORD domainSize = 16;
    ScopedHeapBlock sidBlock(HeapAlloc(GetProcessHeap(), 0, sidSize));
    ScopedHeapBlock domain(HeapAlloc(GetProcessHeap(), 0, domainSize));
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    while (sidBlock && domain) {
        DWORD wantedSid = sidSize;
        DWORD wantedDomain = domainSize;
        SID_NAME_USE use;
        if (Advapi32Binder::LookupAccountNameA(systemName, accountName, sidBlock.Get(), &wantedSid,
                                               static_cast<LPSTR>(domain.Get()), &wantedDomain, &use)) {
            *sid = sidBlock.Release();
            return TRUE;
        }
        error = GetLastError();
        // A call that asks for no more room than it had would ask again for ever.
        if (error != ERROR_INSUFFICIENT_BUFFER || (wantedSid <= sidSize && wantedDomain <= domainSize)) break;
        if (!Grow(sidBlock, sidSize, wantedSid) || !Grow(domain, domainSize, wantedDomain)) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            break;
        }
    }
    sidBlock.Reset();
    domain.Reset();
    SetLastError(error);
    return FALSE;
}

NTSTATUS AddUserRightToAccount(LSA_HANDLE policy, PSID sid, LPCWSTR rightName, BOOL add) {
    LSA_UNICODE_STRING right;
    InitLsaString(&right, rightName);
    if (add) return Advapi32Binder::LsaAddAccountRights(policy, sid, &right, 1);
    return Advapi32Binder::LsaRemoveAccountRights(policy, sid, FALSE, &right, 1);
}

void InitLsaString(PLSA_UNICODE_STRING string, LPCWSTR text) {
    if (!text) {
        string->Buffer = nullptr;
        string->Length = string->MaximumLength = 0;
        return;
    }
    const size_t length = wcslen(text);
    string->Buffer = const_cast<PWSTR>(text);
    string->Length = static_cast<USHORT>(length * sizeof(WCHAR));
    string->MaximumLength = static_cast<USHORT>((length + 1) * sizeof(WCHAR));
}

void ReportNtStatus(const char* label, NTSTATUS status) {
    ReportWin32Error(label, Advapi32Binder::LsaNtStatusToWinError(status));
}

void ReportWin32Error(const char*, DWORD code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                                  GetUserDefaultLangID(), reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length > 0 && text) {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, length, &written, nullptr);
    }
    if (text) LocalFree(text);
}

CString GetCurrentAccountName() {
    const char* const kFailure = "Unable to retrieve account name.";
    ScopedHandle token;
    if (!Advapi32Binder::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) throw Exception(kFailure);
    DWORD size = 0;
    Advapi32Binder::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> information(size, 0);
    const BOOL read =
        size > 0 && Advapi32Binder::GetTokenInformation(token.Get(), TokenUser, information.data(), size, &size);
    token.Reset();

    CString name;
    PSID sid = read ? reinterpret_cast<TOKEN_USER*>(information.data())->User.Sid : nullptr;
    if (sid && Advapi32Binder::IsValidSid(sid)) {
        DWORD nameSize = 0;
        DWORD domainSize = 0;
        SID_NAME_USE use;
        Advapi32Binder::LookupAccountSidA(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use);
        if (nameSize > 0 && domainSize > 0) {
            std::vector<char> nameText(nameSize, '\0');
            std::vector<char> domainText(domainSize, '\0');
            if (Advapi32Binder::LookupAccountSidA(nullptr, sid, nameText.data(), &nameSize, domainText.data(),
                                                  &domainSize, &use))
                name = nameText.data();
        }
    }
    if (name.IsEmpty()) throw Exception(kFailure);
    return name;
}

BOOL IsAdministratorsMember(const CString& accountName) {
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    DWORD_PTR resume = 0;
    const NET_API_STATUS status = NetApi32Binder::NetLocalGroupGetMembers(
        L"", L"Administrators", 0, &buffer, kMembersPreferredLength, &read, &total, &resume);
    const DWORD lastError = GetLastError();
    ScopedNetApiBuffer list(buffer);
    // No list is no answer: a listing that gives none (as Wine's does), or only a part of a group
    // too large for the buffer, cannot tell that the account is not a member.
    if (status != NERR_Success || !buffer)
        ThrowFormatted("Unable to retrieve group members. (%d)", status != NERR_Success ? status : lastError);
    const LOCALGROUP_MEMBERS_INFO_0* entries = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_0*>(buffer);
    std::vector<PSID> members;
    for (DWORD i = 0; i < read; ++i) members.push_back(entries[i].lgrmi0_sid);

    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use;
    Advapi32Binder::LookupAccountNameA(nullptr, accountName, nullptr, &sidSize, nullptr, &domainSize, &use);
    DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || sidSize == 0 || domainSize == 0)
        ThrowFormatted("Problem when looking for user account. (%d)", error);
    ScopedHeapBlock sid(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sidSize));
    ScopedHeapBlock domain(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, domainSize));
    if (!sid || !domain) ThrowFormatted("Unable to find the user account. (%d)", GetLastError());
    if (!Advapi32Binder::LookupAccountNameA(nullptr, accountName, sid.Get(), &sidSize,
                                            static_cast<LPSTR>(domain.Get()), &domainSize, &use))
        return FALSE;
    for (PSID member : members) {
        if (member && EqualSid(member, sid.Get())) return TRUE;
    }
    return FALSE;
}
