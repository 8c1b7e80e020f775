#include "classlib/CFile.h"
#include <cstring>

BOOL CFileException::GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (!buffer || maxChars == 0) return FALSE;
    CString text = GetErrorMessage();
    lstrcpynA(buffer, text, static_cast<int>(maxChars));
    return TRUE;
}

CString CFileException::GetErrorMessage() const {
    char system[1024] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, m_lOsError, 0,
                             system, sizeof(system), nullptr);
    CString text(system, static_cast<int>(n));
    text.TrimRight();
    if (text.IsEmpty()) text.Format("Error %lu", static_cast<unsigned long>(m_lOsError));
    if (!m_strFileName.IsEmpty()) text += CString(" (") + m_strFileName + ")";
    return text;
}

CFile::CFile(const char* fileName, UINT openFlags) {
    CFileException error(0, fileName);
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() {}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    if (IsOpen()) Abort();
    path_ = fileName;
    DWORD access = 0;
    switch (openFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    DWORD creation = OPEN_EXISTING;
    if (openFlags & modeCreate) creation = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    handle_.Reset(CreateFileA(fileName, access, share, &sa, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_.IsValid()) {
        if (error) {
            error->m_lOsError = GetLastError();
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    return TRUE;
}

void CFile::Close() {
    if (!handle_.IsValid()) return;
    // Closed here rather than by the owner: a failed close (lost buffered data) is reported.
    if (!CloseHandle(handle_.Release())) throw CFileException(GetLastError(), path_);
}

void CFile::Abort() {
    handle_.Reset();
}

void CFile::ThrowLastError() const { throw CFileException(GetLastError(), path_); }

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) return 0;
    DWORD read = 0;
    if (!ReadFile(handle_.Get(), buffer, count, &read, nullptr)) ThrowLastError();
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), buffer, count, &written, nullptr)) ThrowLastError();
    if (written != count) throw CFileException(ERROR_DISK_FULL, path_);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    DWORD method = from == begin ? FILE_BEGIN : (from == current ? FILE_CURRENT : FILE_END);
    if (!SetFilePointerEx(handle_.Get(), distance, &result, method)) ThrowLastError();
    return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_.Get(), &size)) ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero, result;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(handle_.Get(), zero, &result, FILE_CURRENT)) ThrowLastError();
    return static_cast<ULONGLONG>(result.QuadPart);
}

void CFile::Flush() {
    if (handle_.IsValid() && !FlushFileBuffers(handle_.Get())) ThrowLastError();
}

void CFile::Remove(const char* fileName) {
    if (!DeleteFileA(fileName)) throw CFileException(GetLastError(), fileName);
}

int CStdioFile::ReadByte() {
    if (pendingPos_ >= pending_.size()) {
        pending_.assign(4096, '\0');
        pendingPos_ = 0;
        UINT n = CFile::Read(&pending_[0], 4096);
        pending_.resize(n);
        if (n == 0) return -1;
    }
    return static_cast<unsigned char>(pending_[pendingPos_++]);
}

BOOL CStdioFile::ReadString(CString& line) {
    std::string out;
    int c = ReadByte();
    if (c < 0) {
        line.Empty();
        return FALSE;
    }
    while (c >= 0 && c != '\n') {
        out += static_cast<char>(c);
        c = ReadByte();
    }
    if (!out.empty() && out.back() == '\r') out.pop_back();
    line = CString(out);
    return TRUE;
}

void CStdioFile::WriteString(const char* text) {
    if (!text) return;
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    Write(out.data(), static_cast<UINT>(out.size()));
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    UINT taken = 0;
    char* dst = static_cast<char*>(buffer);
    while (taken < count && pendingPos_ < pending_.size()) dst[taken++] = pending_[pendingPos_++];
    if (taken < count) taken += CFile::Read(dst + taken, count - taken);
    return taken;
}

void CStdioFile::Write(const void* buffer, UINT count) {
    // Bytes read ahead of the caller moved the handle on: write where the caller's reading ended.
    if (pendingPos_ < pending_.size()) Seek(0, current);
    pending_.clear();
    pendingPos_ = 0;
    CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
    if (from == current) offset -= static_cast<LONGLONG>(pending_.size() - pendingPos_);
    pending_.clear();
    pendingPos_ = 0;
    return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
    return CFile::GetPosition() - static_cast<ULONGLONG>(pending_.size() - pendingPos_);
}

void CStdioFile::Close() {
    pending_.clear();
    pendingPos_ = 0;
    CFile::Close();
}

BOOL CFileFind::FindFile(const char* pattern) {
    Close();
    CString what = pattern ? pattern : "*.*";
    int slash = what.FindOneOf("\\/") >= 0 ? static_cast<int>(what.str().find_last_of("\\/")) : -1;
    root_ = slash >= 0 ? what.Left(slash + 1) : CString();
    find_.Reset(FindFirstFileA(what, &next_));
    if (!find_.IsValid()) return FALSE;
    more_ = true;
    return TRUE;
}

BOOL CFileFind::FindNextFile() {
    if (!more_) return FALSE;
    current_ = next_;
    have_ = true;
    more_ = ::FindNextFileA(find_.Get(), &next_) != FALSE;
    return more_ ? TRUE : FALSE;
}

void CFileFind::Close() {
    find_.Reset();
    more_ = have_ = false;
}

CString CFileFind::GetFileName() const { return have_ ? CString(current_.cFileName) : CString(); }
CString CFileFind::GetFilePath() const { return have_ ? root_ + current_.cFileName : CString(); }
BOOL CFileFind::IsDirectory() const { return have_ && (current_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY); }
BOOL CFileFind::IsDots() const {
    return IsDirectory() && (std::strcmp(current_.cFileName, ".") == 0 || std::strcmp(current_.cFileName, "..") == 0);
}
ULONGLONG CFileFind::GetLength() const {
    return have_ ? (static_cast<ULONGLONG>(current_.nFileSizeHigh) << 32) | current_.nFileSizeLow : 0;
}
