// The security and network-management functions of the account utilities, bound at run time:
// each wrapper makes sure its library is loaded and calls through the function looked up there.
#pragma once
#include <windows.h>
#include <ntsecapi.h>
#include <aclapi.h>
#include <lm.h>

// "Advapi32.dll"; a failure to bind throws Exception.
class Advapi32Binder {
public:
    static NTSTATUS LsaClose(LSA_HANDLE policy);
    static NTSTATUS LsaOpenPolicy(PLSA_UNICODE_STRING systemName, PLSA_OBJECT_ATTRIBUTES attributes,
                                  ACCESS_MASK access, PLSA_HANDLE policy);
    static NTSTATUS LsaAddAccountRights(LSA_HANDLE policy, PSID sid, PLSA_UNICODE_STRING rights, ULONG count);
    static NTSTATUS LsaRemoveAccountRights(LSA_HANDLE policy, PSID sid, BOOLEAN allRights,
                                           PLSA_UNICODE_STRING rights, ULONG count);
    static ULONG LsaNtStatusToWinError(NTSTATUS status);
    static DWORD SetNamedSecurityInfoA(LPSTR objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                                       PSID owner, PSID group, PACL dacl, PACL sacl);
    static BOOL LookupAccountNameA(LPCSTR systemName, LPCSTR accountName, PSID sid, LPDWORD sidSize, LPSTR domain,
                                   LPDWORD domainSize, PSID_NAME_USE use);
    static BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
    static BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                                    DWORD length, PDWORD returnedLength);
    static BOOL IsValidSid(PSID sid);
    static BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                                  LPDWORD domainSize, PSID_NAME_USE use);
};

// "NetApi32.dll"; a failure to bind throws Exception.
class NetApi32Binder {
public:
    typedef NET_API_STATUS(WINAPI* GetMembersFunction)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD,
                                                       PDWORD_PTR);
    typedef NET_API_STATUS(WINAPI* BufferFreeFunction)(LPVOID);

    static NET_API_STATUS NetLocalGroupGetMembers(LPCWSTR serverName, LPCWSTR groupName, DWORD level, LPBYTE* buffer,
                                                  DWORD preferredMaximumLength, LPDWORD entriesRead,
                                                  LPDWORD totalEntries, PDWORD_PTR resumeHandle);
    static NET_API_STATUS NetApiBufferFree(LPVOID buffer);

    // Tests: the two functions to call instead of the library's (null: the library's again).
    static void SetFunctionsForTesting(GetMembersFunction getMembers, BufferFreeFunction bufferFree);
};
