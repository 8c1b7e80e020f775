// The drawer's two passes over the markup: the driver, the readers, text runs with word wrap and
// justification, lines and vertical placement, the style tags and the tags that place a rule, a
// line break, a tab or a string.
//
// Both passes run this same code; the measuring pass records each line and the drawing pass
// finds it again by counting. So every layout decision (where a line wraps, whether a line is
// empty, where a tab stop lies) is taken from values both passes see alike: the wrap width and
// the width taken on the line so far as the measuring pass counts it (lineUsed_), never from the
// pen's drawing position, which alignment and justification move.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/LayoutArithmetic.h"
#include "controls/htmllabel/TextScanner.h"
#include <algorithm>
#include <cstring>
#include <initializer_list>

using namespace layout_arithmetic;

namespace {
const char kBreakCharacters[] = " -.,!:;)}]?";
// Lines or tab stops one tag may step over: more could only push the pen out of every range.
const int kMaxStepCount = 1000;
bool IsBreakCharacter(char c) { return c != '\0' && std::strchr(kBreakCharacters, c) != nullptr; }

SIZE Extent(HDC dc, const CString& text) {
    SIZE extent = {0, 0};
    if (!text.IsEmpty()) GetTextExtentPoint32A(dc, text, text.GetLength(), &extent);
    return extent;
}

bool EndsWithBlank(const CString& text) { return !text.IsEmpty() && text[text.GetLength() - 1] == ' '; }
}  // namespace

void CHtmlDrawer::PrepareOutput(HDC dc, const CString& markup, SIZE& size) {
    dc_ = dc;
    SetTextJustification(dc, 0, 0);
    text_ = markup;
    ApplyEntities();
    size.cx = size.cy = 0;
    if (text_.IsEmpty()) return;
    passMode_ = kMeasuring;
    styleStack_.clear();
    const RECT rect = {0, 0, std::max(maxWidth_, 0), 0};
    RunPass(size, rect);
    // Nothing to show: a drawing pass on this text would draw nothing either.
    if (size.cx == 0 && size.cy == 0) text_.Empty();
    if (maxWidth_ > 0 && size.cx > maxWidth_) size.cx = maxWidth_;
    size.cx += 1;
    size.cy += 1;
}

void CHtmlDrawer::DrawPreparedOutput(HDC dc, const RECT& rect) {
    if (text_.IsEmpty()) return;
    dc_ = dc;
    passMode_ = kDrawing;
    SIZE size;
    RunPass(size, rect);
}

void CHtmlDrawer::DrawHtml(HDC dc, const CString& markup, const RECT& rect) {
    SIZE size;
    PrepareOutput(dc, markup, size);
    if (size.cx == 0 || size.cy == 0) return;
    const RECT output = {rect.left, rect.top, rect.left + size.cx, rect.top + size.cy};
    DrawPreparedOutput(dc, output);
}

void CHtmlDrawer::RunPass(SIZE& size, const RECT& rect) {
    size.cx = size.cy = 0;
    // Hot areas belong to one drawing: a redraw rebuilds them rather than adding to them.
    hotAreas_.clear();
    if (passMode_ == kMeasuring) {
        lineRecords_.clear();
        // A later drawing must not meet the grid of an earlier text's table.
        tableRecords_.clear();
        animations_.clear();
    }
    lineCounter_ = 0;
    tableCounter_ = -1;
    tableDepth_ = 0;
    linkCounter_ = -1;
    animationIndex_ = -1;
    styleStack_.clear();
    style_.Reset();
    ApplySelector("body", style_);

    savedFont_ = GetCurrentObject(dc_, OBJ_FONT);
    savedBkMode_ = GetBkMode(dc_);
    savedTextColor_ = GetTextColor(dc_);
    savedBkColor_ = GetBkColor(dc_);
    auto restore = [this] {
        SetBkMode(dc_, savedBkMode_);
        SetBkColor(dc_, savedBkColor_);
        SetTextColor(dc_, savedTextColor_);
        SetTextJustification(dc_, 0, 0);
        SelectObject(dc_, savedFont_);
        styleStack_.clear();
        font_.Reset();
    };
    font_.Reset();
    try {
        SelectStyleFont();
        size = LayOutPieces(text_, 0, text_.GetLength(), rect, std::max(maxWidth_, 0));
    } catch (...) {
        restore();  // the context is the caller's: never leave it holding our font
        throw;
    }
    restore();
}

