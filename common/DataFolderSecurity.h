// The owner and access list of the data folder and of the vendor folder above it: Administrators
// own them; SYSTEM and Administrators have full control and Users read and execute, inherited by
// everything inside; nothing comes from the folders above, in which every user of the machine
// may create files and folders.
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
    // 0, or the Win32 error that kept the descriptor from being built; nothing below may be
    // used then.
    DWORD GetError() const { return m_folder.GetError(); }

    // Makes the folder, and each missing folder above it, with this owner and protected list at
    // once (DirUtils::CreateFolderWith), so that no ordinary user owns a folder in which the data
    // folder could be swapped, nor may create anything in one before it has its list. Gives 0,
    // also for a folder already there, or the Win32 error.
    DWORD MakeFolder(const CString& folder);
    // The owner and list, for making sure of a folder that is there already.
    PSID GetOwner() const;
    PACL GetList() const;
    PSECURITY_DESCRIPTOR GetDescriptor() const { return m_folder.GetDescriptor(); }

private:
    SecurityAttributes m_folder;
};
