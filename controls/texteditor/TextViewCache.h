// The view's per-line caches (parse states, line widths): one int per line, -1 for "not
// computed". A cache may be missing or shorter than the text (it was freed, or lines came since):
// every read checks the index, and a store makes room first.
#pragma once
#include <algorithm>
#include <vector>

namespace textview_cache {
inline int Get(const std::vector<int>& cache, int line) {
    return line >= 0 && line < static_cast<int>(cache.size()) ? cache[line] : -1;
}

inline void Store(std::vector<int>& cache, int line, int value, int lineCount) {
    if (line < 0 || line >= lineCount) return;
    if (static_cast<int>(cache.size()) < lineCount) cache.resize(lineCount, -1);
    cache[line] = value;
}

inline void Forget(std::vector<int>& cache, int line) {
    if (line >= 0 && line < static_cast<int>(cache.size())) cache[line] = -1;
}

inline void ForgetFrom(std::vector<int>& cache, int line) {
    if (line >= 0 && line < static_cast<int>(cache.size())) std::fill(cache.begin() + line, cache.end(), -1);
}

// After lines were inserted or removed from the line on: the entries before it stay, the rest is
// forgotten, and the cache takes the new line count.
inline void Refit(std::vector<int>& cache, int lineCount, int line) {
    if (cache.empty()) return;
    if (static_cast<int>(cache.size()) != lineCount) cache.resize(lineCount, -1);
    ForgetFrom(cache, line);
}
}  // namespace textview_cache