SIZE CHtmlDrawer::LayOutPieces(const CString& text, int begin, int end, RECT rect, int wrapWidth) {
    SIZE total = {0, 0};
    auto add = [&](SIZE piece) {
        total.cx = std::max(total.cx, piece.cx);
        total.cy = AddClamped(total.cy, piece.cy);
        rect.top = AddClamped(rect.top, piece.cy);
    };
    // Too deep for another table: the rest is markup, whose table tags the markup loop skips.
    const bool tables = tableDepth_ < kMaxTableDepth;
    int position = begin;
    while (position < end) {
        int table = position;
        const bool hasTable = tables && NextTagOf(text, table, {"table"}, end) == 0;
        if (!hasTable) table = end;
        if (table > position) add(LayOutMarkup(text.Mid(position, table - position), rect, wrapWidth));
        if (!hasTable) break;
        // The closing "</table" stays with the text that follows; the markup loop skips it.
        const int tableEnd = FindTableEnd(text, table, end);
        add(LayOutTable(text, table, tableEnd, rect));
        position = tableEnd;
    }
    return total;
}

SIZE CHtmlDrawer::LayOutMarkup(const CString& piece, const RECT& rect, int wrapWidth) {
    // A lone "<" ending the piece stands for itself; before the closing "</body>" it would
    // instead turn that tag into text.
    int lessThans = 0;
    while (lessThans < piece.GetLength() && piece[piece.GetLength() - 1 - lessThans] == '<') ++lessThans;
    const CString body = "<body>" + piece + (lessThans % 2 ? "<" : "") + "</body>";
    outputRect_ = rect;
    usableWidth_ = rect.right - rect.left;
    wrapWidth_ = wrapWidth;
    pen_.x = rect.left;
    pen_.y = rect.top;
    greatestWidth_ = 0;
    const int firstLine = lineCounter_;
    pen_.x = BeginLine(rect.left);

    int position = 0;
    CString run, tag, name, parameters;
    while (NextTextRun(body, position, run, tag)) {
        if (!run.IsEmpty()) LayOutTextRun(run);
        if (tag.IsEmpty()) continue;
        SplitTagName(tag, name, parameters);
        ActOnTag(name, parameters);
    }
    if (lineHasContent_) {
        line_.wrapped = 0;
        EndLine(1);
    }
    SetTextJustification(dc_, 0, 0);

    // Rules of a percent width count for their share of the widest line before them.
    int greatest = greatestWidth_;
    const int lastLine = std::min(lineCounter_, static_cast<int>(lineRecords_.size()));
    for (int i = firstLine; i < lastLine; ++i) {
        const LineRecord& line = lineRecords_[i];
        int width = line.width;
        if (line.percentWidth) width = AddClamped(width, PercentOf(greatest, line.percentWidth));
        greatest = std::max(greatest, width);
    }
    SIZE size = {greatest, pen_.y - rect.top};
    return size;
}

bool CHtmlDrawer::NextTextRun(const CString& text, int& position, CString& run, CString& tag) {
    run.Empty();
    tag.Empty();
    const int length = text.GetLength();
    if (position >= length) return false;
    while (position < length) {
        const int open = text.Find('<', position);
        if (open < 0) {
            run += text.Mid(position);
            position = length;
            return true;
        }
        run += text.Mid(position, open - position);
        // A "<" at the very end, and "<<", stand for the character itself.
        if (open + 1 >= length || text[open + 1] == '<') {
            run += '<';
            position = open + 2;
            continue;
        }
        const int close = text.Find('>', open + 1);
        if (close < 0 || close == open + 1) {
            position = open + 1;  // an empty tag; what follows the "<" is text
            return true;
        }
        tag = text.Mid(open + 1, close - open - 1);
        position = close + 1;
        return true;
    }
    return true;
}

