#include "support/KeptSecurity.h"
#include "common/DirUtils.h"
#include "common/ObjectSecurity.h"
#include "support/HeldFileTracker.h"
#include "support/TestSupport.h"
#include <aclapi.h>
#include <sddl.h>
#include <cstring>
#include <set>
#include <stdexcept>

namespace testing_support {

KeptSecurity* KeptSecurity::instance_ = nullptr;

namespace {
std::vector<BYTE> Bytes(const void* data, size_t size) {
    const BYTE* start = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(start, start + size);
}

std::vector<BYTE> SidBytes(PSID sid) { return sid ? Bytes(sid, GetLengthSid(sid)) : std::vector<BYTE>(); }

std::vector<BYTE> AclBytes(const ACL* list) { return list ? Bytes(list, list->AclSize) : std::vector<BYTE>(); }

// Calls the function for each entry of the list held in bytes.
template <class Function>
void ForEachEntry(const std::vector<BYTE>& list, Function function) {
    if (list.empty()) return;
    ACL* acl = reinterpret_cast<ACL*>(const_cast<BYTE*>(list.data()));
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACE_HEADER* entry = nullptr;
        if (GetAce(acl, i, reinterpret_cast<void**>(&entry))) function(entry);
    }
}

// The entries of the lists that what is inside inherits, marked inherited.
std::vector<BYTE> InheritableOf(const std::vector<std::vector<BYTE>>& lists) {
    std::vector<BYTE> result(1024);
    ACL* acl = reinterpret_cast<ACL*>(result.data());
    InitializeAcl(acl, static_cast<DWORD>(result.size()), ACL_REVISION);
    for (const std::vector<BYTE>& list : lists)
        ForEachEntry(list, [acl](ACE_HEADER* entry) {
            if (!(entry->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE))) return;
            std::vector<BYTE> copy = Bytes(entry, entry->AceSize);
            reinterpret_cast<ACE_HEADER*>(copy.data())->AceFlags |= INHERITED_ACE;
            AddAce(acl, ACL_REVISION, MAXDWORD, copy.data(), static_cast<DWORD>(copy.size()));
        });
    result.resize(acl->AclSize);
    return acl->AceCount ? result : std::vector<BYTE>();
}

std::string IdentityOfName(const char* name, SE_OBJECT_TYPE type) {
    if (type != SE_FILE_OBJECT) return std::string("key:") + name;
    HeldFileTracker::Quiet quiet;
    const std::string identity = FileIdentity(CString(name));
    return identity.empty() ? std::string("name:") + name : identity;
}

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

// The seams' ends, with access to the kept objects.
struct KeptSecurityCalls {
    static KeptObject& Object(const std::string& identity, const char* name) {
        KeptObject& object = KeptSecurity::instance_->objects_[identity];
        if (name) object.name = name;
        return object;
    }

    static DWORD Refusal(const std::string& identity, PACL list) {
        const KeptSecurity* kept = KeptSecurity::instance_;
        return kept->refuseSet ? kept->refuseSet(identity, list) : 0;
    }

    static void Keep(KeptObject& object, PSID owner, PACL list, bool protectedList) {
        object.touched = true;
        if (owner) object.owner = SidBytes(owner);
        if (list) {
            object.list = AclBytes(list);
            object.protectedList = protectedList;
            if (protectedList) object.inherited.clear();
        }
    }

