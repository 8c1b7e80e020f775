#include "OrvServiceManager/TaskFileLock.h"
#include "common/Exception.h"

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
class LockSecurity {
public:
    LockSecurity() {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        const bool made =
            MakeSid(system_, nt, {SECURITY_LOCAL_SYSTEM_RID}) &&
            MakeSid(administrators_, nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}) &&
            MakeSid(users_, nt, {SECURITY_AUTHENTICATED_USER_RID}) &&
            InitializeAcl(reinterpret_cast<PACL>(acl_), sizeof(acl_), ACL_REVISION) &&
            AddAccessAllowedAce(reinterpret_cast<PACL>(acl_), ACL_REVISION, MUTEX_ALL_ACCESS, system_) &&
            AddAccessAllowedAce(reinterpret_cast<PACL>(acl_), ACL_REVISION, MUTEX_ALL_ACCESS, administrators_) &&
            AddAccessAllowedAce(reinterpret_cast<PACL>(acl_), ACL_REVISION, kTakeAndRelease, users_) &&
            InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_), FALSE);
        attributes_ = {sizeof(attributes_), &descriptor_, FALSE};
        made_ = made;
    }
    LockSecurity(const LockSecurity&) = delete;
    LockSecurity& operator=(const LockSecurity&) = delete;
    // Null (the maker's default list) in the unlikely case the list could not be built.
    SECURITY_ATTRIBUTES* Get() { return made_ ? &attributes_ : nullptr; }

private:
    typedef DWORD SidBuffer[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    static bool MakeSid(SidBuffer& sid, SID_IDENTIFIER_AUTHORITY& authority, std::initializer_list<DWORD> rids) {
        if (!InitializeSid(sid, &authority, static_cast<BYTE>(rids.size()))) return false;
        DWORD n = 0;
        for (DWORD rid : rids) *GetSidSubAuthority(sid, n++) = rid;
        return true;
    }

    SidBuffer system_;
    SidBuffer administrators_;
    SidBuffer users_;
    DWORD acl_[64];  // room for three allowed entries, aligned as an access list must be
    SECURITY_DESCRIPTOR descriptor_;
    SECURITY_ATTRIBUTES attributes_;
    bool made_ = false;
};

[[noreturn]] void ThrowLockFailure(const char* what) {
    const DWORD error = GetLastError();
    CString message;
    message.Format("Unable to %s the lock of the task file (error %lu).", what, static_cast<unsigned long>(error));
    throw Exception(message);
}
}  // namespace

TaskFileLock::TaskFileLock() {
    LockSecurity security;
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
