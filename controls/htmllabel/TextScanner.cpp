#include "controls/htmllabel/TextScanner.h"
#include <cstring>

const char TextScanner::kBlanks[] = " \t\r\n";

namespace {
bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }
}  // namespace

bool TextScanner::SkipToWord() {
    while (!AtEnd() && !IsWordStart(Current())) ++pos_;
    return !AtEnd();
}

char TextScanner::ScanToAny(const char* set) {
    while (!AtEnd() && !InSet(Current(), set)) ++pos_;
    return AtEnd() ? '\0' : Current();
}

char TextScanner::SkipAny(const char* set) {
    while (!AtEnd() && InSet(Current(), set)) ++pos_;
    return AtEnd() ? '\0' : Current();
}

bool TextScanner::Expect(char expected) {
    SkipAny(kBlanks);
    if (AtEnd() || Current() != expected) return false;
    ++pos_;
    return true;
}

CString TextScanner::ReadToAny(const char* set) {
    const int start = pos_;
    ScanToAny(set);
    return text_.Mid(start, pos_ - start);
}

CString TextScanner::ReadValue(char separator, const char* terminators) {
    if (!Expect(separator)) return CString();
    CString skipped(kBlanks);
    skipped += terminators;
    SkipAny(skipped);
    if (AtEnd()) return CString();
    if (Current() == '"') {
        int close = text_.Find('"', pos_ + 1);
        if (close < 0) {
            pos_ = text_.GetLength();
            return CString();
        }
        CString value = text_.Mid(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        return value;
    }
    return ReadToAny(terminators);
}