    // What is inside the folder inherits its entries, unless its list is protected; each folder
    // is walked once, whatever links lead back to it.
    static void Spread(const CString& folder, const KeptObject& from, std::set<std::string>& walked) {
        const std::vector<BYTE> inheritable = InheritableOf({from.list, from.inherited});
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(DirUtils::JoinPath(folder, "*"), &found);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
            const CString path = DirUtils::JoinPath(folder, found.cFileName);
            const std::string identity = IdentityOfName(path, SE_FILE_OBJECT);
            KeptObject& object = Object(identity, path);
            object.touched = true;
            if (!object.protectedList) object.inherited = inheritable;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && walked.insert(identity).second)
                Spread(path, object, walked);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }

    static DWORD WINAPI SetNamed(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner, PSID,
                                 PACL dacl, PACL) {
        const std::string identity = IdentityOfName(name, type);
        if (const DWORD refusal = Refusal(identity, (what & DACL_SECURITY_INFORMATION) ? dacl : nullptr))
            return refusal;
        KeptObject& object = Object(identity, name);
        Keep(object, (what & OWNER_SECURITY_INFORMATION) ? owner : nullptr,
             (what & DACL_SECURITY_INFORMATION) ? dacl : nullptr, (what & PROTECTED_DACL_SECURITY_INFORMATION) != 0);
        // A list that inherits takes what its folder gives now.
        if (type == SE_FILE_OBJECT && (what & DACL_SECURITY_INFORMATION) && !object.protectedList) {
            const KeptObject parent = Object(IdentityOfName(DirUtils::GetParentFolder(name), type), nullptr);
            object.inherited = InheritableOf({parent.list, parent.inherited});
        }
        std::set<std::string> walked{identity};
        if (type == SE_FILE_OBJECT && (what & DACL_SECURITY_INFORMATION) && IsFolder(name))
            Spread(name, object, walked);
        return ERROR_SUCCESS;
    }

    static BOOL WINAPI SetOnHandle(HANDLE handle, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor) {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
        GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        const std::string identity = FileIdentity(handle);
        const bool listGiven = (what & DACL_SECURITY_INFORMATION) && present;
        if (const DWORD refusal = Refusal(identity, listGiven ? dacl : nullptr)) {
            SetLastError(refusal);
            return FALSE;
        }
        Keep(Object(identity, nullptr), (what & OWNER_SECURITY_INFORMATION) ? owner : nullptr,
             listGiven ? dacl : nullptr,
             (what & PROTECTED_DACL_SECURITY_INFORMATION) || (control & SE_DACL_PROTECTED));
        return TRUE;
    }

    // A descriptor in one block, as the system hands one out: the kept owner and list where
    // there are, the system's own otherwise.
    static DWORD GiveKept(const std::string& identity, PSID realOwner, PACL realList, bool realProtected,
                          SECURITY_INFORMATION what, PSID* owner, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
        const auto found = KeptSecurity::instance_->objects_.find(identity);
        const KeptObject* kept = found == KeptSecurity::instance_->objects_.end() ? nullptr : &found->second;
        const std::vector<BYTE> ownerBytes = kept && !kept->owner.empty() ? kept->owner : SidBytes(realOwner);
        const bool listKept = kept && !kept->list.empty();
        const std::vector<BYTE> listBytes = listKept ? kept->list : AclBytes(realList);
        const bool listProtected = listKept ? kept->protectedList : realProtected;
        BYTE* block = static_cast<BYTE*>(
            LocalAlloc(LPTR, sizeof(SECURITY_DESCRIPTOR) + ownerBytes.size() + listBytes.size() + 8));
        if (!block) return ERROR_NOT_ENOUGH_MEMORY;
        InitializeSecurityDescriptor(block, SECURITY_DESCRIPTOR_REVISION);
        BYTE* at = block + sizeof(SECURITY_DESCRIPTOR);
        PSID ownerCopy = ownerBytes.empty() ? nullptr : at;
        std::memcpy(at, ownerBytes.data(), ownerBytes.size());
        at += ownerBytes.size();
        PACL listCopy = listBytes.empty() ? nullptr : reinterpret_cast<PACL>(at);
        std::memcpy(at, listBytes.data(), listBytes.size());
        SetSecurityDescriptorOwner(block, ownerCopy, FALSE);
        SetSecurityDescriptorDacl(block, TRUE, listCopy, FALSE);
        if (listProtected) SetSecurityDescriptorControl(block, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        if (owner) *owner = (what & OWNER_SECURITY_INFORMATION) ? ownerCopy : nullptr;
        if (dacl) *dacl = (what & DACL_SECURITY_INFORMATION) ? listCopy : nullptr;
        *descriptor = block;
        return ERROR_SUCCESS;
    }

    static bool IsProtected(PSECURITY_DESCRIPTOR descriptor) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        return descriptor && GetSecurityDescriptorControl(descriptor, &control, &revision) &&
               (control & SE_DACL_PROTECTED);
    }

    // The system's own owner and list, read by the call given, with the kept ones put in.
    template <class ReadReal>
    static DWORD GiveKeptOver(const std::string& identity, ReadReal readReal, SECURITY_INFORMATION what, PSID* owner,
                              PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
        PSID realOwner = nullptr;
        PACL realList = nullptr;
        PSECURITY_DESCRIPTOR real = nullptr;
        const DWORD error = readReal(&realOwner, &realList, &real);
        if (error != ERROR_SUCCESS) return error;
        const DWORD result = GiveKept(identity, realOwner, realList, IsProtected(real), what, owner, dacl, descriptor);
        LocalFree(real);
        return result;
    }

    static DWORD WINAPI GetNamed(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner, PSID*,
                                 PACL* dacl, PACL*, PSECURITY_DESCRIPTOR* descriptor) {
        auto readReal = [&](PSID* o, PACL* l, PSECURITY_DESCRIPTOR* d) {
            return GetNamedSecurityInfoA(name, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, o,
                                         nullptr, l, nullptr, d);
        };
        return GiveKeptOver(IdentityOfName(name, type), readReal, what, owner, dacl, descriptor);
    }

    static DWORD WINAPI GetByHandle(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner,
                                    PSID*, PACL* dacl, PACL*, PSECURITY_DESCRIPTOR* descriptor) {
        auto readReal = [&](PSID* o, PACL* l, PSECURITY_DESCRIPTOR* d) {
            return GetSecurityInfo(handle, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, o, nullptr,
                                   l, nullptr, d);
        };
        return GiveKeptOver(FileIdentity(handle), readReal, what, owner, dacl, descriptor);
    }

    // Keeps the descriptor's owner and list for the object, as it was before the code met it.
    static void KeepDescriptor(const CString& path, PSECURITY_DESCRIPTOR descriptor) {
        PSID owner = nullptr;
        PACL list = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
        GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
        KeptObject& object = KeptSecurity::instance_->At(path);
        const bool touched = object.touched;
        Keep(object, owner, present ? list : nullptr, IsProtected(descriptor));
        object.touched = touched;
    }

    // Keeps what the folder was made with, as the system gives it to what it makes.
    static BOOL WINAPI MakeFolder(LPCSTR path, LPSECURITY_ATTRIBUTES attributes) {
        const KeptSecurity* kept = KeptSecurity::instance_;
        if (const DWORD refusal = kept->refuseMakeFolder ? kept->refuseMakeFolder(path) : 0) {
            SetLastError(refusal);
            return FALSE;
        }
        if (!CreateDirectoryA(path, nullptr)) return FALSE;
        if (attributes) KeepDescriptor(path, attributes->lpSecurityDescriptor);
        return TRUE;
    }
};

