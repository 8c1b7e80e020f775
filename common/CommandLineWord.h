// Quoting one word for a command line so that the started program's own parsing (the C
// runtime's argv, which the service program reads its switches from) gives it back unchanged.
#pragma once
#include "classlib/CString.h"

// The word between quotation marks: a quotation mark inside it, and the backslashes right
// before one or before the closing mark, are escaped; other backslashes stay as they are.
CString QuoteCommandLineWord(const CString& word);
