// The line colourings: each takes the state left by the line before and answers the state at
// the end of this line, appending the line's blocks when a list is given.
#pragma once
#include "controls/texteditor/TextBlockList.h"

// Colour indices the parsers give their blocks.
enum {
    COLORINDEX_NORMALTEXT = 2,
    COLORINDEX_TAG = 6,
    COLORINDEX_COMMENT = 7,
    COLORINDEX_STRING = 10,
    COLORINDEX_ATTRIBUTE = 11,
    COLORINDEX_CDATA = 18,
    COLORINDEX_LOG_ERROR = 19,
    COLORINDEX_LOG_WARNING = 20,
    COLORINDEX_LOG_BRACED = 21,
};

// Service log lines: "Warning:" and "Error:" lines in their colours, text in braces apart.
int ParseLogLine(int state, const char* chars, int length, CTextBlockList* blocks);
// Markup: tags, attributes, quoted values, comments and CDATA sections, carried across lines.
int ParseMarkupLine(int state, const char* chars, int length, CTextBlockList* blocks);
