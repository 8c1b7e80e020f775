// Reads a text from a position onward: the small scanner under the style sheets and the markup.
#pragma once
#include "classlib/CString.h"

class TextScanner {
public:
    explicit TextScanner(const CString& text, int position = 0) : text_(text), pos_(position) {}

    int Position() const { return pos_; }
    void SetPosition(int position) { pos_ = position; }
    bool AtEnd() const { return pos_ >= text_.GetLength(); }
    char Current() const { return text_.GetAt(pos_); }

    // Advances to the next digit, letter or "."; false at the end of the text.
    bool SkipToWord();
    // Advances to the first character of the set and gives it; 0 at the end.
    char ScanToAny(const char* set);
    // Advances as ScanToAny does and gives the text passed over.
    CString ReadToAny(const char* set);
    // Advances over the characters of the set and gives the first other one; 0 at the end.
    char SkipAny(const char* set);
    // After blanks: steps over the character when it is the one expected.
    bool Expect(char expected);
    // The value after the separator, up to a terminator or the end; a value in double quotes
    // runs to the closing quote (empty without one). Empty without the separator.
    CString ReadValue(char separator, const char* terminators);

    static bool IsWordStart(char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.';
    }
    static const char kBlanks[];

private:
    const CString& text_;
    int pos_;
};
