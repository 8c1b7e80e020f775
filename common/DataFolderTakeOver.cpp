#include "common/DataFolderTakeOver.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/ObjectSecurity.h"
#include <aclapi.h>
#include <cstring>

namespace {
// A folder is met at most this often in a link's place before the install gives up: someone
// keeps putting one back.
const int kTries = 3;

DWORD LastError() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_ACCESS_DENIED;
}
}  // namespace

DataFolderTakeOver::DataFolderTakeOver(const TrustedOwners& trusted) : m_trusted(trusted) {}

DWORD DataFolderTakeOver::Run(const CString& folder) {
    if (m_security.GetError()) return m_security.GetError();
    m_folder = folder;
    DWORD error = TakeBackVendorFolder(DirUtils::GetParentFolder(folder));
    bool listWasProtected = false;
    if (!error) error = HoldDataFolder(folder, listWasProtected);
    const size_t firstEntry = m_held.size();
    // Links go before the folder gets its list: the system spreads a folder's list to everything
    // inside, and through a link to what it points to. In a folder that was protected, only
    // administrators, SYSTEM and the service's account could make anything.
    if (!error) error = TakeOutLinks(folder, "", !listWasProtected);
    if (!error)
        error = ObjectSecurity::SetNamed(folder, SE_FILE_OBJECT,
                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                             PROTECTED_DACL_SECURITY_INFORMATION,
                                         m_security.GetOwner(), m_security.GetList());
    // What a user made before the list shut them out, while the first walk was under way.
    if (!error) error = TakeOutLinks(folder, "", !listWasProtected);
    if (!error) error = SecureEntries(firstEntry);
    NoteEntriesSetAside();
    return error;
}

// The folder at the path, made with the data folder's list when missing, opened and read. A link
// in its place, whoever made it, would put the data folder wherever it points: the link goes,
// never what it points to, and the folder is made anew.
DWORD DataFolderTakeOver::OpenFolder(const CString& path, DWORD furtherAccess, HeldObject& held,
                                     std::vector<BYTE>& owner, bool& listWasProtected) {
    for (int tries = 0; tries < kTries; ++tries) {
        DWORD error = m_security.MakeFolder(path);
        if (!error) error = held.Open(path, furtherAccess);
        if (error) return error;
        if (!held.IsLink()) return held.ReadOwner(owner, listWasProtected);
        held.Release();
        error = DirUtils::RemoveLink(path);
        if (error) return error;
    }
    return ERROR_INVALID_OWNER;
}

// Another product's installer or an administrator may have made the vendor folder: it stays as
// it is. One an ordinary user made could have its data folder renamed away at any time: it gets
// Administrators as owner and the data folder's list, on that folder alone; a set by name would
// rewrite every folder inside that inherits, another product's and one behind a link included.
DWORD DataFolderTakeOver::TakeBackVendorFolder(const CString& vendor) {
    std::unique_ptr<HeldObject> held(new HeldObject);
    std::vector<BYTE> owner;
    bool listWasProtected = false;
    DWORD error = OpenFolder(vendor, WRITE_DAC | WRITE_OWNER, *held, owner, listWasProtected);
    if (!error && !m_trusted.Trusts(owner))
        error = ObjectSecurity::SetOnHandle(
            held->Get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
            m_security.GetDescriptor());
    if (!error) m_held.push_back(std::move(held));
    return error;
}

// A data folder an ordinary user made may hold tasks they planted, and handles they opened
// before: it is set aside whole, read by nobody, for an administrator to bring tasks back by
// hand, and a new one is made.
DWORD DataFolderTakeOver::HoldDataFolder(const CString& folder, bool& listWasProtected) {
    std::unique_ptr<HeldObject> held(new HeldObject);
    std::vector<BYTE> owner;
    DWORD error = OpenFolder(folder, 0, *held, owner, listWasProtected);
    if (!error && !m_trusted.Trusts(owner)) {
        held->Release();
        const CString aside = AsideName();
        if (!MoveFileExA(folder, aside, 0)) return LastError();
        CString note;
        note.Format(
            "The data folder %s belonged to %s, who is not trusted with the service's tasks: it was set aside "
            "with everything in it as %s, and a new data folder was made. Tasks can be brought back from it by "
            "hand.",
            folder.GetString(), TrustedOwners::NameOf(owner).GetString(), aside.GetString());
        m_notes.push_back(note);
        error = OpenFolder(folder, 0, *held, owner, listWasProtected);
        if (!error && !m_trusted.Trusts(owner)) error = ERROR_INVALID_OWNER;
    }
    if (!error) m_held.push_back(std::move(held));
    return error;
}