void CHtmlDrawer::SplitTagName(const CString& tag, CString& name, CString& parameters) {
    const int end = tag.FindOneOf(" =");
    if (end < 0) {
        name = tag;
        parameters.Empty();
        return;
    }
    name = tag.Left(end);
    parameters = tag.Mid(end);
    parameters.TrimLeft(' ');
}

CString CHtmlDrawer::NextWord(const CString& text, int& position) {
    TextScanner scanner(text, position);
    scanner.SkipToWord();
    const CString word = scanner.ReadToAny(" =");
    position = scanner.Position();
    return word;
}

bool CHtmlDrawer::NextAttribute(const CString& parameters, int& position, CString& name, CString& value) {
    value.Empty();
    name = NextWord(parameters, position);
    if (name.IsEmpty()) return false;
    const int length = parameters.GetLength();
    while (position < length && parameters[position] == ' ') ++position;
    if (position >= length || parameters[position] != '=') return true;
    while (position < length && (parameters[position] == ' ' || parameters[position] == '=')) ++position;
    if (position >= length) return true;
    const char quote = parameters[position];
    if (quote == '"' || quote == '\'') {
        int close = parameters.Find(quote, position + 1);
        if (close < 0) close = length;
        value = parameters.Mid(position + 1, close - position - 1);
        position = close + 1;
        return true;
    }
    int end = parameters.Find(' ', position);
    if (end < 0) end = length;
    value = parameters.Mid(position, end - position);
    position = end + 1;
    return true;
}

int CHtmlDrawer::NextTagOf(const CString& text, int& position, std::initializer_list<const char*> names, int end) {
    const int length = end < 0 ? text.GetLength() : std::min(end, text.GetLength());
    const char* chars = text.GetString();
    for (int open = text.Find('<', std::max(position, 0)); open >= 0 && open < length; open = text.Find('<', open + 1)) {
        if (open > 0 && chars[open - 1] == '<') continue;  // "<<" is a literal "<"
        int index = 0;
        for (const char* name : names) {
            const size_t nameLength = std::strlen(name);
            if (static_cast<size_t>(length - open - 1) >= nameLength && std::strncmp(chars + open + 1, name, nameLength) == 0) {
                position = open;
                return index;
            }
            ++index;
        }
    }
    position = length;
    return -1;
}

void CHtmlDrawer::LayOutTextRun(CString run) {
    switch (style_.textTransform) {
    case TextStyle::kUpperCase: run.MakeUpper(); break;
    case TextStyle::kLowerCase: run.MakeLower(); break;
    case TextStyle::kCapitalize:
        run.MakeLower();
        for (int i = 0; i < run.GetLength(); ++i)
            if (run[i] >= 'a' && run[i] <= 'z' && (i == 0 || run[i - 1] == ' ')) run.SetAt(i, run[i] - 'a' + 'A');
        break;
    }
    const int length = run.GetLength();
    if (length == 0) return;
    SetTextJustification(dc_, 0, 0);
    const SIZE total = Extent(dc_, run);
    // A run that wraps is measured once more, character by character; every line's piece and
    // width comes from these sums, so wrapping costs time in proportion to the run, not to its
    // square.
    std::vector<int> widths;
    int start = 0;
    while (start < length) {
        SetTextJustification(dc_, 0, 0);
        const int y = PlaceTextVertically(pen_.y, total.cy);
        int pieceEnd = length, restStart = length;
        int width = start > 0 ? widths[length - 1] - widths[start - 1] : total.cx;
        if (maxWidth_ > 0 && wrapWidth_ > 0 && width > wrapWidth_ - lineUsed_) {
            if (widths.empty()) {
                widths.assign(static_cast<size_t>(length), 0);
                SIZE ignored = {0, 0};
                GetTextExtentExPointA(dc_, run, length, 0, nullptr, widths.data(), &ignored);
            }
            width = wrapWidth_ - lineUsed_;
            SplitToWidth(run, widths, start, pieceEnd, restStart, width);
        }
        const CString piece = run.Mid(start, pieceEnd - start);
        int drawn = width;
        if (passMode_ == kMeasuring) {
            line_.alignment = style_.hAlign;
            line_.blanks += CountChar(piece, ' ');
        } else if (!piece.IsEmpty()) {
            drawn = DrawTextPiece(piece, width, y, total.cy);
        }
        if (!piece.IsEmpty()) lineHasContent_ = true;
        lineUsed_ = AddClamped(lineUsed_, width);
        pen_.x = AddClamped(pen_.x, drawn);
        if (restStart < length) {
            line_.wrapped = 1;
            EndLine(1);
        }
        start = restStart;
    }
}

