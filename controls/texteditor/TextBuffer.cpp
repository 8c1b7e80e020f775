#include "controls/texteditor/TextBuffer.h"
#include <algorithm>
#include <cstring>

namespace {
const char* const kSeparators[] = {"\r\n", "\n\r", "\n"};

int CapacityFor(int length) { return length / 16 * 16 + 16; }

bool SingleBit(DWORD flag) { return flag != 0 && (flag & (flag - 1)) == 0; }
}  // namespace

// ---- Update contexts ----

CUpdateContext::CUpdateContext(const CTextBuffer& buffer, int start, int length, int firstLine)
    : start_(start), length_(length), buffer_(buffer), firstLine_(firstLine), firstOffset_(0) {
    const std::vector<SLineInfo>& lines = buffer.lines_;
    if (firstLine_ > 0) firstOffset_ = buffer.LineEndOffset(firstLine_ - 1);
    saved_.reserve(lines.size() - firstLine_);
    for (size_t i = firstLine_; i < lines.size(); ++i) {
        SLineInfo line = {nullptr, 0, lines[i].length, 0, lines[i].paragraphStart};
        saved_.push_back(line);
    }
}

int CUpdateContext::SavedOffset(const CPoint& point) const {
    const int savedCount = firstLine_ + static_cast<int>(saved_.size());
    if (point.y < 0) return -1;
    if (point.y < firstLine_) return buffer_.LineStartOffset(point.y) + point.x;
    int y = point.y, x = point.x;
    if (y == savedCount && x == 0 && savedCount > 0) {
        // The line after the last one stands for the end of the text.
        y = savedCount - 1;
        x = y >= firstLine_ ? saved_[y - firstLine_].length : buffer_.lines_[y].length;
        if (y < firstLine_) return buffer_.LineStartOffset(y) + x;
    }
    if (y >= savedCount) return -1;
    int offset = firstOffset_;
    for (int i = firstLine_; i <= y; ++i) {
        const SLineInfo& line = saved_[i - firstLine_];
        if (line.paragraphStart && i > 0) ++offset;
        if (i < y) offset += line.length;
    }
    return offset + x;
}

CPoint CUpdateContext::ClampPoint(int offset) const {
    CPoint point = buffer_.OffsetToTextPos(offset);
    const int count = buffer_.GetLineCount();
    if (count == 0) return CPoint(0, 0);
    if (point.y < 0) {
        // Past the end: the end of the last line.
        point.y = offset < 0 ? 0 : count - 1;
        point.x = offset < 0 ? 0 : buffer_.GetLineLength(count - 1);
    }
    point.y = std::min(std::max(0, static_cast<int>(point.y)), count - 1);
    point.x = std::min(std::max(0, static_cast<int>(point.x)), buffer_.GetLineLength(point.y));
    return point;
}

void CTextBuffer::CInsertContext::RecalcPoint(CPoint& point) {
    int offset = SavedOffset(point);
    if (offset > start_) offset += length_;
    point = ClampPoint(offset);
}

void CTextBuffer::CDeleteContext::RecalcPoint(CPoint& point) {
    int offset = SavedOffset(point);
    if (offset >= start_ + length_)
        offset -= length_;
    else if (offset > start_)
        offset = start_;
    point = ClampPoint(offset);
}

// ---- Construction and line records ----

SLineInfo CTextBuffer::NewLine(const char* chars, int length, DWORD flags, BOOL paragraphStart) {
    SLineInfo line;
    line.capacity = CapacityFor(length);
    line.text = new char[line.capacity];
    if (length > 0) std::memcpy(line.text, chars, length);
    line.length = length;
    line.flags = flags;
    line.paragraphStart = paragraphStart;
    return line;
}

CTextBuffer::CTextBuffer()
    : createBackupFile_(FALSE), undoLimit_(DefaultUndoLimit), initialized_(FALSE), readOnly_(FALSE),
      modified_(FALSE), style_(StyleDos), wrapWidth_(DefaultWrapWidth), undoPosition_(0), savedPosition_(0),
      groupOpen_(FALSE), groupBegins_(FALSE), groupAddedRecord_(FALSE), validOffsets_(0) {}

