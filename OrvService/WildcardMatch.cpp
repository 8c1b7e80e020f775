#include "OrvService/WildcardMatch.h"

bool WildcardMatch(const char* name, const char* pattern) {
    // Up to the first '*' the two must agree character by character.
    while (*name && *pattern != '*') {
        if (*pattern != *name && *pattern != '?') return false;
        ++pattern;
        ++name;
    }
    // From there, backtrack to the last '*' on a mismatch, letting it swallow one more character.
    const char* afterStar = nullptr;
    const char* retryName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            if (!*++pattern) return true;
            afterStar = pattern;
            retryName = name + 1;
        } else if (*pattern == *name || *pattern == '?') {
            ++pattern;
            ++name;
        } else {
            pattern = afterStar;
            name = retryName++;
        }
    }
    while (*pattern == '*') ++pattern;
    return !*pattern;
}
