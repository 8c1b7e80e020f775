#include "OrvServiceManager/LogReading.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Log.h"
#include <algorithm>

namespace {
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
    DWORD error = 0;
    ScopedHandle file = OpenForSharedReading(path, error);
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void ReadNewLines(const CString& path, ULONGLONG offset, std::vector<CString>& lines, ULONGLONG& newOffset) {
    const char* const kFailure = "Unable to read new lines from file.";
    lines.clear();
    DWORD error = 0;
    ScopedHandle file = OpenForSharedReading(path, error);
    if (!file) {
        if (IsMissing(error)) return;
        throw Exception(kFailure);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) throw Exception(kFailure);
    const ULONGLONG length = static_cast<ULONGLONG>(size.QuadPart);
    if (offset >= length) {
        newOffset = length;
        return;
    }
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) throw Exception(kFailure);

    // Up to the end as it is now; what the service appends meanwhile waits for the next call.
    std::string text(static_cast<size_t>(length - offset), '\0');
    size_t done = 0;
    while (done < text.size()) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
        if (!ReadFile(file.Get(), &text[done], wanted, &read, nullptr)) throw Exception(kFailure);
        if (read == 0) break;
        done += read;
    }
    size_t lineStart = 0;
    for (size_t i = 0; i < done; ++i) {
        if (text[i] != '\n') continue;
        size_t end = i;
        if (end > lineStart && text[end - 1] == '\r') --end;
        lines.push_back(CString(text.substr(lineStart, end - lineStart)));
        lineStart = i + 1;
    }
    newOffset = offset + lineStart;
}
