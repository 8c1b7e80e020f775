#include "common/DirUtils.h"
#include "classlib/CFile.h"
#include "classlib/CSync.h"
#include "common/Exception.h"
#include <shlwapi.h>
#include <io.h>
#include <cstdlib>
#include <vector>

namespace {
const char* const kTempNameMutex = "Brellix.DirUtils.CreateTempFileOrDir";

DirUtils::CreateDirectoryFunction g_createDirectory = &CreateDirectoryA;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Index of the first character of the last path component.
int LastComponentStart(const CString& path) {
    const std::string& s = path.str();
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? 0 : static_cast<int>(slash + 1);
}

// Index of the "." that starts the extension of the last component, or -1.
int ExtensionDot(const CString& path) {
    int dot = path.ReverseFind('.');
    return dot >= LastComponentStart(path) ? dot : -1;
}
}  // namespace

CString DirUtils::JoinPath(const CString& first, const CString& second) {
    if (first.IsEmpty()) return second;
    if (first[first.GetLength() - 1] == '\\') return first + second;
    return first + "\\" + second;
}

bool DirUtils::Exists(const CString& path) {
    CString p(path);
    if (!p.IsEmpty() && IsSeparator(p[p.GetLength() - 1])) p = p.Left(p.GetLength() - 1);
    if (p.IsEmpty()) return false;
    return _access(p, 0) == 0;
}

CString DirUtils::GetFileName(const CString& path) {
    if (path.IsEmpty()) return CString();
    return CString(PathFindFileNameA(path));
}

CString DirUtils::GetParentFolder(const CString& path) {
    if (path.IsEmpty()) return CString();
    const char* start = path;
    int keep = static_cast<int>(PathFindFileNameA(start) - start);
    CString parent = path.Left(keep);
    if (!parent.IsEmpty() && IsSeparator(parent[parent.GetLength() - 1])) parent = parent.Left(parent.GetLength() - 1);
    return parent;
}

void DirUtils::CreateFolder(const CString& path) {
    if (CreateFolderWith(path, nullptr, nullptr) != 0) throw Exception("Error creating directory.");
}

DWORD DirUtils::CreateFolderWith(const CString& path, LPSECURITY_ATTRIBUTES attributes,
                                 LPSECURITY_ATTRIBUTES parentAttributes) {
    if (path.IsEmpty()) return 0;
    if (g_createDirectory(path, attributes)) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND || error == 0) {
        if (!GetFileName(path).IsEmpty()) {
            CString parent = GetParentFolder(path);
            // A parent equal to the path (a bare root) would recurse for ever.
            if (parent != path) {
                const DWORD parentError = CreateFolderWith(parent, parentAttributes, parentAttributes);
                if (parentError != 0) return parentError;
            }
        }
        // The folder is only there when this second try made it or found it made; it gets the
        // same attributes as the first.
        if (g_createDirectory(path, attributes)) return 0;
        error = GetLastError();
    }
    // "Already exists" is also the answer when a file stands at the path: that is no folder.
    if (error == ERROR_ALREADY_EXISTS && IsFolder(path)) return 0;
    return error ? error : ERROR_PATH_NOT_FOUND;
}

void DirUtils::SetCreateDirectoryForTesting(CreateDirectoryFunction function) {
    g_createDirectory = function ? function : &CreateDirectoryA;
}

CString DirUtils::GetTempFolder() {
    char buffer[260] = "";
    DWORD n = GetTempPathA(sizeof(buffer), buffer);
    if (n == 0 || n >= sizeof(buffer)) return "C:\\";
    return CString(buffer, static_cast<int>(n));
}

CString DirUtils::CreateTempEntry(const CString& folder, const CString& extension, bool folderWanted) {
    // Other threads and processes pick names the same way: the lock spans choice and creation.
    CMutex mutex(FALSE, kTempNameMutex);
    CSingleLock lock(&mutex, TRUE);
    CString path;
    do {
        int number = std::rand() * std::rand();
        CString name;
        if (extension.IsEmpty())
            name.Format("%i", number);
        else
            name.Format("%i.%s", number, static_cast<LPCSTR>(extension));
        path = JoinPath(folder, name);
    } while (Exists(path));
    if (folderWanted) {
        CreateFolder(path);
    } else {
        CFile file;
        file.Open(path, CFile::modeCreate | CFile::modeWrite);
    }
    return path;
}

CString DirUtils::CreateTempFileOrDir(const CString& folder, const CString& extension) {
    return CreateTempEntry(folder, extension, false);
}

CString DirUtils::CreateTempFolder(const CString& folder) { return CreateTempEntry(folder, CString(), true); }

bool DirUtils::DeleteFolderTree(const CString& path) {
    if (path.IsEmpty()) return false;
    // A junction or directory link is removed itself: what it points to lies outside the tree.
    if (IsLink(path)) return RemoveLink(path) == 0;
    try {
        CFileFind find;
        if (!find.FindFile(JoinPath(path, "*.*"))) return RemoveDirectoryA(path) != FALSE;
        bool more = true;
        while (more) {
            more = find.FindNextFile() != FALSE;
            if (find.IsDots()) continue;
            CString entry = find.GetFilePath();
            if (find.IsDirectory()) {
                if (!DeleteFolderTree(entry)) return false;
            } else if (!DeleteFileA(entry)) {
                return false;
            }
        }
        // The listing must be closed before its folder can go.
        find.Close();
    } catch (...) {
        return false;
    }
    return RemoveDirectoryA(path) != FALSE;
}

bool DirUtils::IsLink(const CString& path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

DWORD DirUtils::RemoveLink(const CString& path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path) : DeleteFileA(path);
    return removed ? 0 : GetLastError();
}

CString DirUtils::ReadFileText(const CString& path) {
    try {
        CFile file(path, CFile::modeRead | CFile::shareDenyNone);
        ULONGLONG length = file.GetLength();
        std::string text(static_cast<size_t>(length), '\0');
        size_t done = 0;
        while (done < text.size()) {
            UINT n = file.Read(&text[done], static_cast<UINT>(text.size() - done));
            if (n == 0) break;
            done += n;
        }
        text.resize(done);
        return CString(text);
    } catch (const CFileException&) {
        throw Exception("Failed when reading string from a file.");
    } catch (...) {
        throw Exception("Internal error when reading string from a file.");
    }
}

CString DirUtils::GetExtension(const CString& path) {
    int dot = ExtensionDot(path);
    return dot < 0 ? CString() : path.Mid(dot + 1);
}

CString DirUtils::RemoveExtension(const CString& path) {
    int dot = ExtensionDot(path);
    return dot < 0 ? path : path.Left(dot);
}

CString DirUtils::GetProgramFolder() {
    // Room for any path the ANSI functions can give; a result that fills the buffer was cut.
    std::vector<char> buffer(MAX_PATH * 4, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n == 0 || n >= size) throw Exception("Unable to retrieve program folder.");
    return GetParentFolder(CString(buffer.data(), static_cast<int>(n)));
}
