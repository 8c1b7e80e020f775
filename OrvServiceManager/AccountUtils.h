// Who runs the manager, whether that account belongs to the local group "Administrators", and
// granting an account the right to log on as a service, with the LSA routines under them.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include <ntsecapi.h>

namespace handle_traits {
// A block of the process heap (HeapAlloc on GetProcessHeap).
struct ProcessHeapBlock {
    typedef void* Handle;
    static void* Invalid() noexcept { return nullptr; }
    static bool IsValid(void* block) noexcept { return block != nullptr; }
    static void Close(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }
};
}  // namespace handle_traits
typedef HandleOwner<handle_traits::ProcessHeapBlock> ScopedHeapBlock;

// TRUE when the account holds "SeServiceLogonRight" afterwards; a failing system call gives
// FALSE (its text goes to the standard error handle), a library that cannot be bound throws
// Exception.
BOOL GrantServiceLogonRight(const char* accountName);
// The NTSTATUS of LsaOpenPolicy on the server (null: none given, the local machine).
NTSTATUS OpenPolicy(LPWSTR serverName, DWORD access, PLSA_HANDLE policy);
// The account's SID in a block of the process heap, which the caller frees (ScopedHeapBlock);
// on FALSE the SID is null and the last error says why.
BOOL GetAccountSid(LPCSTR systemName, LPCSTR accountName, PSID* sid);
// Adds (add TRUE) or removes the one right; the NTSTATUS of the LSA call.
NTSTATUS AddUserRightToAccount(LSA_HANDLE policy, PSID sid, LPCWSTR rightName, BOOL add);
// An LSA string over the caller's text (owning nothing); null text gives the empty string.
void InitLsaString(PLSA_UNICODE_STRING string, LPCWSTR text);
// The system's text of the status or error code to the standard error handle; the label is not
// written.
void ReportNtStatus(const char* label, NTSTATUS status);
void ReportWin32Error(const char* label, DWORD code);

// The user name, without domain, of the account running this process; throws Exception.
CString GetCurrentAccountName();
// Whether the account (looked up on this machine) is a direct member of the local group
// "Administrators"; throws Exception when the members or the account cannot be read.
BOOL IsAdministratorsMember(const CString& accountName);
