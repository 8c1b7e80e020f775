// What install and uninstall do to the data folder's access: install makes sure of the folder's
// owner and list over everything in it (DataFolderSecurity) and gives a service's user account
// what it must write there (the task file's LastRun and LastEvent, the log files); uninstall
// takes that back. The product's settings key is not given: it also holds ProgramPath, the
// folder of the program the service starts (under LocalSystem too), and a key's rights cover
// all its values.
#pragma once
#include "classlib/CString.h"
#include <accctrl.h>

class ServiceAccountAccess {
public:
    // Modify rights on the folder, inherited by the files and folders in it.
    static constexpr DWORD kFolderRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

    // Makes sure of the data folder, made (with its Logs folder) when missing, whoever made it
    // and whatever was put in it: the folder and everything in it get Administrators as owner,
    // the folder its protected list with the account's modify entry (none for an empty account
    // or "LocalSystem"), everything inside no entry of its own, only what it inherits; a link
    // inside, or in the folder's place, is removed. Gives 0, or the Win32 error of the step
    // that failed.
    static DWORD GrantServiceData(const char* account);
    // Takes back what GrantServiceData gave: the account's own allowing entries leave the data
    // folder's access list, which stays protected, and the settings key's, which installs of
    // the previous version gave. Gives 0, also for an account the system no longer knows, or the
    // Win32 error of the step that failed.
    static DWORD RevokeServiceData(const char* account);

    // Tests: what reads and sets an object's owner and access list instead of
    // GetNamedSecurityInfoA and SetNamedSecurityInfoA (null: those again). Wine keeps no access
    // lists on files, so a test keeps the lists itself. A descriptor handed out is freed with
    // LocalFree.
    typedef DWORD(WINAPI* GetSecurityFunction)(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                               PSID* owner, PSID* group, PACL* dacl, PACL* sacl,
                                               PSECURITY_DESCRIPTOR* descriptor);
    typedef DWORD(WINAPI* SetSecurityFunction)(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                               PSID owner, PSID group, PACL dacl, PACL sacl);
    static void SetSecurityFunctionsForTesting(GetSecurityFunction get, SetSecurityFunction set);
};
