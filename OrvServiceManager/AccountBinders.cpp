#include "OrvServiceManager/AccountBinders.h"
#include "OrvServiceManager/LibraryBinder.h"

namespace {
enum AdvapiFunction {
    kLsaClose,
    kLsaOpenPolicy,
    kLsaAddAccountRights,
    kLsaRemoveAccountRights,
    kLsaNtStatusToWinError,
    kSetNamedSecurityInfoA,
    kLookupAccountNameA,
    kOpenProcessToken,
    kGetTokenInformation,
    kIsValidSid,
    kLookupAccountSidA,
    kAdvapiFunctionCount
};
const char* const kAdvapiNames[kAdvapiFunctionCount] = {
    "LsaClose",           "LsaOpenPolicy",    "LsaAddAccountRights", "LsaRemoveAccountRights",
    "LsaNtStatusToWinError", "SetNamedSecurityInfoA", "LookupAccountNameA", "OpenProcessToken",
    "GetTokenInformation", "IsValidSid",      "LookupAccountSidA"};

const LibraryBinder& Advapi32() {
    static const LibraryBinder binder(
        "Advapi32.dll", kAdvapiNames, kAdvapiFunctionCount,
        "The library \"ADVAPI32.DLL\" could not be loaded or some of the function names cannot be resolved.");
    return binder;
}

enum NetApiFunction { kNetLocalGroupGetMembers, kNetApiBufferFree, kNetApiFunctionCount };
const char* const kNetApiNames[kNetApiFunctionCount] = {"NetLocalGroupGetMembers", "NetApiBufferFree"};

const LibraryBinder& NetApi32() {
    static const LibraryBinder binder(
        "NetApi32.dll", kNetApiNames, kNetApiFunctionCount,
        "The library \"NETAPI32.dll\" could not be loaded or some of the function names cannot be resolved.");
    return binder;
}

NetApi32Binder::GetMembersFunction g_testGetMembers = nullptr;
NetApi32Binder::BufferFreeFunction g_testBufferFree = nullptr;
}  // namespace

NTSTATUS Advapi32Binder::LsaClose(LSA_HANDLE policy) {
    return Advapi32().Get<decltype(&::LsaClose)>(kLsaClose)(policy);
}

NTSTATUS Advapi32Binder::LsaOpenPolicy(PLSA_UNICODE_STRING systemName, PLSA_OBJECT_ATTRIBUTES attributes,
                                       ACCESS_MASK access, PLSA_HANDLE policy) {
    return Advapi32().Get<decltype(&::LsaOpenPolicy)>(kLsaOpenPolicy)(systemName, attributes, access, policy);
}

NTSTATUS Advapi32Binder::LsaAddAccountRights(LSA_HANDLE policy, PSID sid, PLSA_UNICODE_STRING rights, ULONG count) {
    return Advapi32().Get<decltype(&::LsaAddAccountRights)>(kLsaAddAccountRights)(policy, sid, rights, count);
}

NTSTATUS Advapi32Binder::LsaRemoveAccountRights(LSA_HANDLE policy, PSID sid, BOOLEAN allRights,
                                                PLSA_UNICODE_STRING rights, ULONG count) {
    return Advapi32().Get<decltype(&::LsaRemoveAccountRights)>(kLsaRemoveAccountRights)(policy, sid, allRights,
                                                                                         rights, count);
}

ULONG Advapi32Binder::LsaNtStatusToWinError(NTSTATUS status) {
    return Advapi32().Get<decltype(&::LsaNtStatusToWinError)>(kLsaNtStatusToWinError)(status);
}

DWORD Advapi32Binder::SetNamedSecurityInfoA(LPSTR objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                                            PSID owner, PSID group, PACL dacl, PACL sacl) {
    return Advapi32().Get<decltype(&::SetNamedSecurityInfoA)>(kSetNamedSecurityInfoA)(objectName, type, information,
                                                                                       owner, group, dacl, sacl);
}

BOOL Advapi32Binder::LookupAccountNameA(LPCSTR systemName, LPCSTR accountName, PSID sid, LPDWORD sidSize,
                                        LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) {
    return Advapi32().Get<decltype(&::LookupAccountNameA)>(kLookupAccountNameA)(systemName, accountName, sid, sidSize,
                                                                                domain, domainSize, use);
}

BOOL Advapi32Binder::OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    return Advapi32().Get<decltype(&::OpenProcessToken)>(kOpenProcessToken)(process, access, token);
}

BOOL Advapi32Binder::GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                                         DWORD length, PDWORD returnedLength) {
    return Advapi32().Get<decltype(&::GetTokenInformation)>(kGetTokenInformation)(token, informationClass,
                                                                                  information, length, returnedLength);
}

BOOL Advapi32Binder::IsValidSid(PSID sid) { return Advapi32().Get<decltype(&::IsValidSid)>(kIsValidSid)(sid); }

BOOL Advapi32Binder::LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                                       LPDWORD domainSize, PSID_NAME_USE use) {
    return Advapi32().Get<decltype(&::LookupAccountSidA)>(kLookupAccountSidA)(systemName, sid, name, nameSize, domain,
                                                                              domainSize, use);
}

NET_API_STATUS NetApi32Binder::NetLocalGroupGetMembers(LPCWSTR serverName, LPCWSTR groupName, DWORD level,
                                                       LPBYTE* buffer, DWORD preferredMaximumLength,
                                                       LPDWORD entriesRead, LPDWORD totalEntries,
                                                       PDWORD_PTR resumeHandle) {
    GetMembersFunction function =
        g_testGetMembers ? g_testGetMembers : NetApi32().Get<GetMembersFunction>(kNetLocalGroupGetMembers);
    return function(serverName, groupName, level, buffer, preferredMaximumLength, entriesRead, totalEntries,
                    resumeHandle);
}

NET_API_STATUS NetApi32Binder::NetApiBufferFree(LPVOID buffer) {
    BufferFreeFunction function = g_testBufferFree ? g_testBufferFree : NetApi32().Get<BufferFreeFunction>(kNetApiBufferFree);
    return function(buffer);
}

void NetApi32Binder::SetFunctionsForTesting(GetMembersFunction getMembers, BufferFreeFunction bufferFree) {
    g_testGetMembers = getMembers;
    g_testBufferFree = bufferFree;
}
