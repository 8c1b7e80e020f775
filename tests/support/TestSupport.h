// Helpers shared by the tests: scratch folders, the folder of the helper programs.
#pragma once
#include "classlib/CString.h"

namespace testing_support {
// The folder holding the test programs and the helper programs built beside them.
CString BinFolder();
// A new empty folder under the temporary folder, removed with its contents on destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const CString& Path() const { return path_; }
    CString File(const char* name) const;

private:
    CString path_;
};
// Writes bytes to a file, replacing it.
void WriteFileBytes(const char* path, const std::string& bytes);
std::string ReadFileBytes(const char* path);
}  // namespace testing_support
