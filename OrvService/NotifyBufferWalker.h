// Turns the FILE_NOTIFY_INFORMATION records of one completed directory read into handler calls.
#pragma once
#include "OrvService/FolderChangeHandler.h"

// Walks `bytes` bytes of `buffer` and calls the handler with full paths under `folder`.
// `pendingOldPath` carries a rename's old name whose new name has not arrived yet: it is set when
// the batch ends with an old-name record and consumed by the first record of the next batch.
// Records that would reach past the returned bytes end the walk. No bytes at all (the system's
// buffer overflowed) is a modification of the folder itself.
void WalkNotifyBuffer(const void* buffer, DWORD bytes, const CString& folder, CString& pendingOldPath,
                      FolderChangeHandler& handler);