CTextBuffer::~CTextBuffer() { FreeLines(); }

void CTextBuffer::FreeLines() {
    for (SLineInfo& line : lines_) delete[] line.text;
    lines_.clear();
    InvalidateOffsets(0);
}

void CTextBuffer::ReleaseAll() {
    FreeLines();
    FreeUndo();
    initialized_ = FALSE;
    groupOpen_ = groupBegins_ = groupAddedRecord_ = FALSE;
}

void CTextBuffer::ResetAfterLoad(int style, BOOL readOnly) {
    style_ = style;
    initialized_ = TRUE;
    readOnly_ = readOnly;
    modified_ = FALSE;
    groupOpen_ = groupBegins_ = groupAddedRecord_ = FALSE;
    undoLimit_ = DefaultUndoLimit;
    undoPosition_ = savedPosition_ = 0;
    InvalidateOffsets(0);
}

BOOL CTextBuffer::InitNew(int style) {
    ReleaseAll();
    std::vector<SLineInfo> lines(1, NewLine("", 0, 0, TRUE));
    InsertLines(0, lines);
    ResetAfterLoad(style >= StyleDos && style <= StyleMac ? style : StyleDos, FALSE);
    UpdateViews(nullptr, nullptr, UpdateReset, -1);
    return TRUE;
}

void CTextBuffer::InsertLines(int at, std::vector<SLineInfo>& lines) {
    const size_t needed = lines_.size() + lines.size();
    if (needed > lines_.capacity()) {
        // Whole steps of 4096 records, at least half as many again as there are.
        size_t grown = std::max(needed, lines_.size() + lines_.size() / 2);
        lines_.reserve((grown + 4095) / 4096 * 4096);
    }
    lines_.insert(lines_.begin() + at, lines.begin(), lines.end());
    lines.clear();
    InvalidateOffsets(at);
}

void CTextBuffer::RemoveLines(int at, int count) {
    if (count <= 0) return;
    for (int i = at; i < at + count; ++i) delete[] lines_[i].text;
    lines_.erase(lines_.begin() + at, lines_.begin() + at + count);
    InvalidateOffsets(at);
}

void CTextBuffer::SetLineText(int line, const char* chars, int length) {
    TruncateLine(line, 0);
    AppendLineText(line, chars, length);
}

void CTextBuffer::AppendLineText(int line, const char* chars, int length) {
    if (length <= 0) return;
    SLineInfo& info = lines_[line];
    const int newLength = info.length + length;
    if (newLength >= info.capacity) {
        const int capacity = CapacityFor(newLength);
        char* text = new char[capacity];
        if (info.length > 0) std::memcpy(text, info.text, info.length);
        delete[] info.text;
        info.text = text;
        info.capacity = capacity;
    }
    std::memmove(info.text + info.length, chars, length);
    info.length = newLength;
    InvalidateOffsets(line + 1);
}

void CTextBuffer::TruncateLine(int line, int length) {
    if (length < lines_[line].length) {
        lines_[line].length = std::max(0, length);
        InvalidateOffsets(line + 1);
    }
}

// ---- Offsets ----

void CTextBuffer::InvalidateOffsets(int line) const {
    if (line < validOffsets_) validOffsets_ = std::max(0, line);
}

int CTextBuffer::LineStartOffset(int line) const {
    if (line >= validOffsets_) {
        if (lineOffsets_.size() < lines_.size()) lineOffsets_.resize(lines_.size());
        int i = validOffsets_;
        int offset = i == 0 ? 0 : lineOffsets_[i - 1] + lines_[i - 1].length;
        for (; i <= line; ++i) {
            if (i > 0 && lines_[i].paragraphStart) ++offset;
            lineOffsets_[i] = offset;
            offset += lines_[i].length;
        }
        validOffsets_ = line + 1;
    }
    return lineOffsets_[line];
}

