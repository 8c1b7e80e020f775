#include "common/ObjectSecurity.h"
#include <aclapi.h>

namespace {
ObjectSecurity::Functions g_functions = {};
}  // namespace

DWORD ObjectSecurity::GetNamed(const CString& name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner,
                               PACL* list, ScopedLocalMemory& descriptor) {
    PSECURITY_DESCRIPTOR received = nullptr;
    const DWORD error = (g_functions.getNamed ? g_functions.getNamed : &GetNamedSecurityInfoA)(
        name, type, what, owner, nullptr, list, nullptr, &received);
    descriptor.Reset(received);
    return error;
}

DWORD ObjectSecurity::SetNamed(const CString& name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner,
                               PACL list) {
    CString writable(name);
    return (g_functions.setNamed ? g_functions.setNamed : &SetNamedSecurityInfoA)(writable.GetBuffer(), type, what,
                                                                                  owner, nullptr, list, nullptr);
}

DWORD ObjectSecurity::ReadOwner(HANDLE object, std::vector<BYTE>& owner, bool& protectedList) {
    PSID found = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR received = nullptr;
    const DWORD error = (g_functions.getByHandle ? g_functions.getByHandle : &GetSecurityInfo)(
        object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &found, nullptr, &list,
        nullptr, &received);
    ScopedLocalMemory held(received);
    if (error != ERROR_SUCCESS) return error;
    if (!found || !IsValidSid(found)) return ERROR_INVALID_OWNER;
    owner.assign(static_cast<BYTE*>(found), static_cast<BYTE*>(found) + GetLengthSid(found));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    protectedList = GetSecurityDescriptorControl(received, &control, &revision) && (control & SE_DACL_PROTECTED);
    return 0;
}

DWORD ObjectSecurity::SetOnHandle(HANDLE object, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor) {
    if ((g_functions.setByHandle ? g_functions.setByHandle : &SetKernelObjectSecurity)(object, what, descriptor))
        return 0;
    const DWORD error = GetLastError();
    return error ? error : ERROR_ACCESS_DENIED;
}

void ObjectSecurity::SetFunctionsForTesting(const Functions& functions) { g_functions = functions; }
