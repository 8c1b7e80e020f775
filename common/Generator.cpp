#include "common/Generator.h"
#include "common/DirUtils.h"
#include "common/RegUtils.h"

CString Generator::GetProgramPath() {
    CString path;
    if (!RegUtils::ReadString(HKEY_LOCAL_MACHINE, GetSettingsKey(), "ProgramPath", path))
        return CString();
    path.Trim();
    return path;
}

CString Generator::GetExecutablePath() {
    CString folder = GetProgramPath();
    if (folder.IsEmpty()) return CString();
    return DirUtils::JoinPath(folder, "Orvanti.exe");
}
