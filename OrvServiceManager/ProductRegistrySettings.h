// The product's settings key: whether it names the generator's folder, and whether the
// generator's executable lies there.
#pragma once
#include "classlib/CString.h"

class ProductRegistrySettings {
public:
    ProductRegistrySettings(HKEY root, const char* subKey) : root_(root), subKey_(subKey) {}
    BOOL HasProgramPath();
    // "Orvanti.exe" exists in the folder ProgramPath names (blanks around it ignored).
    BOOL IsProductExecutablePresent();

private:
    HKEY root_;
    CString subKey_;
};
