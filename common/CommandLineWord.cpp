#include "common/CommandLineWord.h"

CString QuoteCommandLineWord(const CString& word) {
    CString quoted = "\"";
    int backslashes = 0;
    for (int i = 0; i < word.GetLength(); ++i) {
        char c = word[i];
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only in front of a quotation mark.
        quoted += CString('\\', c == '"' ? backslashes * 2 + 1 : backslashes);
        quoted += c;
        backslashes = 0;
    }
    quoted += CString('\\', backslashes * 2);
    quoted += '"';
    return quoted;
}
