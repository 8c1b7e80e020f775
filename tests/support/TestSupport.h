// Helpers shared by the tests: scratch folders, the folder of the helper programs.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include <string>
#include <utility>
#include <vector>

namespace testing_support {
// The folder holding the test programs and the helper programs built beside them.
CString BinFolder();
// A new empty folder under the temporary folder, removed with its contents on destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const CString& Path() const { return path_; }
    CString File(const char* name) const;

private:
    CString path_;
};
// Stops (waiting up to about 10 s) and deletes a service, straight through the platform, so that
// neither a leftover of an earlier run nor a failed step of a test survives. Quiet when absent.
void StopAndDeleteService(const char* name);
// A value under HKEY_LOCAL_MACHINE, put back as it was (or removed) when the object goes.
class SavedRegistryValue {
public:
    SavedRegistryValue(const char* keyPath, const char* name);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

private:
    CString keyPath_;
    CString name_;
    bool present_ = false;
    DWORD type_ = REG_NONE;
    BYTE data_[1024] = {};
    DWORD size_ = 0;
};
// The product's settings key, where ProgramPath names the generator's folder.
extern const char* const kProductSettingsKey;
// Puts the stand-in generator into the folder as Orvanti.exe (creating the folder) and makes it
// the product's program folder; the caller keeps a SavedRegistryValue of ProgramPath.
bool InstallStandInGenerator(const CString& folder);
// Makes a host symbolic link at the path to the folder, which Wine shows as a directory reparse
// point (IsFolderLink); false where there is no host to make one. RemoveHostLink takes it away
// again (Wine itself cannot).
bool MakeHostFolderLink(const CString& folder, const CString& link);
void RemoveHostLink(const CString& link);
bool IsFolderLink(const CString& path);
// Gives the file or folder (not what is inside) to another Unix user, whose files Wine shows as
// owned by ANONYMOUS LOGON: one that "an ordinary user made". True once its owner reads so.
bool GiveToAnotherUnixUser(const CString& path);
// The identity of the file or folder at the path (what a link there points to, as the system's
// functions by name follow links) or of the open one: its volume and file index, the same for
// every name of a file; "" when it cannot be opened.
std::string FileIdentity(const CString& path);
std::string FileIdentity(HANDLE file);
// Writes bytes to a file, replacing it.
void WriteFileBytes(const char* path, const std::string& bytes);
std::string ReadFileBytes(const char* path);
// Opens an existing file without sharing, so that other opens of it fail while the handle lives:
// the way to make a file refuse writes, since the tests run as root and under Wine a read-only
// attribute refuses nothing.
ScopedHandle HoldExclusively(const char* path);

// Sets the C runtime's TZ for the life of the object and puts the previous value back. The
// runtime then takes the zone's offset from TZ, but its daylight-saving rules still come from the
// system: use RunSelf with TZ in the environment to have both.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* tz);
    ~TimeZoneScope();
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    bool hadOld_;
    std::string old_;
};

// A program run to its end: its exit code as Windows gives it (a Unix shell would see only the
// low 8 bits), and what it wrote to its standard output and error.
struct RunResult {
    DWORD exitCode = 0;
    std::string output;
};
// Runs PROGRAM (quoted) with ARGUMENTS, its output caught in OUTPUTFILE, for at most 30 s (then
// it is ended and the output begins "timed out: "). A program that cannot start gives the
// Win32 error as its exit code.
RunResult RunProgram(const std::string& program, const std::string& arguments, const std::string& outputFile);

// A stand-in for PostQueuedCompletionStatus (the folder watcher's completion poster) that refuses
// the packet without a key, the one that tells a watcher's thread to end, as a port out of
// resources would (ERROR_NO_SYSTEM_RESOURCES), and posts every other.
BOOL WINAPI RefuseQuitPacket(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped);

// Keeps a named mutex on a thread of its own, as another process would, from construction until
// the object goes or the time limit has passed (never for ever).
class NamedMutexKeeper {
public:
    NamedMutexKeeper(const char* name, DWORD limitMs);
    ~NamedMutexKeeper();
    NamedMutexKeeper(const NamedMutexKeeper&) = delete;
    NamedMutexKeeper& operator=(const NamedMutexKeeper&) = delete;

private:
    static DWORD WINAPI Keep(void* argument);
    std::string name_;
    DWORD limitMs_;
    ScopedHandle kept_;
    ScopedHandle letGo_;
    ScopedHandle thread_;
};

// Runs this test program again with the given arguments and the environment variables set
// (name, value pairs), waits for it and gives its exit code (or a Win32 error code when it cannot
// start).
DWORD RunSelf(const char* arguments, const std::vector<std::pair<std::string, std::string>>& environment);
}  // namespace testing_support
