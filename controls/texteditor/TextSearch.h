// Finding text in a text buffer: one string in another, and a search over a range of the buffer.
#pragma once
#include "classlib/CString.h"
#include "classlib/Geometry.h"

class CTextBuffer;

enum {
    FIND_MATCH_CASE = 0x0001,
    FIND_WHOLE_WORD = 0x0002,
    FIND_DIRECTION_UP = 0x0010,
};

// The index of the first occurrence of the needle at or after `from`, -1 when none (also for an
// empty needle). With wholeWord an occurrence counts only when neither the byte before it nor
// the one after it is a letter, digit or "_".
int FindWordInString(const CString& haystack, const char* needle, BOOL wholeWord, int from = 0);

// Finds the text within begin..end (a hit must lie wholly inside), downwards from start, or
// upwards before it with FIND_DIRECTION_UP, taking the nearest hit; with wrap the search goes
// round the range once. FALSE for an empty text or range.
BOOL FindTextInRange(const CTextBuffer& buffer, const char* text, CPoint start, CPoint begin, CPoint end,
                     DWORD flags, BOOL wrap, CPoint& found);