void CHtmlDrawer::SplitToWidth(const CString& run, const std::vector<int>& widths, int start, int& pieceEnd,
                               int& restStart, int& availableWidth) {
    const int room = availableWidth;
    const int length = run.GetLength();
    const int before = start > 0 ? widths[start - 1] : 0;
    // The width of the i characters from the start.
    auto prefix = [&](int i) { return i > 0 ? widths[start + i - 1] - before : 0; };
    // The last break character with no more than the room before it; widths only grow, so the
    // walk ends at the first character past the room.
    int best = -1;
    for (int i = 0; start + i < length && prefix(i) <= room; ++i)
        if (IsBreakCharacter(run[start + i])) best = i;
    if (best > 0) {
        pieceEnd = start + best + 1;
        while (pieceEnd > start && run[pieceEnd - 1] == ' ') --pieceEnd;
        restStart = start + best + 1;
        while (restStart < length && run[restStart] == ' ') ++restStart;
    } else if (!lineHasContent_) {
        int count = 0;
        while (start + count < length && prefix(count + 1) <= room) ++count;
        count = std::max(count, 1);
        pieceEnd = restStart = start + count;
    } else {
        pieceEnd = restStart = start;
        availableWidth = 0;
        return;
    }
    availableWidth = prefix(pieceEnd - start);
}

int CHtmlDrawer::DrawTextPiece(CString piece, int width, int y, int height) {
    int remaining = line_.width - lineUsed_;
    if (remaining == width && EndsWithBlank(piece)) {
        // The piece ends the line: its trailing blanks get no share of the justification.
        CString trimmed = piece;
        trimmed.TrimRight(' ');
        blanksToCome_ = CountChar(trimmed, ' ');
        remaining -= width - Extent(dc_, trimmed).cx;
        piece = trimmed;
    }
    if (line_.alignment == TextStyle::kJustify && line_.wrapped && blanksToCome_ > 0)
        SetTextJustification(dc_, outputRect_.left + usableWidth_ - pen_.x - remaining, blanksToCome_);
    const SIZE drawn = Extent(dc_, piece);
    if (style_.linkKind != TextStyle::kNoLink) AddHotArea(pen_.x, y, pen_.x + drawn.cx, y + height);
    TextOutA(dc_, pen_.x, y, piece, piece.GetLength());
    blanksToCome_ -= CountChar(piece, ' ');
    if (style_.overline)
        drawManager_.DrawLine(dc_, pen_.x, y, pen_.x + drawn.cx, y, style_.textColor, CDrawManager::kSolidLine,
                              style_.weight >= FW_BOLD ? 2 : 1);
    return drawn.cx;
}

void CHtmlDrawer::AddHotArea(int left, int top, int right, int bottom) {
    HotArea area = {left, top, right, bottom, style_.linkKind, linkCounter_, style_.linkTarget};
    hotAreas_.push_back(area);
}

void CHtmlDrawer::Advance(int width) {
    // Saturated: however much markup asks for, a width never wraps round to a small or negative one.
    pen_.x = AddClamped(pen_.x, width);
    lineUsed_ = AddClamped(lineUsed_, width);
}

