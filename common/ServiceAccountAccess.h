// What a service installed under a user account must be allowed to write: the data folder (the
// task file's LastRun and LastEvent, the log files) and the product's settings key (the count of
// running tasks). Installed by an administrator, both are read-only to an ordinary account.
#pragma once
#include "classlib/CString.h"
#include <accctrl.h>

class ServiceAccountAccess {
public:
    // Modify rights on the folder, inherited by the files and folders in it.
    static constexpr DWORD kFolderRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    // Reading and setting values of the key (KEY_WRITE, which the service opens it with).
    static constexpr DWORD kKeyRights = KEY_READ | KEY_WRITE;

    // Grants the account both: the data folder (AppData, made with its Logs folder when missing)
    // and the settings key under HKEY_LOCAL_MACHINE (Generator::GetSettingsKey, made when
    // missing). Gives 0, or the Win32 error of the step that failed.
    static DWORD GrantServiceData(const char* account);

    // Tests: what sets an object's access list instead of SetNamedSecurityInfoA (null: that one
    // again). Wine keeps no access lists on files, so a test looks at the list given here.
    typedef DWORD(WINAPI* SetSecurityFunction)(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                               PSID owner, PSID group, PACL dacl, PACL sacl);
    static void SetSecurityFunctionForTesting(SetSecurityFunction function);
};
