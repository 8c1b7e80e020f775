#include "OrvServiceManager/LogReading.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Log.h"
#include <algorithm>

namespace {
const char* const kFailure = "Unable to read new lines from file.";
const int kSharingRetries = 10;
const DWORD kSharingRetryMs = 20;

// Opened for reading with full sharing, so that the service can go on appending (and even
// delete an old file); a writer that holds the file exclusively for its line is waited for
// briefly. Gives no handle and the error otherwise.
ScopedHandle OpenForSharedReading(const CString& path, DWORD& error) {
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return ScopedHandle(file);
        error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION || attempt >= kSharingRetries) return ScopedHandle();
        Sleep(kSharingRetryMs);
    }
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }
}  // namespace

void GetPreviousMonthLogPaths(std::vector<CString>& paths) {
    paths.clear();
    const CTime now = Clock::Now();
    int year = now.GetYear();
    int month = now.GetMonth();
    Log::GetPreviousMonth(year, month);
    paths.push_back(DirUtils::JoinPath(AppData::GetLogsFolder(), Log::GetLogFileName(year, month)));
}

ULONGLONG GetFileLength(const CString& path) {
    try {
        return GetReadableFileLength(path);
    } catch (const Exception&) {
        return 0;
    }
}

ULONGLONG GetReadableFileLength(const CString& path) {
    DWORD error = 0;
    ScopedHandle file = OpenForSharedReading(path, error);
    if (!file) {
        if (IsMissing(error)) return 0;
        throw Exception(kFailure);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) throw Exception(kFailure);
    return static_cast<ULONGLONG>(size.QuadPart);
}

namespace {
// The bytes from the offset up to the end as it is now; what the service appends meanwhile waits
// for the next call. False for a missing file.
bool ReadFrom(const CString& path, ULONGLONG offset, std::string& bytes, ULONGLONG& length) {
    bytes.clear();
    DWORD error = 0;
    ScopedHandle file = OpenForSharedReading(path, error);
    if (!file) {
        if (IsMissing(error)) return false;
        throw Exception(kFailure);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) throw Exception(kFailure);
    length = static_cast<ULONGLONG>(size.QuadPart);
    if (offset >= length) return true;
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) throw Exception(kFailure);
    bytes.resize(static_cast<size_t>(length - offset));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!ReadFile(file.Get(), &bytes[done], wanted, &read, nullptr)) throw Exception(kFailure);
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

// Calls line(chars, count) for each complete line of the file from the offset on, its line end
// left out, and moves the new offset past them; a file shorter than the offset gives its length.
template <class LineFunction>
void ForEachNewLine(const CString& path, ULONGLONG offset, ULONGLONG& newOffset, LineFunction line) {
    std::string bytes;
    ULONGLONG length = 0;
    if (!ReadFrom(path, offset, bytes, length)) return;
    if (offset >= length) {
        newOffset = length;
        return;
    }
    size_t lineStart = 0;
    for (size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', lineStart)) {
        size_t end = i;
        if (end > lineStart && bytes[end - 1] == '\r') --end;
        line(bytes.data() + lineStart, end - lineStart);
        lineStart = i + 1;
    }
    newOffset = offset + lineStart;
}
}  // namespace

void ReadNewLines(const CString& path, ULONGLONG offset, std::vector<CString>& lines, ULONGLONG& newOffset) {
    lines.clear();
    ForEachNewLine(path, offset, newOffset,
                   [&](const char* chars, size_t count) { lines.push_back(CString(chars, static_cast<int>(count))); });
}

void ReadNewText(const CString& path, ULONGLONG offset, std::string& text, ULONGLONG& newOffset) {
    ForEachNewLine(path, offset, newOffset, [&](const char* chars, size_t count) {
        text.append(chars, count);
        text += "\r\n";
    });
}
