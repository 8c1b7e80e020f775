// Display columns of a line: a tab advances to the next multiple of the tab size, every other
// byte takes one column. Tab sizes below 1 count as 1.
#pragma once
#include "classlib/CString.h"

// The width of the line in columns.
int GetLineColumns(const char* chars, int length, int tabSize);
// The column at which the char starts.
int ColumnOfChar(const char* chars, int length, int charIndex, int tabSize);
// The char that a column falls on, a column inside a tab rounding to the nearer edge; the line
// length past the end.
int CharOfColumn(const char* chars, int length, int column, int tabSize);
// The first char whose end column lies beyond the column (no rounding); the line length past the end.
int CharAtColumn(const char* chars, int length, int column, int tabSize);
// count chars from firstChar of the line as they are shown: tabs as blanks to the next stop, and
// with showTabs a tab's first cell as 0xBB and each blank as 0x95.
void ExpandTabsForDisplay(const char* chars, int firstChar, int count, int tabSize, BOOL showTabs, CString& out);
// The same for chars whose first starts at the given column, into a string whose room is reused
// from row to row; answers the column after the last char.
int ExpandTabsAt(const char* chars, int firstChar, int count, int column, int tabSize, BOOL showTabs, std::string& out);
