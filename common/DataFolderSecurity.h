// The owner and access list of the data folder: Administrators own it; SYSTEM and Administrators
// have full control and Users read and execute, inherited by everything inside; nothing comes
// from the folders above it, in which every user of the machine may create files and folders.
#pragma once
#include "classlib/CString.h"
#include "common/SecurityAttributes.h"

class DataFolderSecurity {
public:
    // Everything the folder's own list gives: full control.
    static constexpr DWORD kFullControl = FILE_ALL_ACCESS;
    // What the list gives Users: read and execute.
    static constexpr DWORD kUsersRights = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;

    DataFolderSecurity();
    // 0, or the Win32 error that kept the descriptors from being built; nothing below may be
    // used then.
    DWORD GetError() const { return m_folder.GetError() ? m_folder.GetError() : m_parent.GetError(); }

    // Makes the data folder with its owner and its protected list at once, and each missing
    // folder above it with Administrators as owner and the list it inherits, so that no ordinary
    // user owns a folder in which the data folder could be swapped (DirUtils::CreateFolderWith).
    // Gives 0, also for a folder already there, or the Win32 error.
    DWORD MakeFolder(const CString& folder);
    // The folder's owner and list, for making sure of a folder that is there already.
    PSID GetOwner() const;
    PACL GetList() const;

private:
    SecurityAttributes m_folder;
    SecurityAttributes m_parent;
};
