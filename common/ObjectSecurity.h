// The owner and access list of files, folders and registry keys: by name, where the system works
// out what the object inherits and spreads a folder's inheritable entries to everything inside,
// or on an open handle, where only that object changes. One seam carries all four calls: Wine
// keeps no access lists on files and spreads nothing, so tests keep and spread them themselves.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include <accctrl.h>
#include <vector>

class ObjectSecurity {
public:
    typedef DWORD(WINAPI* GetNamedFunction)(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                            PSID* owner, PSID* group, PACL* dacl, PACL* sacl,
                                            PSECURITY_DESCRIPTOR* descriptor);
    typedef DWORD(WINAPI* SetNamedFunction)(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner,
                                            PSID group, PACL dacl, PACL sacl);
    typedef DWORD(WINAPI* GetByHandleFunction)(HANDLE object, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                               PSID* owner, PSID* group, PACL* dacl, PACL* sacl,
                                               PSECURITY_DESCRIPTOR* descriptor);
    typedef BOOL(WINAPI* SetByHandleFunction)(HANDLE object, SECURITY_INFORMATION what,
                                              PSECURITY_DESCRIPTOR descriptor);
    // Null members stand for the system's GetNamedSecurityInfoA, SetNamedSecurityInfoA,
    // GetSecurityInfo and SetKernelObjectSecurity.
    struct Functions {
        GetNamedFunction getNamed;
        SetNamedFunction setNamed;
        GetByHandleFunction getByHandle;
        SetByHandleFunction setByHandle;
    };

    // The object's list (and owner, when asked for), pointing into the descriptor handed back.
    static DWORD GetNamed(const CString& name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner,
                          PACL* list, ScopedLocalMemory& descriptor);
    static DWORD SetNamed(const CString& name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner,
                          PACL list);
    // A copy of the open file's or folder's owner, and whether its list is protected from what
    // it would inherit. 0 or the Win32 error.
    static DWORD ReadOwner(HANDLE object, std::vector<BYTE>& owner, bool& protectedList);
    // Sets the open object's security from the descriptor, that object alone. 0 or the error.
    static DWORD SetOnHandle(HANDLE object, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor);

    static void SetFunctionsForTesting(const Functions& functions);
};
