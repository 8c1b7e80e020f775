// Temporary wrapper objects for handles the program does not own (FromHandle of windows, DCs,
// GDI objects, menus, image lists): one map per type and thread, emptied when the thread's
// message loop is idle (AfxDeleteTempMaps). The wrapper gives its handle up before it is deleted,
// so a temporary never destroys what it wraps.
#pragma once
#include <unordered_map>

namespace tempmap {
// Adds a map's emptying function to this thread's list (once per map).
void RegisterCleaner(void (*clean)());
// Empties every temporary map of this thread.
void CleanAll();
}  // namespace tempmap

// Frees the thread's temporary objects (windows, DCs, GDI objects, menus, image lists).
void AfxDeleteTempMaps();

// T is default-constructible and has static `AttachTemporary(T*, H)` (wrap the handle without
// owning it) and `ForgetTemporary(T*)` (let go of it).
template <class T, class H>
class TempMap {
public:
    static T* Get(H handle) {
        auto& map = Map();
        auto it = map.find(handle);
        if (it != map.end()) return it->second;
        T* object = new T;
        T::AttachTemporary(object, handle);
        map[handle] = object;
        return object;
    }
    static void Clean() {
        auto& map = Map();
        for (auto& entry : map) {
            T::ForgetTemporary(entry.second);
            delete entry.second;
        }
        map.clear();
    }
    // Frees the temporary of the handle, if there is one (a permanent object takes the handle).
    static void Remove(H handle) {
        auto& map = Map();
        auto it = map.find(handle);
        if (it == map.end()) return;
        T* object = it->second;
        map.erase(it);
        T::ForgetTemporary(object);
        delete object;
    }
    static int Count() { return static_cast<int>(Map().size()); }

private:
    struct Holder {
        std::unordered_map<H, T*> map;
        bool registered = false;
        ~Holder() {
            for (auto& entry : map) {
                T::ForgetTemporary(entry.second);
                delete entry.second;
            }
        }
    };
    static std::unordered_map<H, T*>& Map() {
        thread_local Holder holder;
        if (!holder.registered) {
            holder.registered = true;
            tempmap::RegisterCleaner(&Clean);
        }
        return holder.map;
    }
};
