#include "support/TestSupport.h"
#include <filesystem>
#include <fstream>
#include <sstream>
#include <atomic>

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

}  // namespace testing_support
