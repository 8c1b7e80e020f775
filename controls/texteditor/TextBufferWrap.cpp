// Wrapping of the text buffer's long lines at the view's width: a paragraph is a line after a
// real line break and the continuation lines that wrapping split off it.
#include "controls/texteditor/TextBuffer.h"
#include <algorithm>
#include <cctype>
#include <string>

namespace {
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

void CTextBuffer::ReplaceLineRecords(int at, int count, std::vector<SLineInfo>& lines) {
    const int common = std::min(count, static_cast<int>(lines.size()));
    std::copy(lines.begin(), lines.begin() + common, lines_.begin() + at);
    if (count > common) {
        lines_.erase(lines_.begin() + at + common, lines_.begin() + at + count);
        InvalidateOffsets(at);
    } else {
        std::vector<SLineInfo> rest(lines.begin() + common, lines.end());
        InsertLines(at + common, rest);
    }
    lines.clear();
    InvalidateOffsets(at);
}

void CTextBuffer::ComputeBreaks(const char* chars, int length, std::vector<int>& breaks) const {
    breaks.clear();
    int start = 0;
    for (;;) {
        const int last = start - 1 + wrapWidth_;
        // A rest that fits stays whole, so no continuation line is ever empty.
        if (last >= length - 1) return;
        int next = last + 1;
        if (!IsBlank(chars[last])) {
            for (int i = last; i >= start; --i)
                if (IsBlank(chars[i])) {
                    next = i + 1;
                    break;
                }
        }
        breaks.push_back(next);
        start = next;
    }
}

int CTextBuffer::UnwrapParagraphs(int firstLine, int lastLine) {
    const int count = GetLineCount();
    if (count == 0) return lastLine;
    const int from = GetParagraphStartLine(firstLine);
    int to = std::min(std::max(lastLine, from), count - 1);
    while (to + 1 < count && !lines_[to + 1].paragraphStart) ++to;
    bool wrapped = false;
    for (int i = from + 1; i <= to && !wrapped; ++i) wrapped = !lines_[i].paragraphStart;
    if (!wrapped) return to;

    std::vector<SLineInfo> joined;
    for (int i = from; i <= to;) {
        int end = i + 1;
        while (end <= to && !lines_[end].paragraphStart) ++end;
        if (end == i + 1) {
            joined.push_back(lines_[i]);
        } else {
            std::string text;
            DWORD flags = 0;
            for (int k = i; k < end; ++k) {
                text.append(lines_[k].text, lines_[k].length);
                flags |= lines_[k].flags;
                delete[] lines_[k].text;
            }
            joined.push_back(NewLine(text.data(), static_cast<int>(text.size()), flags, lines_[i].paragraphStart));
        }
        i = end;
    }
    const int last = from + static_cast<int>(joined.size()) - 1;
    ReplaceLineRecords(from, to - from + 1, joined);
    return last;
}

int CTextBuffer::WrapLines(int firstLine, int lastLine) {
    bool longer = false;
    for (int i = firstLine; i <= lastLine && !longer; ++i) longer = lines_[i].length > wrapWidth_;
    if (!longer) return lastLine;

    std::vector<SLineInfo> pieces;
    std::vector<int> breaks;
    for (int i = firstLine; i <= lastLine; ++i) {
        const SLineInfo& line = lines_[i];
        if (line.length <= wrapWidth_) {
            pieces.push_back(line);
            continue;
        }
        ComputeBreaks(line.text, line.length, breaks);
        breaks.push_back(line.length);
        int start = 0;
        for (size_t k = 0; k < breaks.size(); ++k) {
            pieces.push_back(NewLine(line.text + start, breaks[k] - start, k == 0 ? line.flags : 0,
                                       k == 0 ? line.paragraphStart : FALSE));
            start = breaks[k];
        }
        delete[] line.text;
    }
    const int last = firstLine + static_cast<int>(pieces.size()) - 1;
    ReplaceLineRecords(firstLine, lastLine - firstLine + 1, pieces);
    return last;
}

void CTextBuffer::UnwrapAll() {
    if (!lines_.empty()) UnwrapParagraphs(0, GetLineCount() - 1);
}

void CTextBuffer::WrapAll() {
    if (!lines_.empty()) WrapLines(0, GetLineCount() - 1);
}

void CTextBuffer::SetWrapWidth(int width) {
    UnwrapAll();
    wrapWidth_ = std::max(5, width);
    WrapAll();
}
