// Reading the service's monthly log files while the service appends to them: which files, how
// long they are, and the lines added since the last reading. The reads never keep the service
// from writing.
#pragma once
#include "classlib/CString.h"
#include <string>
#include <vector>

// Empties the list and adds the log file path of the month before the current one.
void GetPreviousMonthLogPaths(std::vector<CString>& paths);

// The file's length in bytes; 0 when it does not exist or cannot be read.
ULONGLONG GetFileLength(const CString& path);
// The same, but a file that exists and cannot be read throws Exception "Unable to read new lines
// from file." instead of passing for an empty one.
ULONGLONG GetReadableFileLength(const CString& path);

// Empties the list and reads the complete lines from the byte offset on (line ends removed);
// the new offset is the position after the last line end read, so a line still being written
// is read whole at a later call. A file shorter than the offset (replaced by a shorter one)
// gives no lines and its length as the new offset. A missing file gives no lines and leaves the
// new offset alone. Throws Exception "Unable to read new lines from file.".
void ReadNewLines(const CString& path, ULONGLONG offset, std::vector<CString>& lines, ULONGLONG& newOffset);
// The same lines appended to the text, each ended by "\r\n", in one piece.
void ReadNewText(const CString& path, ULONGLONG offset, std::string& text, ULONGLONG& newOffset);
