#include "controls/texteditor/TextSearch.h"
#include "controls/texteditor/TextBuffer.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Upper-cases in place by the code page's rules.
void ToUpper(char* text, int length) {
    static unsigned char table[256];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
        char chars[256];
        std::memcpy(chars, table, sizeof(chars));
        CharUpperBuffA(chars + 1, 255);
        std::memcpy(table, chars, sizeof(table));
        table[0] = 0;
        made = true;
    }
    for (int i = 0; i < length; ++i) text[i] = static_cast<char>(table[static_cast<unsigned char>(text[i])]);
}

// Walks the paragraphs of a buffer, each as one text with its char offset.
class ParagraphSearch {
public:
    ParagraphSearch(const CTextBuffer& buffer, const char* text, DWORD flags)
        : buffer_(buffer), needle_(text), matchCase_((flags & FIND_MATCH_CASE) != 0),
          wholeWord_((flags & FIND_WHOLE_WORD) != 0) {
        if (!matchCase_) ToUpper(needle_.GetBufferSetLength(needle_.GetLength()), needle_.GetLength());
    }
    int NeedleLength() const { return needle_.GetLength(); }

    // The first hit that starts at or after from and ends at or before limit.
    bool Down(int from, int limit, int& hit) {
        int line = buffer_.GetParagraphStartLine(std::max(0, static_cast<int>(buffer_.OffsetToTextPos(from).y)));
        while (line < buffer_.GetLineCount()) {
            const int offset = Load(line);
            if (offset + NeedleLength() > limit) return false;
            const int index = FindWordInString(text_, needle_, wholeWord_, std::max(0, from - offset));
            if (index >= 0) {
                hit = offset + index;
                return hit + NeedleLength() <= limit;
            }
            line = NextParagraph(line);
        }
        return false;
    }

    // The last hit that starts at or after from and ends at or before limit.
    bool Up(int from, int limit, int& hit) {
        int line = buffer_.GetParagraphStartLine(std::max(0, static_cast<int>(buffer_.OffsetToTextPos(limit).y)));
        for (;;) {
            const int offset = Load(line);
            if (offset + text_.GetLength() < from + NeedleLength()) return false;
            int last = -1;
            for (int index = FindWordInString(text_, needle_, wholeWord_, std::max(0, from - offset));
                 index >= 0 && offset + index + NeedleLength() <= limit;
                 index = FindWordInString(text_, needle_, wholeWord_, index + 1))
                last = index;
            if (last >= 0) {
                hit = offset + last;
                return true;
            }
            if (line == 0) return false;
            line = buffer_.GetParagraphStartLine(line - 1);
        }
    }

private:
    int Load(int line) {
        buffer_.GetParagraphText(text_, 0, line);
        if (!matchCase_) ToUpper(text_.GetBufferSetLength(text_.GetLength()), text_.GetLength());
        return buffer_.TextPosToOffset(CPoint(0, line));
    }
    int NextParagraph(int line) const {
        do ++line;
        while (line < buffer_.GetLineCount() && !buffer_.IsParagraphStart(line));
        return line;
    }

    const CTextBuffer& buffer_;
    CString needle_;
    CString text_;
    bool matchCase_;
    bool wholeWord_;
};

CPoint ClampToText(const CTextBuffer& buffer, CPoint p) {
    const int count = buffer.GetLineCount();
    if (p.y >= count) return CPoint(buffer.GetLineLength(count - 1), count - 1);
    p.y = std::min(std::max(0, static_cast<int>(p.y)), count - 1);
    p.x = std::min(std::max(0, static_cast<int>(p.x)), buffer.GetLineLength(p.y));
    return p;
}
}  // namespace

int FindWordInString(const CString& haystack, const char* needle, BOOL wholeWord, int from) {
    if (!needle || !*needle) return -1;
    const std::string& text = haystack.str();
    const size_t length = std::strlen(needle);
    for (size_t at = from > 0 ? from : 0;; ++at) {
        at = text.find(needle, at, length);
        if (at == std::string::npos) return -1;
        if (!wholeWord) return static_cast<int>(at);
        const bool wordBefore = at > 0 && IsWordChar(text[at - 1]);
        const bool wordAfter = at + length < text.size() && IsWordChar(text[at + length]);
        if (!wordBefore && !wordAfter) return static_cast<int>(at);
    }
}

BOOL FindTextInRange(const CTextBuffer& buffer, const char* text, CPoint start, CPoint begin, CPoint end,
                     DWORD flags, BOOL wrap, CPoint& found) {
    if (!text || !*text || buffer.GetLineCount() == 0) return FALSE;
    begin = ClampToText(buffer, begin);
    end = ClampToText(buffer, end);
    int from = buffer.TextPosToOffset(begin), limit = buffer.TextPosToOffset(end);
    if (from > limit) std::swap(from, limit);
    if (from == limit) return FALSE;
    const int at = std::min(std::max(buffer.TextPosToOffset(ClampToText(buffer, start)), from), limit);

    ParagraphSearch search(buffer, text, flags);
    int hit = -1;
    bool ok;
    if (flags & FIND_DIRECTION_UP)
        ok = search.Up(from, at, hit) || (wrap && search.Up(from, limit, hit));
    else
        ok = search.Down(at, limit, hit) ||
             (wrap && search.Down(from, std::min(limit, at + search.NeedleLength() - 1), hit));
    if (!ok) return FALSE;
    found = buffer.OffsetToTextPos(hit);
    return TRUE;
}
