#include "OrvServiceManager/TaskFileLock.h"
#include "common/Exception.h"
#include "common/SecurityAttributes.h"

namespace {
// Not the service's "Brellix.OrvService.SafeIniReader". The service holds that one while it notes
// a run, and a manager writes only while the service is stopped: with a lock of the managers'
// own, neither program ever waits on the other. The service's mutex would also carry the access
// list of the service's account, which a manager of another account may be unable to open.
const char* const kLockName = "Global\\Brellix.OrvServiceManager.TaskFile";
// A write takes milliseconds; a manager that holds the lock this long hangs, and the user hears
// so instead of waiting with it.
DWORD g_timeoutMs = 5000;

// Waiting for the lock and releasing it: all that a manager of any account needs.
const DWORD kTakeAndRelease = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// An access list for the lock: any signed-in account may take and release it, the system and
// administrators hold every right. Whoever makes the lock first (any account may make a mutex in
// the global namespace), a manager of another account can still take it; with its maker's
// default list it could not even open it. Beyond those two only its maker, as owner, may change
// the list. A program that holds the lock for ever costs the managers a message, not a hang.
const char* const kLockDescriptor = "D:(A;;0x1f0001;;;SY)(A;;0x1f0001;;;BA)(A;;0x100001;;;AU)";
static_assert(MUTEX_ALL_ACCESS == 0x1f0001 && kTakeAndRelease == 0x100001,
              "the descriptor text spells out the lock's rights");

[[noreturn]] void ThrowLockFailure(const char* what) {
    const DWORD error = GetLastError();
    CString message;
    message.Format("Unable to %s the lock of the task file (error %lu).", what, static_cast<unsigned long>(error));
    throw Exception(message);
}
}  // namespace

TaskFileLock::TaskFileLock() {
    // The maker's default list in the unlikely case the lock's own could not be built.
    SecurityAttributes security(kLockDescriptor);
    mutex_.Reset(CreateMutexA(security.Get(), FALSE, kLockName));
    // Opening an existing mutex asks for every right; another account's manager has only these.
    if (!mutex_.IsValid() && GetLastError() == ERROR_ACCESS_DENIED)
        mutex_.Reset(OpenMutexA(kTakeAndRelease, FALSE, kLockName));
    if (!mutex_.IsValid()) ThrowLockFailure("open");
    switch (WaitForSingleObject(mutex_.Get(), g_timeoutMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:  // a manager ended while it held the lock: the file is ours now
            return;
        case WAIT_TIMEOUT:
            throw Exception("Another Orvanti Service Manager is writing the task file and did not finish in time, so "
                            "nothing was written. Try again in a moment.");
        default:
            ThrowLockFailure("take");
    }
}

TaskFileLock::~TaskFileLock() { ReleaseMutex(mutex_.Get()); }

DWORD TaskFileLock::SetTimeoutForTesting(DWORD milliseconds) {
    const DWORD previous = g_timeoutMs;
    g_timeoutMs = milliseconds;
    return previous;
}
