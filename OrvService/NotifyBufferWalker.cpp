#include "OrvService/NotifyBufferWalker.h"
#include <cstring>

namespace {

const DWORD kHeaderBytes = 12;  // next-entry offset, action, name length
const int kMaxNameChars = 260;

struct RecordView {
    DWORD next;
    DWORD action;
    CString path;
};

CString FullPath(const CString& folder, const BYTE* name, DWORD nameBytes) {
    int chars = static_cast<int>(nameBytes / sizeof(WCHAR));
    if (chars > kMaxNameChars) chars = kMaxNameChars;
    WCHAR wide[kMaxNameChars];
    std::memcpy(wide, name, chars * sizeof(WCHAR));  // the record may not be aligned
    char ansi[kMaxNameChars * 2 + 1];
    int length = chars > 0 ? WideCharToMultiByte(CP_ACP, 0, wide, chars, ansi, sizeof(ansi) - 1, nullptr, nullptr) : 0;
    if (length < 0) length = 0;
    CString path(folder);
    if (path.IsEmpty() || path[path.GetLength() - 1] != '\\') path += '\\';
    path += CString(ansi, length);
    return path;
}

// Reads the record at `offset`; false when it does not lie wholly within the valid bytes.
bool ReadRecord(const BYTE* base, DWORD bytes, DWORD offset, const CString& folder, RecordView& out) {
    if (offset > bytes || bytes - offset < kHeaderBytes) return false;
    DWORD header[3];
    std::memcpy(header, base + offset, sizeof(header));
    DWORD nameBytes = header[2];
    if (nameBytes > bytes - offset - kHeaderBytes) return false;
    out.next = header[0];
    out.action = header[1];
    out.path = FullPath(folder, base + offset + kHeaderBytes, nameBytes);
    // A chain link pointing back into this record's own header or name is corrupt.
    if (out.next != 0 && out.next < kHeaderBytes + nameBytes) out.next = bytes;
    return true;
}

}  // namespace

void WalkNotifyBuffer(const void* buffer, DWORD bytes, const CString& folder, CString& pendingOldPath,
                      FolderChangeHandler& handler) {
    if (bytes == 0) {
        // The system's buffer overflowed: the changes are lost, so the folder as a whole has
        // changed. A kept old name would be paired with an unrelated change.
        pendingOldPath.Empty();
        handler.OnFileModified(folder);
        return;
    }
    const BYTE* base = static_cast<const BYTE*>(buffer);
    DWORD offset = 0;
    RecordView record;
    if (!pendingOldPath.IsEmpty()) {
        if (!ReadRecord(base, bytes, offset, folder, record)) {
            pendingOldPath.Empty();
            return;
        }
        CString oldPath = pendingOldPath;
        pendingOldPath.Empty();
        handler.OnFileNameChanged(oldPath, record.path);
        if (record.next == 0) return;
        offset += record.next;
    }
    for (;;) {
        if (!ReadRecord(base, bytes, offset, folder, record)) return;
        switch (record.action) {
        case FILE_ACTION_ADDED: handler.OnFileAdded(record.path); break;
        case FILE_ACTION_REMOVED: handler.OnFileRemoved(record.path); break;
        case FILE_ACTION_MODIFIED: handler.OnFileModified(record.path); break;
        case FILE_ACTION_RENAMED_OLD_NAME: {
            if (record.next == 0) {
                pendingOldPath = record.path;
                return;
            }
            if (record.next > bytes - offset) return;
            CString oldPath = record.path;
            DWORD newOffset = offset + record.next;
            if (!ReadRecord(base, bytes, newOffset, folder, record)) return;
            handler.OnFileNameChanged(oldPath, record.path);
            offset = newOffset;
            break;
        }
        default: break;
        }
        if (record.next == 0) return;
        if (record.next > bytes - offset) return;
        offset += record.next;
    }
}