int CTextBuffer::LineOfOffset(int offset) const {
    // The first line that ends at or after the offset: a wrap break belongs to the line before it.
    int low = 0, high = GetLineCount() - 1;
    LineStartOffset(high);
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (lineOffsets_[mid] + lines_[mid].length >= offset)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

int CTextBuffer::TextPosToOffset(const CPoint& position) const {
    const int count = GetLineCount();
    if (position.y == count && position.x == 0 && count > 0) return LineEndOffset(count - 1);
    if (position.y < 0 || position.y >= count) return -1;
    return LineStartOffset(position.y) + position.x;
}

CPoint CTextBuffer::OffsetToTextPos(int offset) const {
    if (offset == 0 && !lines_.empty()) return CPoint(0, 0);
    if (lines_.empty() || offset < 0 || offset > LineEndOffset(GetLineCount() - 1)) return CPoint(-1, -1);
    const int line = LineOfOffset(offset);
    return CPoint(offset - LineStartOffset(line), line);
}

BOOL CTextBuffer::IsSoftBreakAt(int charIndex, int line) const {
    return line >= 0 && line + 1 < GetLineCount() && charIndex == lines_[line].length &&
           !lines_[line + 1].paragraphStart;
}

int CTextBuffer::GetParagraphStartLine(int line) const {
    if (line >= GetLineCount()) line = GetLineCount() - 1;
    while (line > 0 && !lines_[line].paragraphStart) --line;
    return std::max(0, line);
}

// ---- Reading ----

int CTextBuffer::GetLineLength(int line) const {
    return line >= 0 && line < GetLineCount() ? lines_[line].length : 0;
}

const char* CTextBuffer::GetLineChars(int line) const {
    return line >= 0 && line < GetLineCount() ? lines_[line].text : "";
}

DWORD CTextBuffer::GetLineFlags(int line) const {
    return line >= 0 && line < GetLineCount() ? lines_[line].flags : 0;
}

BOOL CTextBuffer::IsParagraphStart(int line) const {
    return line >= 0 && line < GetLineCount() ? lines_[line].paragraphStart : FALSE;
}

const char* CTextBuffer::GetLineEndSeparator(int style) {
    return style >= StyleDos && style <= StyleMac ? kSeparators[style] : kSeparators[StyleDos];
}

void CTextBuffer::SetLineEndStyle(int style) {
    if (style >= StyleDos && style <= StyleMac) style_ = style;
}

BOOL CTextBuffer::GetText(CString& out, int style, BOOL markSaved) {
    const char* separator = GetLineEndSeparator(style >= StyleDos && style <= StyleMac ? style : style_);
    const size_t separatorLength = std::strlen(separator);
    size_t total = 0;
    for (size_t i = 0; i < lines_.size(); ++i)
        total += lines_[i].length + (i > 0 && lines_[i].paragraphStart ? separatorLength : 0);
    char* p = out.GetBufferSetLength(static_cast<int>(total));
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0 && lines_[i].paragraphStart) {
            std::memcpy(p, separator, separatorLength);
            p += separatorLength;
        }
        if (lines_[i].length > 0) std::memcpy(p, lines_[i].text, lines_[i].length);
        p += lines_[i].length;
    }
    if (markSaved) {
        SetModified(FALSE);
        savedPosition_ = undoPosition_;
    }
    return TRUE;
}

void CTextBuffer::GetTextRange(int startLine, int startChar, int endLine, int endChar, CString& out,
                               const char* separator) const {
    ReadRange(startLine, startChar, endLine, endChar, out, separator, nullptr);
}

