#include "support/TestSupport.h"
#include "common/DirUtils.h"
#include "common/ProcessRunner.h"
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <aclapi.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testing_support {

CString BinFolder() {
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    CString p(path);
    int slash = p.ReverseFind('\\');
    return slash >= 0 ? p.Left(slash) : CString(".");
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    CString base(temp);
    if (!base.IsEmpty() && base[base.GetLength() - 1] != '\\') base += "\\";
    for (;;) {
        path_.Format("%sorvtest-%lu-%d-%lu", static_cast<LPCSTR>(base), GetCurrentProcessId(), counter++,
                     GetTickCount());
        if (CreateDirectoryA(path_, nullptr)) break;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path_.str()), ec);
}

CString ScratchFolder::File(const char* name) const { return path_ + "\\" + name; }

const char* const kProductSettingsKey = "Software\\Brellix\\Orvanti\\Settings";

SavedRegistryValue::SavedRegistryValue(const char* keyPath, const char* name) : keyPath_(keyPath), name_(name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD size = sizeof(data_);
    present_ = RegQueryValueExA(key, name, nullptr, &type_, data_, &size) == ERROR_SUCCESS;
    size_ = size;
    RegCloseKey(key);
}

SavedRegistryValue::~SavedRegistryValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath_, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (present_)
        RegSetValueExA(key, name_, 0, type_, data_, size_);
    else
        RegDeleteValueA(key, name_);
    RegCloseKey(key);
}

bool InstallStandInGenerator(const CString& folder) {
    CreateDirectoryA(folder, nullptr);
    if (!CopyFileA(BinFolder() + "\\StandInOrvanti.exe", folder + "\\Orvanti.exe", FALSE)) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, "ProgramPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.GetString()),
                            folder.GetLength() + 1);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

void StopAndDeleteService(const char* name) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return;
    SC_HANDLE service = OpenServiceA(manager, name, DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status = {};
        if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            for (int i = 0; i < 200 && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
                 ++i)
                Sleep(50);
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

namespace {
// The host's path of a Wine path ("" off Wine).
std::string HostPath(const CString& path) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(path.GetString(), path.GetString() + path.GetLength());
    char* name = unixName ? unixName(wide.c_str()) : nullptr;
    std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a program of the host system, of which Wine gives no exit code, and waits (5 s at most)
// until what it was run for is done.
bool RunHostCommand(const std::string& commandLine, const std::function<bool()>& done) {
    HANDLE process = INVALID_HANDLE_VALUE;
    if (ProcessRunner::Start(commandLine.c_str(), process)) CloseHandle(process);
    for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
    return done();
}

std::function<bool()> IsThere(const CString& path, bool there) {
    return [path, there] { return (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) == there; };
}

// The host's path of the link's folder joined with its name: the link itself is not there yet.
std::string HostLinkPath(const CString& link) {
    const std::string folder = HostPath(DirUtils::GetParentFolder(link));
    return folder.empty() ? folder : folder + "/" + DirUtils::GetFileName(link).str();
}
}  // namespace

bool MakeHostFolderLink(const CString& folder, const CString& link) {
    const std::string target = HostPath(folder), host = HostLinkPath(link);
    if (target.empty() || host.empty()) return false;
    RunHostCommand("Z:\\bin\\ln -s \"" + target + "\" \"" + host + "\"", IsThere(link, true));
    return true;
}

void RemoveHostLink(const CString& link) {
    const std::string host = HostLinkPath(link);
    if (!host.empty()) RunHostCommand("Z:\\bin\\rm -f \"" + host + "\"", IsThere(link, false));
}

bool IsFolderLink(const CString& path) {
    const DWORD attributes = GetFileAttributesA(path);
    const DWORD wanted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & wanted) == wanted;
}

