// A system library loaded at run time with a fixed list of its functions looked up by name, for
// functions that older systems lack; the library is freed when the binder goes.
#pragma once
#include "classlib/HandleOwner.h"
#include <vector>

class LibraryBinder {
public:
    // Loads the library and looks up each name in order; a missing library or function throws
    // Exception with the failure text, and the library is freed again.
    LibraryBinder(const char* library, const char* const* names, size_t count, const char* failureText);
    LibraryBinder(const LibraryBinder&) = delete;
    LibraryBinder& operator=(const LibraryBinder&) = delete;

    // The function at the index of the name list, as the type it is called through.
    template <class Fn>
    Fn Get(size_t index) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(functions_.at(index)));
    }

private:
    ScopedModule module_;
    std::vector<FARPROC> functions_;
};