int CHtmlDrawer::PlaceTextVertically(int y, int textHeight) {
    const TEXTMETRICA& font = textMetrics_;
    if (passMode_ == kMeasuring) {
        line_.height = std::max<int>(line_.height, font.tmAscent);
        line_.descent = std::max<int>(line_.descent, textHeight - font.tmAscent);
        return y;
    }
    switch (style_.vAlign) {
    case TextStyle::kTop: return y;
    case TextStyle::kMiddle: return y + (line_.height - font.tmHeight) / 2;
    case TextStyle::kBottom: return y + line_.height - font.tmAscent;
    default: return y + line_.height - line_.descent - font.tmAscent;
    }
}

int CHtmlDrawer::PlaceObjectVertically(int y, int objectHeight) {
    if (passMode_ == kMeasuring) {
        line_.height = std::max(line_.height, objectHeight);
        return y;
    }
    switch (style_.vAlign) {
    case TextStyle::kTop: return y;
    case TextStyle::kMiddle: return y + (line_.height - objectHeight) / 2;
    case TextStyle::kBottom: return y + line_.height - objectHeight;
    default: return y + line_.height - line_.descent - objectHeight;
    }
}

int CHtmlDrawer::BeginLine(int x) {
    lineUsed_ = 0;
    lineHasContent_ = false;
    const int recorded = static_cast<int>(lineRecords_.size());
    if (passMode_ == kMeasuring) {
        line_ = LineRecord{0, 0, 0, 0, style_.hAlign, 0, 0};
        if (lineCounter_ < recorded)
            lineRecords_[lineCounter_] = line_;
        else
            lineRecords_.push_back(line_);
        return x;
    }
    // Past the recorded lines (the markup or the fonts changed since measuring) a line is empty.
    line_ = lineCounter_ >= 0 && lineCounter_ < recorded ? lineRecords_[lineCounter_] : LineRecord{};
    if (line_.percentWidth) line_.width = AddClamped(line_.width, PercentOf(usableWidth_, line_.percentWidth));
    blanksToCome_ = line_.blanks;
    if (line_.alignment == TextStyle::kJustify && line_.wrapped && line_.blanks > 0)
        SetTextJustification(dc_, usableWidth_ - line_.width, line_.blanks);
    else
        SetTextJustification(dc_, 0, 0);
    switch (line_.alignment) {
    case TextStyle::kCenter: return outputRect_.left + (usableWidth_ - line_.width) / 2;
    case TextStyle::kRight: return outputRect_.left + usableWidth_ - line_.width;
    default: return x;
    }
}

void CHtmlDrawer::EndLine(int count) {
    if (passMode_ == kMeasuring) {
        if (line_.height == 0) line_.height = textMetrics_.tmHeight;
        line_.width = lineUsed_;
        greatestWidth_ = std::max(greatestWidth_, line_.width);
        line_.height += line_.descent;
        if (lineCounter_ < static_cast<int>(lineRecords_.size())) lineRecords_[lineCounter_] = line_;
    }
    ++lineCounter_;
    pen_.y = AddClamped(pen_.y, static_cast<long long>(std::max(count, 1)) * line_.height);
    pen_.x = BeginLine(outputRect_.left);
}

void CHtmlDrawer::ActOnTag(const CString& name, const CString& parameters) {
    style_.name.Empty();
    bool closing = false;
    const int id = LookUpTag(name, style_.name, closing);
    switch (id) {
    case kNoTag: return;
    case kRuleTag: PlaceRule(parameters); return;
    case kBreakTag:
    case kTabTag: {
        int count = 1;
        if (!parameters.IsEmpty()) count = Clamp(ParseLength(parameters.Mid(1), 1, FALSE), 0, kMaxStepCount);
        if (id == kTabTag) {
            AdvanceTab(std::max(count, 1));
        } else {
            line_.wrapped = 0;
            EndLine(count);
        }
        return;
    }
    case kBitmapTag:
    case kIconTag:
    case kImageListTag: PlaceImage(id, parameters); return;
    case kStringTag: PlaceString(parameters); return;
    }
    if (!PushOrPopStyle(closing)) return;
    switch (id) {
    case kBoldTag: style_.weight = std::min(style_.weight * 2, 900); break;
    case kItalicTag: style_.italic = !style_.italic; break;
    case kUnderlineTag: style_.underline = !style_.underline; break;
    case kStrikeTag: style_.strikeOut = !style_.strikeOut; break;
    case kFontTag: ApplyFontAttributes(parameters); break;
    case kLeftTag:
    case kCenterTag:
    case kRightTag:
    case kJustifyTag: style_.hAlign = id - kLeftTag; break;
    case kBaselineTag: style_.vAlign = TextStyle::kBaseline; break;
    case kTopTag: style_.vAlign = TextStyle::kTop; break;
    case kVCenterTag: style_.vAlign = TextStyle::kMiddle; break;
    case kBottomTag: style_.vAlign = TextStyle::kBottom; break;
    case kSheetTag: ApplySelector(name, style_); break;
    case kSpanTag: {
        int position = 0;
        CString attribute, value;
        while (NextAttribute(parameters, position, attribute, value))
            if (attribute == "class") ApplySelector("." + value, style_);
        break;
    }
    case kLinkTag: ApplyLinkAttributes(parameters); break;
    }
    SelectStyleFont();
}

