// Points one imported function of the test program at a replacement for as long as the patch
// lives, so that a test can count the system calls the code under test makes.
#pragma once
#include <windows.h>

namespace testing_support {
class ImportPatch {
public:
    // The program's import of `function` from `dll` (case-insensitive); IsActive() tells whether
    // it was found and patched.
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool IsActive() const { return slot_ != nullptr; }
    // The function as imported, for the replacement to pass the call on.
    void* Original() const { return original_; }

private:
    void** slot_;
    void* original_;
};
}  // namespace testing_support