KeptSecurity::KeptSecurity() {
    instance_ = this;
    ObjectSecurity::SetFunctionsForTesting({&KeptSecurityCalls::GetNamed, &KeptSecurityCalls::SetNamed,
                                            &KeptSecurityCalls::GetByHandle, &KeptSecurityCalls::SetOnHandle});
    DirUtils::SetCreateDirectoryForTesting(&KeptSecurityCalls::MakeFolder);
}

KeptSecurity::~KeptSecurity() {
    DirUtils::SetCreateDirectoryForTesting(nullptr);
    ObjectSecurity::SetFunctionsForTesting({});
    instance_ = nullptr;
}

void KeptSecurity::Clear() { objects_.clear(); }

KeptObject& KeptSecurity::At(const CString& path) {
    const bool key = path.Find("MACHINE\\") == 0;
    return KeptSecurityCalls::Object(IdentityOfName(path, key ? SE_REGISTRY_KEY : SE_FILE_OBJECT), path);
}

void KeptSecurity::LeaveAs(const CString& path, const char* descriptorText) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &descriptor, nullptr))
        throw std::runtime_error(std::string("not a descriptor: ") + descriptorText);
    KeptSecurityCalls::KeepDescriptor(path, descriptor);
    LocalFree(descriptor);
}

std::pair<DWORD, BYTE> KeptSecurity::Allowed(const KeptObject& object, const std::vector<BYTE>& sid) {
    std::pair<DWORD, BYTE> allowed(0, 0);
    for (const std::vector<BYTE>* list : {&object.list, &object.inherited})
        ForEachEntry(*list, [&](ACE_HEADER* entry) {
            ACCESS_ALLOWED_ACE* allowing = reinterpret_cast<ACCESS_ALLOWED_ACE*>(entry);
            if (entry->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                EqualSid(&allowing->SidStart, const_cast<BYTE*>(sid.data())))
                allowed = {allowed.first | allowing->Mask, static_cast<BYTE>(allowed.second | entry->AceFlags)};
        });
    return allowed;
}

int KeptSecurity::EntryCount(const KeptObject& object) {
    return object.list.empty() ? 0 : reinterpret_cast<const ACL*>(object.list.data())->AceCount;
}

bool KeptSecurity::OwnedBy(const KeptObject& object, const std::vector<BYTE>& sid) {
    return !object.owner.empty() && EqualSid(const_cast<BYTE*>(object.owner.data()), const_cast<BYTE*>(sid.data()));
}

std::vector<BYTE> KeptSecurity::WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return std::vector<BYTE>();
    sid.resize(size);
    return sid;
}

}  // namespace testing_support
