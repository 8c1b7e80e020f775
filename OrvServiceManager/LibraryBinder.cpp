#include "OrvServiceManager/LibraryBinder.h"
#include "common/Exception.h"

LibraryBinder::LibraryBinder(const char* library, const char* const* names, size_t count, const char* failureText)
    : module_(LoadLibraryA(library)) {
    if (!module_) throw Exception(failureText);
    for (size_t i = 0; i < count; ++i) {
        FARPROC function = GetProcAddress(module_.Get(), names[i]);
        if (!function) throw Exception(failureText);
        functions_.push_back(function);
    }
}