BOOL CTextBuffer::ReadRange(int startLine, int startChar, int endLine, int endChar, CString& out,
                            const char* separator, std::vector<int>* breaks) const {
    out.Empty();
    if (breaks) breaks->clear();
    const int count = GetLineCount();
    if (count == 0) return FALSE;
    if (!separator) separator = kSeparators[StyleDos];
    startLine = std::min(std::max(0, startLine), count - 1);
    endLine = std::min(std::max(0, endLine), count - 1);
    startChar = std::min(std::max(0, startChar), lines_[startLine].length);
    endChar = std::min(std::max(0, endChar), lines_[endLine].length);
    if (startLine > endLine || (startLine == endLine && startChar >= endChar)) return FALSE;
    if (startLine == endLine) {
        out = CString(lines_[startLine].text + startChar, endChar - startChar);
        return std::memchr(lines_[startLine].text + startChar, '\r', endChar - startChar) != nullptr;
    }
    const size_t separatorLength = std::strlen(separator);
    size_t total = lines_[startLine].length - startChar;
    for (int i = startLine + 1; i <= endLine; ++i)
        total += (i < endLine ? lines_[i].length : endChar) + (lines_[i].paragraphStart ? separatorLength : 0);
    char* const begin = out.GetBufferSetLength(static_cast<int>(total));
    char* p = begin;
    std::memcpy(p, lines_[startLine].text + startChar, lines_[startLine].length - startChar);
    p += lines_[startLine].length - startChar;
    int paragraphBreaks = 0;
    for (int i = startLine + 1; i <= endLine; ++i) {
        if (lines_[i].paragraphStart) {
            if (breaks) breaks->push_back(static_cast<int>(p - begin));
            ++paragraphBreaks;
            std::memcpy(p, separator, separatorLength);
            p += separatorLength;
        }
        const int length = i < endLine ? lines_[i].length : endChar;
        if (length > 0) std::memcpy(p, lines_[i].text, length);
        p += length;
    }
    // Each break brings one CR (the separator undo uses): any other is a line's own.
    const BOOL ownCr = std::count(begin, p, '\r') != paragraphBreaks;
    if (breaks && !ownCr) breaks->clear();
    return ownCr;
}

void CTextBuffer::GetParagraphText(CString& out, int charIndex, int line) const {
    if (line < 0 || line >= GetLineCount()) {
        out.Empty();
        return;
    }
    // A stale char index reads nothing past its line.
    charIndex = std::min(std::max(0, charIndex), lines_[line].length);
    int last = line;
    size_t total = lines_[line].length - charIndex;
    while (last + 1 < GetLineCount() && !lines_[last + 1].paragraphStart) total += lines_[++last].length;
    char* p = out.GetBufferSetLength(static_cast<int>(total));
    std::memcpy(p, lines_[line].text + charIndex, lines_[line].length - charIndex);
    p += lines_[line].length - charIndex;
    for (int i = line + 1; i <= last; ++i) {
        std::memcpy(p, lines_[i].text, lines_[i].length);
        p += lines_[i].length;
    }
}

// ---- Editing ----

namespace {
struct Piece {
    const char* chars;
    int length;
};

// The paragraphs of inserted text. Given breaks, exactly at those indexes (each a CR LF); else
// at each CR, a CR LF together, and a lone LF stays in its piece as a character.
std::vector<Piece> SplitIntoParagraphs(const char* text, const std::vector<int>* breaks) {
    std::vector<Piece> pieces;
    const char* piece = text;
    if (breaks) {
        for (int at : *breaks) {
            pieces.push_back({piece, static_cast<int>(text + at - piece)});
            piece = text + at + 2;
        }
    } else {
        for (const char* cr; (cr = std::strchr(piece, '\r')) != nullptr;) {
            pieces.push_back({piece, static_cast<int>(cr - piece)});
            piece = cr[1] == '\n' ? cr + 2 : cr + 1;
        }
    }
    pieces.push_back({piece, static_cast<int>(std::strlen(piece))});
    return pieces;
}
}  // namespace

