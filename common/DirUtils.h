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
    static CString GetTempFolder();
    // A new empty file named by random digits (with the extension, when given) in the folder.
    static CString CreateTempFileOrDir(const CString& folder, const CString& extension);
    static CString CreateTempFolder(const CString& folder);
    // Removes the folder with everything in it; false on the first failure.
    static bool DeleteFolderTree(const CString& path);
    static CString ReadFileText(const CString& path);
    static CString GetExtension(const CString& path);
    static CString RemoveExtension(const CString& path);
    // The folder of the running program; throws Exception when it cannot be had in full.
    static CString GetProgramFolder();

private:
    static CString CreateTempEntry(const CString& folder, const CString& extension, bool folderWanted);
};
