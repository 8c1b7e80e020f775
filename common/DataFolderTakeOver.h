// What an install does to the data folder, and to the vendor folder above it, before the service
// keeps its tasks and logs there, trusting nothing an ordinary user made (TrustedOwners). A
// vendor folder of such a user is taken back; a data folder of such a user is set aside whole and
// made anew. Inside, links and second names of files go first; in a folder whose list let users
// create, what such a user made is set aside. Only then do the folder and everything in it get
// Administrators as owner and the folder's protected list. Everything met stays held
// (HeldObject) until the object goes, so that nothing checked can be swapped before it is set.
#pragma once
#include "classlib/CString.h"
#include "common/DataFolderSecurity.h"
#include "common/HeldObject.h"
#include "common/TrustedOwners.h"
#include <memory>
#include <set>
#include <string>
#include <vector>

class DataFolderTakeOver {
public:
    explicit DataFolderTakeOver(const TrustedOwners& trusted);
    // Takes over the data folder at the path; 0 or the Win32 error of the step that failed.
    DWORD Run(const CString& folder);
    // For the administrator: what was set aside and where it went, also after a failure.
    const std::vector<CString>& GetNotes() const { return m_notes; }

private:
    DWORD OpenFolder(const CString& path, DWORD furtherAccess, HeldObject& held, std::vector<BYTE>& owner,
                     bool& listWasProtected);
    DWORD TakeBackVendorFolder(const CString& vendor);
    DWORD HoldDataFolder(const CString& folder, bool& listWasProtected);
    // Every entry of the folder, and of its folders, not held yet: links and second names
    // removed, strangers' entries set aside when asked, the rest held.
    DWORD TakeOutLinks(const CString& folder, const CString& relative, bool setAsideStrangers);
    DWORD TakeOut(const CString& path, const CString& relative, DWORD attributes, bool setAsideStrangers);
    DWORD SetAside(const CString& path, const CString& relative);
    DWORD SecureEntries(size_t first);
    // A name beside the data folder that says it was set aside, and when; none there yet.
    CString AsideName() const;
    void NoteEntriesSetAside();

    const TrustedOwners& m_trusted;
    DataFolderSecurity m_security;
    CString m_folder;
    CString m_aside;
    int m_entriesSetAside = 0;
    std::vector<std::unique_ptr<HeldObject>> m_held;
    std::set<std::string> m_heldPaths;
    std::vector<CString> m_notes;
};