BOOL CTextBuffer::InternalInsertText(TextBufferView* source, int offset, const char* text, int& endOffset,
                                     const std::vector<int>* breaks) {
    CPoint position = OffsetToTextPos(offset);
    if (position.y < 0) return FALSE;
    const std::vector<Piece> pieces = SplitIntoParagraphs(text, breaks);
    // Every character counts one position, and so does every break between two paragraphs.
    endOffset = offset + static_cast<int>(pieces.size()) - 1;
    for (const Piece& piece : pieces) endOffset += piece.length;
    const int first = GetParagraphStartLine(position.y);
    CInsertContext context(*this, offset, endOffset - offset, first);

    UnwrapParagraphs(first, first);
    const int charIndex = offset - LineStartOffset(first);
    const std::string tail(lines_[first].text + charIndex, lines_[first].length - charIndex);
    TruncateLine(first, charIndex);

    // The first piece joins the line; each further one is a line of its own, the last taking
    // the rest of the line.
    AppendLineText(first, pieces[0].chars, pieces[0].length);
    int last = first;
    if (pieces.size() == 1) {
        AppendLineText(first, tail.data(), static_cast<int>(tail.size()));
    } else {
        std::vector<SLineInfo> added;
        for (size_t i = 1; i + 1 < pieces.size(); ++i)
            added.push_back(NewLine(pieces[i].chars, pieces[i].length, 0, TRUE));
        const std::string joined = std::string(pieces.back().chars, pieces.back().length) + tail;
        added.push_back(NewLine(joined.data(), static_cast<int>(joined.size()), 0, TRUE));
        last = first + static_cast<int>(added.size());
        InsertLines(first + 1, added);
    }
    WrapLines(first, last);

    UpdateViews(source, &context, UpdateHorzRange | UpdateVertRange, first);
    if (!modified_) SetModified(TRUE);
    return TRUE;
}

BOOL CTextBuffer::InternalDeleteText(TextBufferView* source, int startOffset, int endOffset) {
    CPoint start = OffsetToTextPos(startOffset), end = OffsetToTextPos(endOffset);
    if (start.y < 0 || end.y < 0 || startOffset >= endOffset) return FALSE;
    const int first = GetParagraphStartLine(start.y);
    CDeleteContext context(*this, startOffset, endOffset - startOffset, first);

    UnwrapParagraphs(first, end.y);
    start = OffsetToTextPos(startOffset);
    end = OffsetToTextPos(endOffset);
    if (start.y == end.y) {
        SLineInfo& line = lines_[start.y];
        std::memmove(line.text + start.x, line.text + end.x, line.length - end.x);
        TruncateLine(start.y, line.length - (end.x - start.x));
    } else {
        const std::string kept(lines_[end.y].text + end.x, lines_[end.y].length - end.x);
        RemoveLines(start.y + 1, end.y - start.y);
        TruncateLine(start.y, start.x);
        AppendLineText(start.y, kept.data(), static_cast<int>(kept.size()));
    }
    WrapLines(start.y, start.y);

    UpdateViews(source, &context, UpdateHorzRange | UpdateVertRange, first);
    if (!modified_) SetModified(TRUE);
    return TRUE;
}

BOOL CTextBuffer::InsertText(TextBufferView* source, int line, int charIndex, const char* text, int& endLine,
                             int& endChar, int action) {
    if (lines_.empty() && line == 0 && charIndex == 0 && text && *text) {
        // A released buffer has no line, yet its empty text has a start: the text goes into
        // the one empty line that an empty text is.
        std::vector<SLineInfo> empty(1, NewLine("", 0, 0, TRUE));
        InsertLines(0, empty);
    }
    if (line < 0 || line >= GetLineCount() || charIndex < 0 || charIndex > lines_[line].length) return FALSE;
    endLine = line;
    endChar = charIndex;
    if (!text || !*text) return TRUE;
    const int offset = TextPosToOffset(CPoint(charIndex, line));
    int endOffset = offset;
    if (!InternalInsertText(source, offset, text, endOffset)) return FALSE;
    const BOOL began = !groupOpen_;
    if (began) BeginUndoGroup(FALSE);
    AddUndoRecord(TRUE, offset, endOffset, text, action);
    if (began) FlushUndoGroup(source);
    const CPoint end = OffsetToTextPos(endOffset);
    endLine = end.y;
    endChar = end.x;
    return TRUE;
}