DWORD DataFolderTakeOver::TakeOutLinks(const CString& folder, const CString& relative, bool setAsideStrangers) {
    WIN32_FIND_DATAA found;
    ScopedFindHandle find(FindFirstFileA(DirUtils::JoinPath(folder, "*"), &found));
    if (!find) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : LastError();
    }
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
        const CString path = DirUtils::JoinPath(folder, found.cFileName);
        const CString inside = DirUtils::JoinPath(relative, found.cFileName);
        DWORD error = 0;
        if (!m_heldPaths.count(path.str()))
            error = TakeOut(path, inside, found.dwFileAttributes, setAsideStrangers);
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            error = TakeOutLinks(path, inside, setAsideStrangers);
        if (error) return error;
    } while (FindNextFileA(find.Get(), &found));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : LastError();
}

DWORD DataFolderTakeOver::TakeOut(const CString& path, const CString& relative, DWORD attributes,
                                  bool setAsideStrangers) {
    // The service never makes a link; one would have the service write where it points. Only
    // the link's own name goes: a move would carry what it points to along on some systems.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return DirUtils::RemoveLink(path);
    std::unique_ptr<HeldObject> held(new HeldObject);
    DWORD error = held->Open(path);
    if (error) return error;
    if (held->IsLink()) {
        held->Release();
        return DirUtils::RemoveLink(path);
    }
    // A file with a second name elsewhere: its owner and list, and the lines the service would
    // append to it, would reach that other place too. Only this name goes.
    if (!held->IsFolder() && held->GetNameCount() > 1) {
        held->Release();
        return DeleteFileA(path) ? 0 : LastError();
    }
    if (setAsideStrangers) {
        std::vector<BYTE> owner;
        bool listWasProtected = false;
        error = held->ReadOwner(owner, listWasProtected);
        if (error) return error;
        if (!m_trusted.Trusts(owner)) {
            held->Release();
            return SetAside(path, relative);
        }
    }
    const bool folder = held->IsFolder();
    m_heldPaths.insert(path.str());
    m_held.push_back(std::move(held));
    return folder ? TakeOutLinks(path, relative, setAsideStrangers) : 0;
}

// Into one folder beside the data folder, at the same place inside it, whole: nothing of it is
// read.
DWORD DataFolderTakeOver::SetAside(const CString& path, const CString& relative) {
    if (m_aside.IsEmpty()) {
        const CString aside = AsideName();
        const DWORD error = m_security.MakeFolder(aside);
        if (error) return error;
        m_aside = aside;
    }
    const CString target = DirUtils::JoinPath(m_aside, relative);
    const DWORD error = DirUtils::CreateFolderWith(DirUtils::GetParentFolder(target), nullptr, nullptr);
    if (error) return error;
    if (!MoveFileExA(path, target, 0)) return LastError();
    ++m_entriesSetAside;
    return 0;
}

// Parents come before what is in them, in the order the walk held them: a folder's own list may
// not let Administrators see inside until it is set.
DWORD DataFolderTakeOver::SecureEntries(size_t first) {
    ACL noEntries;
    if (!InitializeAcl(&noEntries, sizeof(noEntries), ACL_REVISION)) return LastError();
    for (size_t i = first; i < m_held.size(); ++i) {
        const DWORD error = ObjectSecurity::SetNamed(
            m_held[i]->GetPath(), SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
            m_security.GetOwner(), &noEntries);
        if (error) return error;
    }
    return 0;
}

CString DataFolderTakeOver::AsideName() const {
    const CString base = m_folder + Clock::Now().Format(".set-aside-%Y%m%d-%H%M");
    CString name = base;
    for (int n = 2; DirUtils::Exists(name); ++n) name.Format("%s-%d", base.GetString(), n);
    return name;
}

void DataFolderTakeOver::NoteEntriesSetAside() {
    if (m_entriesSetAside == 0) return;
    CString note;
    note.Format(
        "%d item(s) in the data folder %s belonged to users who are not trusted with the service's tasks: they "
        "were set aside in %s. Tasks can be brought back from there by hand.",
        m_entriesSetAside, m_folder.GetString(), m_aside.GetString());
    m_notes.push_back(note);
}