bool CHtmlDrawer::PushOrPopStyle(bool closing) {
    if (!closing) {
        styleStack_.push_back(style_);
        return true;
    }
    // Only the tag that opened the style on top closes it; any other closing tag is ignored.
    if (!styleStack_.empty() && styleStack_.back().name == style_.name) {
        style_ = styleStack_.back();
        styleStack_.pop_back();
        style_.name.Empty();
        SelectStyleFont();
    } else {
        style_.name.Empty();
    }
    return false;
}

void CHtmlDrawer::SelectStyleFont() {
    LOGFONTA description = {};
    description.lfHeight = Clamp(style_.fontSize, -kMaxFontSize, kMaxFontSize);
    description.lfWeight = style_.weight;
    description.lfItalic = static_cast<BYTE>(style_.italic != 0);
    description.lfUnderline = static_cast<BYTE>(style_.underline != 0);
    description.lfStrikeOut = static_cast<BYTE>(style_.strikeOut != 0);
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(description.lfFaceName, style_.faceName, LF_FACESIZE);
    // A style change that leaves the font as it was keeps the font object.
    if (!font_ || std::memcmp(&description, &logFont_, sizeof(description)) != 0) {
        SelectObject(dc_, savedFont_);
        logFont_ = description;
        font_.Reset(CreateFontIndirectA(&logFont_));
        if (font_) SelectObject(dc_, font_.Get());
        GetTextMetricsA(dc_, &textMetrics_);
    }
    SetBkMode(dc_, style_.bkMode);
    SetTextColor(dc_, style_.textColor);
    SetBkColor(dc_, style_.bkColor);
}

void CHtmlDrawer::ApplyFontAttributes(const CString& parameters) {
    int position = 0;
    CString name, value;
    while (NextAttribute(parameters, position, name, value)) {
        if (name == "face") {
            if (!value.IsEmpty()) style_.SetFaceName(value);
        } else if (name == "size") {
            style_.fontSize = ParseLength(value, style_.fontSize, TRUE);
        } else if (name == "color") {
            style_.textColor = enabled_ ? ParseColor(value, style_.textColor) : disabledColor_;
        } else if (name == "weight") {
            ApplyProperty("font-weight", value, style_);
        } else if (name == "bkgnd") {
            if (value.IsEmpty() || value == "transparent" || !enabled_) {
                style_.bkMode = TextStyle::kTransparentMode;
            } else {
                style_.bkMode = TextStyle::kOpaqueMode;
                style_.bkColor = ParseColor(value, style_.bkColor);
            }
        } else if (name == "style") {
            ParseFontStyle(value);
        }
    }
}

void CHtmlDrawer::ParseFontStyle(const CString& text) {
    bool on = true;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (text[i]) {
        case '-': on = false; continue;
        case '+': on = true; continue;
        case 'b': style_.weight = on ? FW_BOLD : FW_NORMAL; break;
        case 'i': style_.italic = on; break;
        case 'u': style_.underline = on; break;
        case 's': style_.strikeOut = on; break;
        case 'o': style_.overline = on; break;
        default: continue;
        }
        on = true;
    }
}

