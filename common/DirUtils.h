// Path and folder operations shared by both programs (the backslash is the separator).
#pragma once
#include "classlib/CString.h"

class DirUtils {
public:
    // The second part is appended unchanged; an empty first part gives the second alone.
    static CString JoinPath(const CString& first, const CString& second);
    static bool Exists(const CString& path);
    static CString GetFileName(const CString& path);
    static CString GetParentFolder(const CString& path);
    // Creates the folder with its missing parents; throws Exception when it cannot be made.
    static void CreateFolder(const CString& path);
    // The same, the folder made with the first attributes and each missing parent with the
    // second (null: those of a folder made without); a folder already there is left as it is.
    // Gives 0 when the folder is there, or the Win32 error of the creation that failed.
    static DWORD CreateFolderWith(const CString& path, LPSECURITY_ATTRIBUTES attributes,
                                  LPSECURITY_ATTRIBUTES parentAttributes);
    static CString GetTempFolder();
    // A new empty file named by random digits (with the extension, when given) in the folder.
    static CString CreateTempFileOrDir(const CString& folder, const CString& extension);
    static CString CreateTempFolder(const CString& folder);
    // Removes the folder with everything in it; false on the first failure.
    static bool DeleteFolderTree(const CString& path);
    // Whether the path is a link (a symbolic link or a junction: a reparse point).
    static bool IsLink(const CString& path);
    // Removes the link itself, never what it points to; 0 or the Win32 error.
    static DWORD RemoveLink(const CString& path);
    static CString ReadFileText(const CString& path);
    static CString GetExtension(const CString& path);
    static CString RemoveExtension(const CString& path);
    // The folder of the running program; throws Exception when it cannot be had in full.
    static CString GetProgramFolder();

    // Tests: what makes a folder instead of CreateDirectoryA (null: that again). Wine keeps no
    // access list on a folder, so a test sees here what a folder was made with.
    typedef BOOL(WINAPI* CreateDirectoryFunction)(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
    static void SetCreateDirectoryForTesting(CreateDirectoryFunction function);

private:
    static CString CreateTempEntry(const CString& folder, const CString& extension, bool folderWanted);
};