BOOL CTextBuffer::DeleteText(TextBufferView* source, int startLine, int startChar, int endLine, int endChar,
                             int action) {
    const int count = GetLineCount();
    if (startLine < 0 || endLine < 0 || startLine >= count || endLine >= count) return FALSE;
    if (startLine > endLine || (startLine == endLine && startChar > endChar)) {
        std::swap(startLine, endLine);
        std::swap(startChar, endChar);
    }
    if (startChar < 0 || startChar > lines_[startLine].length || endChar < 0 || endChar > lines_[endLine].length)
        return FALSE;
    CString text;
    std::vector<int> breaks;
    const BOOL exact = ReadRange(startLine, startChar, endLine, endChar, text, kSeparators[StyleDos], &breaks);
    const int startOffset = TextPosToOffset(CPoint(startChar, startLine));
    const int endOffset = TextPosToOffset(CPoint(endChar, endLine));
    if (!InternalDeleteText(source, startOffset, endOffset)) return FALSE;
    const BOOL began = !groupOpen_;
    if (began) BeginUndoGroup(FALSE);
    AddUndoRecord(FALSE, startOffset, endOffset, text, action, exact ? &breaks : nullptr);
    if (began) FlushUndoGroup(source);
    return TRUE;
}

BOOL CTextBuffer::RemoveLine(int line) {
    const int count = GetLineCount();
    if (line < 0 || line >= count) return FALSE;
    // The line goes as a deletion, so the views move their positions; with it goes the break
    // after it, or before it when it is the last line.
    int start = LineStartOffset(line), end = LineEndOffset(line);
    if (line + 1 < count && lines_[line + 1].paragraphStart)
        ++end;
    else if (line + 1 == count && line > 0 && lines_[line].paragraphStart)
        --start;
    if (start < end) InternalDeleteText(nullptr, start, end);
    FreeUndo();
    savedPosition_ = -1;
    return TRUE;
}

// ---- Line flags ----

void CTextBuffer::SetLineFlag(int line, DWORD flag, BOOL set, BOOL removeFromPreviousLine) {
    if (!SingleBit(flag)) return;
    if (line == -1) {
        line = GetLineWithFlag(flag);
        if (line < 0) return;
        removeFromPreviousLine = FALSE;
    }
    if (line < 0 || line >= GetLineCount()) return;
    const DWORD flags = set ? lines_[line].flags | flag : lines_[line].flags & ~flag;
    if (flags == lines_[line].flags) return;
    if (set && removeFromPreviousLine) {
        const int previous = GetLineWithFlag(flag);
        if (previous >= 0) {
            lines_[previous].flags &= ~flag;
            UpdateViews(nullptr, nullptr, UpdateSingleLine | UpdateFlagsOnly, previous);
        }
    }
    lines_[line].flags = flags;
    UpdateViews(nullptr, nullptr, UpdateSingleLine | UpdateFlagsOnly, line);
}

int CTextBuffer::GetLineWithFlag(DWORD flag) const { return SingleBit(flag) ? FindLineWithFlag(flag) : -1; }

int CTextBuffer::FindLineWithFlag(DWORD mask) const {
    for (int i = 0; i < GetLineCount(); ++i)
        if (lines_[i].flags & mask) return i;
    return -1;
}

int CTextBuffer::FindBookmarkLine(int line, int step) const {
    const int count = GetLineCount();
    if (count == 0) return -1;
    line = std::min(std::max(0, line), count - 1);
    // From the line, or past it when it has the bookmark itself, round the text once.
    const int from = lines_[line].flags & FlagBookmark ? line + step : line;
    for (int n = 0; n < count; ++n) {
        const int i = ((from + n * step) % count + count) % count;
        if (lines_[i].flags & FlagBookmark) return i;
    }
    return -1;
}

int CTextBuffer::FindNextBookmarkLine(int line) const { return FindBookmarkLine(line, 1); }

int CTextBuffer::FindPrevBookmarkLine(int line) const { return FindBookmarkLine(line, -1); }

// ---- Views ----

void CTextBuffer::AddView(TextBufferView* view) {
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CTextBuffer::RemoveView(TextBufferView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CTextBuffer::UpdateViews(TextBufferView* source, CUpdateContext* context, DWORD flags, int line) {
    // A view may detach itself while it is told.
    const std::vector<TextBufferView*> views(views_);
    for (TextBufferView* view : views)
        if (std::find(views_.begin(), views_.end(), view) != views_.end())
            view->UpdateView(source, context, flags, line);
}