void CHtmlDrawer::ApplyLinkAttributes(const CString& parameters) {
    style_.linkKind = TextStyle::kMessageLink;
    style_.linkTarget.Empty();
    int position = 0;
    CString name, value;
    while (NextAttribute(parameters, position, name, value)) {
        if (name == "href") {
            style_.linkKind = TextStyle::kHrefLink;
            style_.linkTarget = value;
        } else if (name == "msg") {
            style_.linkKind = TextStyle::kMessageLink;
            style_.linkTarget = value;
        }
    }
    ++linkCounter_;
    ApplySelector(linkCounter_ == hotLink_ ? "a:hover" : "a:link", style_);
}

void CHtmlDrawer::AdvanceTab(int count) {
    const int tab = tabWidth_ > 0 ? tabWidth_ : 1;
    // Stops count from the start of the line as the measuring pass laid it out.
    const long long offset = lineUsed_;
    const long long stop = offset % tab == 0 ? offset + static_cast<long long>(count) * tab
                                             : (offset / tab + count) * static_cast<long long>(tab);
    Advance(static_cast<int>(std::min<long long>(stop - offset, kMaxCoordinate)));
    lineHasContent_ = true;
}

void CHtmlDrawer::PlaceRule(const CString& parameters) {
    TextStyle rule = style_;
    ApplySelector("hr", rule);
    COLORREF color = rule.textColor;
    int size = 1, width = 100;
    bool percent = true;
    int position = 0;
    CString name, value;
    while (NextAttribute(parameters, position, name, value)) {
        if (name == "width") {
            percent = IsPercent(value) != FALSE;
            width = ParseLength(value, 100, FALSE);
        } else if (name == "size") {
            size = ParseLength(value, size, FALSE);
        } else if (name == "color") {
            color = enabled_ ? ParseColor(value, color) : disabledColor_;
        }
    }
    width = Clamp(width, 0, kMaxExtent);
    size = Clamp(size, 0, kMaxExtent);
    // A percent rule takes one pixel while measuring; drawing knows the width it is a share of.
    const int layoutWidth = percent ? 1 : width;
    if (passMode_ == kMeasuring) {
        if (percent) line_.percentWidth = AddClamped(line_.percentWidth, width);
        line_.height = std::max(line_.height, size + 8);
        line_.alignment = rule.hAlign;
    } else {
        const int drawn = percent ? PercentOf(usableWidth_, width) : width;
        const int y = pen_.y + line_.height / 2;
        drawManager_.DrawLine(dc_, pen_.x, y, pen_.x + drawn, y, color, CDrawManager::kSolidLine, size);
        pen_.x = AddClamped(pen_.x, static_cast<long long>(drawn) - layoutWidth);
    }
    Advance(layoutWidth);
    lineHasContent_ = true;
}

void CHtmlDrawer::PlaceString(const CString& parameters) {
    UINT idres = 0, iddll = 0;
    CString srcdll;
    int position = 0;
    CString name, value;
    while (NextAttribute(parameters, position, name, value)) {
        if (name == "idres")
            idres = static_cast<UINT>(ParseLength(value, 0, FALSE));
        else if (name == "iddll")
            iddll = static_cast<UINT>(ParseLength(value, 0, FALSE));
        else if (name == "srcdll")
            srcdll = value;
    }
    const CString text = idres ? LoadResourceString(idres) : (iddll ? LoadDllString(iddll, srcdll) : CString());
    if (text.IsEmpty()) return;
    SetTextJustification(dc_, 0, 0);
    const SIZE extent = Extent(dc_, text);
    const int y = PlaceTextVertically(pen_.y, extent.cy);
    if (passMode_ == kDrawing) {
        if (style_.linkKind != TextStyle::kNoLink) AddHotArea(pen_.x, y, pen_.x + extent.cx, y + extent.cy);
        TextOutA(dc_, pen_.x, y, text, text.GetLength());
    }
    Advance(extent.cx);
    lineHasContent_ = true;
}
