// Test helper: ProgramFolderProbe OUTPUT writes the program folder it finds for itself into
// the file OUTPUT; exits with 2 when the folder cannot be had.
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    CString folder;
    try {
        folder = DirUtils::GetProgramFolder();
    } catch (const Exception&) {
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 3;
    std::fputs(folder, out);
    std::fclose(out);
    return 0;
}
