#include "OrvServiceManager/ProductRegistrySettings.h"
#include "OrvServiceManager/StringFileHelpers.h"
#include "OrvServiceManager/WindowsRegistry.h"
#include <boost/algorithm/string/trim.hpp>
#include <io.h>

BOOL ProductRegistrySettings::HasProgramPath() { return WindowsRegistry(root_).ValueExists(subKey_, "ProgramPath"); }

BOOL ProductRegistrySettings::IsProductExecutablePresent() {
    std::string folder = WindowsRegistry(root_).GetString(subKey_, "ProgramPath").str();
    boost::algorithm::trim_if(folder, [](char c) { return c == ' '; });
    if (folder.empty()) return FALSE;
    return _access(JoinPaths(folder, "Orvanti.exe").c_str(), 0) == 0;
}
