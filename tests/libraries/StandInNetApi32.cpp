// A stand-in for the network-management library, for the demonstration only: Wine lists no
// members of "Administrators" at the level the manager asks for, so this library, put beside the
// manager, lists the account that calls it as the group's one member. Nothing else is offered.
#include <windows.h>
#include <lm.h>

extern "C" NET_API_STATUS WINAPI NetLocalGroupGetMembers(LPCWSTR, LPCWSTR, DWORD level, LPBYTE* buffer, DWORD,
                                                         LPDWORD read, LPDWORD total, PDWORD_PTR) {
    *buffer = nullptr;
    *read = *total = 0;
    if (level != 0) return ERROR_INVALID_LEVEL;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return GetLastError();
    BYTE user[256];
    DWORD size = 0;
    const BOOL got = GetTokenInformation(token, TokenUser, user, sizeof(user), &size);
    CloseHandle(token);
    if (!got) return GetLastError();
    PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    const DWORD sidSize = GetLengthSid(sid);
    auto* entry = static_cast<LOCALGROUP_MEMBERS_INFO_0*>(
        HeapAlloc(GetProcessHeap(), 0, sizeof(LOCALGROUP_MEMBERS_INFO_0) + sidSize));
    if (!entry) return ERROR_NOT_ENOUGH_MEMORY;
    entry->lgrmi0_sid = reinterpret_cast<BYTE*>(entry) + sizeof(LOCALGROUP_MEMBERS_INFO_0);
    CopySid(sidSize, entry->lgrmi0_sid, sid);
    *buffer = reinterpret_cast<LPBYTE>(entry);
    *read = *total = 1;
    return NERR_Success;
}

extern "C" NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    return !buffer || HeapFree(GetProcessHeap(), 0, buffer) ? NERR_Success : ERROR_INVALID_PARAMETER;
}
