#include "controls/texteditor/TextColumns.h"

namespace {
int Advance(int column, char c, int tabSize) { return c == '\t' ? column + tabSize - column % tabSize : column + 1; }
int ValidTabSize(int tabSize) { return tabSize < 1 ? 1 : tabSize; }
}  // namespace

int GetLineColumns(const char* chars, int length, int tabSize) {
    return ColumnOfChar(chars, length, length, tabSize);
}

int ColumnOfChar(const char* chars, int length, int charIndex, int tabSize) {
    tabSize = ValidTabSize(tabSize);
    if (charIndex > length) charIndex = length;
    int column = 0;
    for (int i = 0; i < charIndex; ++i) column = Advance(column, chars[i], tabSize);
    return column;
}

int CharOfColumn(const char* chars, int length, int column, int tabSize) {
    tabSize = ValidTabSize(tabSize);
    if (column <= 0) return 0;
    int total = 0;
    for (int i = 0; i < length; ++i) {
        total = Advance(total, chars[i], tabSize);
        if (total >= column) return total > column && total - tabSize / 2 >= column ? i : i + 1;
    }
    return length;
}

int CharAtColumn(const char* chars, int length, int column, int tabSize) {
    tabSize = ValidTabSize(tabSize);
    int total = 0;
    for (int i = 0; i < length; ++i) {
        total = Advance(total, chars[i], tabSize);
        if (total > column) return i;
    }
    return length;
}

void ExpandTabsForDisplay(const char* chars, int firstChar, int count, int tabSize, BOOL showTabs, CString& out) {
    std::string text;
    if (count > 0)
        ExpandTabsAt(chars, firstChar, count, ColumnOfChar(chars, firstChar + count, firstChar, tabSize), tabSize,
                     showTabs, text);
    out = CString(text);
}

int ExpandTabsAt(const char* chars, int firstChar, int count, int column, int tabSize, BOOL showTabs, std::string& out) {
    out.clear();
    tabSize = ValidTabSize(tabSize);
    for (int i = firstChar; i < firstChar + count; ++i) {
        const char c = chars[i];
        if (c == '\t') {
            const int cells = tabSize - column % tabSize;
            out += showTabs ? '\xBB' : ' ';
            out.append(cells - 1, ' ');
            column += cells;
        } else {
            out += showTabs && c == ' ' ? '\x95' : c;
            ++column;
        }
    }
    return column;
}
