// The owners and access lists of files and folders as Windows keeps them, which Wine does not:
// what the code sets through ObjectSecurity's seam (and what DirUtils makes a folder with) is
// kept per object, by the file's identity, so that a hard link and what a link points to are one
// object. A list set on a folder by name spreads its inheritable entries to everything inside,
// through links too, as the system's spreading goes; a set on a handle changes that object alone.
// Reads give back what was kept, and the system's own otherwise: Wine's real owner, which is
// ANONYMOUS LOGON for a file of another Unix user. One lives at a time.
#pragma once
#include "classlib/CString.h"
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct KeptObject {
    std::string name;              // the name it was last reached by
    std::vector<BYTE> owner;       // empty: never set
    std::vector<BYTE> list;        // its own entries (an ACL); empty: never set
    bool protectedList = false;
    std::vector<BYTE> inherited;   // the entries a spread gave it (an ACL); empty: none
    bool touched = false;          // its security was set, or a spread reached it
};

class KeptSecurity {
public:
    KeptSecurity();
    ~KeptSecurity();
    KeptSecurity(const KeptSecurity&) = delete;
    KeptSecurity& operator=(const KeptSecurity&) = delete;

    void Clear();
    // The object at the path (a registry key by its name, "MACHINE\...").
    KeptObject& At(const CString& path);
    const std::map<std::string, KeptObject>& Objects() const { return objects_; }
    // The owner and list in descriptor text, as some other program left them.
    void LeaveAs(const CString& path, const char* descriptorText);

    // The rights the object's own and inherited entries allow the SID, and the inheritance flags
    // of the entries that allow them.
    static std::pair<DWORD, BYTE> Allowed(const KeptObject& object, const std::vector<BYTE>& sid);
    static int EntryCount(const KeptObject& object);
    static bool OwnedBy(const KeptObject& object, const std::vector<BYTE>& sid);
    static std::vector<BYTE> WellKnownSid(WELL_KNOWN_SID_TYPE type);

    // A set (by name or on a handle) on the object of this identity with this list (null: none
    // given) fails with the error this gives, when it is not 0.
    std::function<DWORD(const std::string& identity, PACL list)> refuseSet;
    // A folder made through DirUtils fails with the error this gives for its path, when not 0.
    std::function<DWORD(const CString& path)> refuseMakeFolder;

private:
    static KeptSecurity* instance_;
    std::map<std::string, KeptObject> objects_;
    friend struct KeptSecurityCalls;
};

}  // namespace testing_support