bool GiveToAnotherUnixUser(const CString& path) {
    const std::string host = HostPath(path);
    BYTE anonymous[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(anonymous);
    if (host.empty() || !CreateWellKnownSid(WinAnonymousSid, nullptr, anonymous, &size)) return false;
    auto given = [&path, &anonymous] {
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                                  &descriptor) != ERROR_SUCCESS)
            return false;
        const bool anonymousOwns = owner && EqualSid(owner, anonymous);
        LocalFree(descriptor);
        return anonymousOwns;
    };
    return RunHostCommand("Z:\\bin\\chown 65534 \"" + host + "\"", given);
}

std::string FileIdentity(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information)) return std::string();
    char text[64];
    std::snprintf(text, sizeof(text), "%lx:%lx:%lx", information.dwVolumeSerialNumber, information.nFileIndexHigh,
                  information.nFileIndexLow);
    return text;
}

std::string FileIdentity(const CString& path) {
    ScopedHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? FileIdentity(file.Get()) : std::string();
}

void WriteFileBytes(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

ScopedHandle HoldExclusively(const char* path) {
    return ScopedHandle(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

TimeZoneScope::TimeZoneScope(const char* tz) : hadOld_(false) {
    const char* old = std::getenv("TZ");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    _putenv_s("TZ", tz);
    _tzset();
}

TimeZoneScope::~TimeZoneScope() {
    _putenv_s("TZ", hadOld_ ? old_.c_str() : "");
    _tzset();
}

RunResult RunProgram(const std::string& program, const std::string& arguments, const std::string& outputFile) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        result.exitCode = GetLastError();
        result.output = "cannot create the output file";
        return result;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        result.exitCode = GetLastError();
        result.output = "cannot start " + commandLine;
        CloseHandle(output);
        return result;
    }
    CloseHandle(output);
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, WAIT_TIMEOUT);
        WaitForSingleObject(process.hProcess, 5000);
        result.output = "timed out: ";
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    result.output += ReadFileBytes(outputFile.c_str());
    return result;
}

BOOL WINAPI RefuseQuitPacket(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped) {
    if (key != 0) return PostQueuedCompletionStatus(port, bytes, key, overlapped);
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return FALSE;
}

NamedMutexKeeper::NamedMutexKeeper(const char* name, DWORD limitMs)
    : name_(name),
      limitMs_(limitMs),
      kept_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      letGo_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_(CreateThread(nullptr, 0, Keep, this, 0, nullptr)) {
    WaitForSingleObject(kept_.Get(), 15000);
}

NamedMutexKeeper::~NamedMutexKeeper() {
    SetEvent(letGo_.Get());
    WaitForSingleObject(thread_.Get(), limitMs_ + 15000);
}

DWORD WINAPI NamedMutexKeeper::Keep(void* argument) {
    NamedMutexKeeper* keeper = static_cast<NamedMutexKeeper*>(argument);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, keeper->name_.c_str());
    const DWORD got = WaitForSingleObject(mutex, 10000);
    SetEvent(keeper->kept_.Get());
    WaitForSingleObject(keeper->letGo_.Get(), keeper->limitMs_);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

DWORD RunSelf(const char* arguments, const std::vector<std::pair<std::string, std::string>>& environment) {
    char self[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    CString commandLine;
    commandLine.Format("\"%s\" %s", self, arguments ? arguments : "");

    // The child inherits the process environment block, which the C runtime's copy ignores.
    std::vector<std::pair<std::string, std::string>> saved;
    std::vector<bool> hadSaved;
    for (const auto& var : environment) {
        char previous[4096] = "";
        hadSaved.push_back(GetEnvironmentVariableA(var.first.c_str(), previous, sizeof(previous)) > 0);
        saved.emplace_back(var.first, previous);
        SetEnvironmentVariableA(var.first.c_str(), var.second.c_str());
    }
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<char> writable(commandLine.str().begin(), commandLine.str().end());
    writable.push_back('\0');
    const BOOL started =
        CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    const DWORD startError = GetLastError();
    for (size_t i = 0; i < saved.size(); ++i)
        SetEnvironmentVariableA(saved[i].first.c_str(), hadSaved[i] ? saved[i].second.c_str() : nullptr);
    if (!started) return startError;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace testing_support
