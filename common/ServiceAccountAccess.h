// What install and uninstall do to the data folder's access: install makes the folder the
// service's own, whoever made it and whatever was put in it, and gives a service's user account
// what it must write there (the task file's LastRun and LastEvent, the log files); uninstall
// takes that back. The product's settings key is not given: it also holds ProgramPath, the
// folder of the program the service starts (under LocalSystem too), and a key's rights cover
// all its values.
#pragma once
#include "classlib/CString.h"
#include <windows.h>
#include <vector>

class ServiceAccountAccess {
public:
    // Modify rights on the folder, inherited by the files and folders in it.
    static constexpr DWORD kFolderRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

    // Makes the data folder the service's own (DataFolderTakeOver), made (with its Logs folder)
    // when missing, then gives the account its modify entry in the folder's protected list (none
    // for an empty account or "LocalSystem"). Gives 0, or the Win32 error of the step that failed;
    // the account has no entry then. The notes say what was set aside and where, for the
    // administrator, also when the install failed after it.
    static DWORD GrantServiceData(const char* account, std::vector<CString>& notes);
    // Takes back what GrantServiceData gave: the account's own allowing entries leave the data
    // folder's access list, which stays protected, and the settings key's, which installs of
    // the previous version gave. A data folder that is not the install's own (a link, or one an
    // ordinary user made since) is left as it is. Gives 0, also for an account the system no
    // longer knows, or the Win32 error of the step that failed.
    static DWORD RevokeServiceData(const char* account);
};
