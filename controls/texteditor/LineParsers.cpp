#include "controls/texteditor/LineParsers.h"
#include <cctype>
#include <cstring>

namespace {
enum { LogWarning = 0x80, LogError = 0x100, LogBraced = 0x200 };
enum {
    MarkupRestIsComment = 0x1,
    MarkupSingleQuoted = 0x2,
    MarkupComment = 0x4,
    MarkupDoubleQuoted = 0x8,
    MarkupTag = 0x10,
    MarkupPastTagName = 0x20,
    MarkupCData = 0x40,
};

void Add(CTextBlockList* blocks, int charPos, int colorIndex) {
    if (blocks) blocks->Append(charPos, colorIndex);
}

bool StartsWithNoCase(const char* chars, int length, const char* prefix) {
    const int n = static_cast<int>(std::strlen(prefix));
    if (length < n) return false;
    for (int i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(chars[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// Whether the marker starts at i and ends inside the line.
bool MarkerAt(const char* chars, int length, int i, const char* marker) {
    const int n = static_cast<int>(std::strlen(marker));
    return i + n <= length && std::memcmp(chars + i, marker, n) == 0;
}

int LogColor(int state) {
    if (state & LogError) return COLORINDEX_LOG_ERROR;
    if (state & LogWarning) return COLORINDEX_LOG_WARNING;
    if (state & LogBraced) return COLORINDEX_LOG_BRACED;
    return COLORINDEX_NORMALTEXT;
}

int MarkupColor(int state) {
    if (state & (MarkupRestIsComment | MarkupComment)) return COLORINDEX_COMMENT;
    if (state & (MarkupSingleQuoted | MarkupDoubleQuoted)) return COLORINDEX_STRING;
    if ((state & MarkupTag) && (state & MarkupPastTagName)) return COLORINDEX_ATTRIBUTE;
    if (state & (MarkupTag | MarkupSingleQuoted)) return COLORINDEX_TAG;
    return COLORINDEX_NORMALTEXT;
}
}  // namespace

int ParseLogLine(int state, const char* chars, int length, CTextBlockList* blocks) {
    bool due = true;
    for (int i = 0; i < length; ++i) {
        if (due) {
            Add(blocks, i, LogColor(state));
            due = false;
        }
        if (i == 0) {
            // Only the start of a line decides its colour; nothing carries over from the line before.
            Add(blocks, 0, COLORINDEX_NORMALTEXT);
            if (StartsWithNoCase(chars, length, "Warning:")) {
                Add(blocks, 0, COLORINDEX_LOG_WARNING);
                state = LogWarning;
                continue;
            }
            if (StartsWithNoCase(chars, length, "Error:")) {
                Add(blocks, 0, COLORINDEX_LOG_ERROR);
                state = LogError;
                continue;
            }
            state = 0;
        }
        if (i > 0 && chars[i - 1] == '{') {
            Add(blocks, i, COLORINDEX_LOG_BRACED);
            state |= LogBraced;
        } else if ((state & LogBraced) && i + 1 < length && chars[i + 1] == '}') {
            state &= ~LogBraced;
            due = true;
        }
    }
    return state;
}

int ParseMarkupLine(int state, const char* chars, int length, CTextBlockList* blocks) {
    bool due = true;
    for (int i = 0; i < length; ++i) {
        if (due) {
            Add(blocks, i, MarkupColor(state));
            due = false;
        }
        const char c = chars[i];
        const bool quotable = (state & MarkupTag) && !(state & (MarkupComment | MarkupCData));
        if (state & MarkupRestIsComment) {
            Add(blocks, i, COLORINDEX_COMMENT);
            break;
        } else if (state & MarkupDoubleQuoted) {
            if (c == '"') {
                state &= ~MarkupDoubleQuoted;
                due = true;
            }
        } else if (c == '"' && quotable) {
            Add(blocks, i, COLORINDEX_STRING);
            state |= MarkupDoubleQuoted;
        } else if ((state & MarkupSingleQuoted) && c == '\'') {
            state &= ~MarkupSingleQuoted;
            due = true;
        } else if (c == '\'' && quotable) {
            Add(blocks, i, COLORINDEX_STRING);
            state |= MarkupSingleQuoted;
        } else if (MarkerAt(chars, length, i, "<!--")) {
            Add(blocks, i, COLORINDEX_COMMENT);
            state |= MarkupComment;
        } else if (state & MarkupTag) {
            if (c == '>') {
                Add(blocks, i, COLORINDEX_TAG);
                due = true;
                state &= ~(MarkupSingleQuoted | MarkupDoubleQuoted | MarkupTag | MarkupPastTagName);
            } else if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != ':' && c != '/') {
                state |= MarkupPastTagName;
                due = true;
            }
        } else if (!(state & MarkupComment)) {
            if (MarkerAt(chars, length, i, "<![CDATA[")) {
                Add(blocks, i, COLORINDEX_CDATA);
                i += 8;
                state |= MarkupCData;
                due = true;
            } else if ((state & MarkupCData) && MarkerAt(chars, length, i, "]]>")) {
                Add(blocks, i, COLORINDEX_CDATA);
                i += 2;
                state &= ~MarkupCData;
                due = true;
            } else if (c == '<') {
                Add(blocks, i, COLORINDEX_TAG);
                state |= MarkupTag;
            }
        } else if (c == '>' && i > 1 && chars[i - 2] == '-' && chars[i - 1] == '-') {
            state &= ~MarkupComment;
            due = true;
        }
    }
    return state;
}
