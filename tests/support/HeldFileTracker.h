// Which files and folders the program holds open without delete sharing. Windows refuses to
// rename or remove such an object while the handle lives; Wine refuses neither, so a test that
// plays a user who swaps a folder for a link asks here first. Follows the program's own
// CreateFileA and CloseHandle (import patches) while it lives; one lives at a time.
#pragma once
#include "classlib/CString.h"
#include "support/ImportPatch.h"
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace testing_support {

class HeldFileTracker {
public:
    HeldFileTracker();
    ~HeldFileTracker();
    HeldFileTracker(const HeldFileTracker&) = delete;
    HeldFileTracker& operator=(const HeldFileTracker&) = delete;

    // Opens made while one lives, on its thread, are not the program's: a test's own look at a
    // file neither holds it nor calls onOpen.
    struct Quiet {
        Quiet();
        ~Quiet();
    };

    bool IsActive() const { return open_->IsActive() && close_->IsActive(); }
    // Whether a handle that still lives holds the object at the path without delete sharing.
    bool IsHeld(const CString& path);
    // Renames the folder away and puts a link to the target in its place, as a user may where
    // nothing holds it; false, with nothing done, where something does.
    bool SwapForLink(const CString& folder, const CString& target);
    // Called on the opening thread each time the program has opened a path, before the handle
    // is handed back (not for the tracker's own opens, nor for those the call makes).
    std::function<void(const CString& path)> onOpen;

private:
    static HANDLE WINAPI Open(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes,
                              DWORD disposition, DWORD flags, HANDLE model);
    static BOOL WINAPI Close(HANDLE handle);
    static HeldFileTracker* instance_;

    CRITICAL_SECTION lock_;
    std::map<HANDLE, std::string> heldBy_;  // identity of what each handle holds without delete sharing
    std::unique_ptr<ImportPatch> open_;
    std::unique_ptr<ImportPatch> close_;
};

}  // namespace testing_support
