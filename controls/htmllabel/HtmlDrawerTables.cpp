// The drawer's tables: the grid, spans, column widths and row heights, borders and backgrounds,
// cells holding markup and further tables.
//
// The measuring pass keeps each table's grid in a table record; the drawing pass finds the
// records again in the same order. Every grid access is bounded by the record, and every end
// is looked for inside the part of the working text that holds the table, row or cell.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/LayoutArithmetic.h"
#include <algorithm>
#include <cstring>

using namespace layout_arithmetic;

namespace {
// A grid larger than this is no table a label shows: spans and rows beyond it are dropped.
const int kMaxTableColumns = 1000;
const int kMaxTableRows = 1000;

// Spacing plus, for each column (or row), its size and the spacing, with one pixel between two.
int GridExtent(const std::vector<int>& sizes, int spacing) {
    long long extent = spacing + static_cast<long long>(sizes.size()) - 1;
    for (int size : sizes) extent += size + spacing;
    return static_cast<int>(std::max<long long>(0, std::min<long long>(extent, 0x3FFFFFFF)));
}

// Widens the columns (or rows) under each cell to the cell's size, cells of span 1 first, then
// span 2 and so on; a larger cell shares its shortfall out evenly, the remainder to the last.
void SettleSizes(std::vector<std::vector<CHtmlDrawer::TableCell>>& cells, bool columns, std::vector<int>& sizes,
                 std::vector<bool>* fixedColumns) {
    struct Entry {
        int span, first;
        const CHtmlDrawer::TableCell* cell;
    };
    std::vector<Entry> entries;
    const int count = static_cast<int>(sizes.size());
    for (size_t row = 0; row < cells.size(); ++row) {
        for (const CHtmlDrawer::TableCell& cell : cells[row]) {
            const int first = columns ? cell.column : static_cast<int>(row);
            const int span = std::min(columns ? cell.columnSpan : cell.rowSpan, count - first);
            if (span >= 1) entries.push_back(Entry{span, first, &cell});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.span < b.span; });
    for (const Entry& entry : entries) {
        const int size = columns ? entry.cell->cellWidth : entry.cell->cellHeight;
        const bool fixed = columns && entry.cell->fixed;
        if (fixed && fixedColumns)
            for (int i = 0; i < entry.span; ++i) (*fixedColumns)[entry.first + i] = true;
        long long sum = 0;
        for (int i = 0; i < entry.span; ++i) sum += sizes[entry.first + i];
        if (sum >= size) continue;
        const int shortfall = static_cast<int>(size - sum);
        for (int i = 0; i < entry.span; ++i) sizes[entry.first + i] += shortfall / entry.span;
        sizes[entry.first + entry.span - 1] += shortfall % entry.span;
    }
}
}  // namespace

CString CHtmlDrawer::OpeningTagParameters(const CString& text, int position, int end) {
    CString name, parameters;
    if (position < 0 || position + 1 >= end || end > text.GetLength() || text[position] != '<') return parameters;
    // Looked for within the piece alone, so that a tag left open costs the piece, not the text.
    const char* chars = text.GetString();
    const char* found = static_cast<const char*>(std::memchr(chars + position + 1, '>', end - position - 1));
    const int close = found ? static_cast<int>(found - chars) : -1;
    if (close < 0 || close == position + 1) return parameters;
    SplitTagName(text.Mid(position + 1, close - position - 1), name, parameters);
    return parameters;
}

void CHtmlDrawer::PushNamedStyle(const char* name) {
    style_.name = name;
    styleStack_.push_back(style_);
    ApplySelector(name, style_);
}

void CHtmlDrawer::PopNamedStyle(const char* name) {
    if (styleStack_.empty() || styleStack_.back().name != name) return;
    style_ = styleStack_.back();
    styleStack_.pop_back();
    style_.name.Empty();
    SelectStyleFont();
}

bool CHtmlDrawer::FindAtTableLevel(const CString& text, int& position, int end, const char* name) {
    for (;;) {
        const int found = NextTagOf(text, position, {name, "table"}, end);
        if (found < 0) return false;
        if (found == 0) return true;
        position = FindTableEnd(text, position, end);
    }
}

int CHtmlDrawer::FindClosingTag(const CString& text, int position, int end, const char* open, const char* close,
                                bool skipTables) {
    const int length = end;
    const int openLength = static_cast<int>(std::strlen(open)) + 1, closeLength = static_cast<int>(std::strlen(close)) + 1;
    int level = 1;
    int at = position + openLength;
    while (at < length) {
        const int found =
            skipTables ? NextTagOf(text, at, {open, close, "table"}, end) : NextTagOf(text, at, {open, close}, end);
        if (found < 0) break;
        if (found == 2) {
            at = FindTableEnd(text, at, end);
        } else if (found == 0) {
            ++level;
            at += openLength;
        } else if (--level == 0) {
            return at;
        } else {
            at += closeLength;
        }
    }
    return length;
}

int CHtmlDrawer::FindTableEnd(const CString& text, int position, int end) {
    return FindClosingTag(text, position, end, "table", "/table", false);
}

int CHtmlDrawer::FindRowEnd(const CString& text, int position, int end) {
    return FindClosingTag(text, position, end, "tr", "/tr", true);
}

int CHtmlDrawer::FindCellEnd(const CString& text, int position, int end) {
    int at = position + 3;
    while (at < end) {
        // A cell left open ends where the next one of its row begins: otherwise each of a row of
        // open cells would hold all the cells after it, and a row would cost the square of its
        // length.
        const int found = NextTagOf(text, at, {"/td", "table", "td"}, end);
        if (found < 0) break;
        if (found != 1) return at;
        at = FindTableEnd(text, at, end);
    }
    return end;
}

CHtmlDrawer::Spans CHtmlDrawer::CountTableGrid(const CString& text, int begin, int end) {
    Spans grid = {0, 0};
    int row = begin + 1;  // after the table's own "<table"
    while (grid.rows < kMaxTableRows && FindAtTableLevel(text, row, end, "tr")) {
        const int rowEnd = FindRowEnd(text, row, end);
        int columns = 0;
        int cell = row + 3;
        while (columns < kMaxTableColumns && FindAtTableLevel(text, cell, rowEnd, "td")) {
            TextStyle scratch = style_;
            const Spans spans = ReadTableAttributes(OpeningTagParameters(text, cell, end), scratch, false);
            columns += Clamp(spans.columns, 1, kMaxTableColumns - columns);
            cell += 3;
        }
        grid.columns = std::max(grid.columns, columns);
        ++grid.rows;
        row = rowEnd + 5;
    }
    return grid;
}

CHtmlDrawer::Spans CHtmlDrawer::ReadTableAttributes(const CString& parameters, TextStyle& style, bool table) {
    Spans spans = {1, 1};
    if (parameters.IsEmpty()) return spans;
    int position = 0;
    CString name, value;
    auto length = [&](int base) { return Clamp(ParseLength(value, base, FALSE), 0, kMaxExtent); };
    auto borderColor = [&](COLORREF current) { return enabled_ ? ParseColor(value, current) : disabledColor_; };
    while (NextAttribute(parameters, position, name, value)) {
        if (table && name == "cellpadding") {
            style.margin = length(style.margin);
        } else if (table && name == "cellspacing") {
            style.padding = length(style.padding);
        } else if (table && name == "background") {
            style.bkImage = value;
        } else if (name == "rowspan") {
            spans.rows = ParseLength(value, 1, FALSE);
        } else if (name == "colspan") {
            spans.columns = ParseLength(value, 1, FALSE);
        } else if (name == "border") {
            style.borderWidth = length(style.borderWidth);
            style.SettleBorderWidth();
        } else if (name == "borderstyle") {
            ApplyProperty("border-style", value, style);
        } else if (name == "bordercolor") {
            style.lightBorderColor = style.darkBorderColor = borderColor(style.lightBorderColor);
        } else if (name == "bordercolorlight") {
            style.lightBorderColor = borderColor(style.lightBorderColor);
        } else if (name == "bordercolordark") {
            style.darkBorderColor = borderColor(style.darkBorderColor);
        } else if (name == "bgcolor") {
            if (!enabled_) continue;
            style.bkColor = ParseColor(value, style.bkColor);
            if (style.bkEffect < 0) style.bkEffect = CDrawManager::kSolid;
        } else if (name == "bgmidcolor") {
            if (enabled_) style.midBkColor = ParseColor(value, style.midBkColor);
        } else if (name == "bgendcolor") {
            if (enabled_) style.endBkColor = ParseColor(value, style.endBkColor);
        } else if (name == "bgeffect") {
            if (enabled_) style.bkEffect = ParseEffect(value, style.bkEffect);
        } else if (name == "align") {
            ApplyProperty("text-align", value, style);
        } else if (name == "valign") {
            ApplyProperty("vertical-align", value, style);
        } else if (name == "width") {
            style.width = length(style.width);
        } else if (name == "height") {
            style.height = length(style.height);
        }
    }
    if (style.borderStyle == 0 || style.borderWidth == 0)
        style.borderStyle = style.borderWidth = 0;
    else if (style.borderStyle != CDrawManager::kSolidLine)
        style.borderWidth = 1;
    if (!table) style.borderWidth = std::min(style.borderWidth, 1);
    return spans;
}

SIZE CHtmlDrawer::LayOutTable(const CString& text, int begin, int end, const RECT& rect) {
    SIZE size = {0, 0};
    ++tableCounter_;
    if (passMode_ == kMeasuring) {
        const Spans grid = CountTableGrid(text, begin, end);
        TableRecord created;
        created.cells.resize(grid.rows);  // each row gets the cells its markup has
        created.columnWidths.assign(grid.columns, 0);
        created.rowHeights.assign(grid.rows, 0);
        created.fixedColumns.assign(grid.columns, false);
        tableRecords_.push_back(std::move(created));
    }
    // A table the measuring pass did not meet has no grid to draw.
    if (tableCounter_ >= static_cast<int>(tableRecords_.size())) return size;
    const int index = tableCounter_;
    // Taken out of the list while the table is laid out (nested tables add records, which may
    // move the list) and put back at the end.
    TableRecord record = std::move(tableRecords_[index]);
    const int columns = static_cast<int>(record.columnWidths.size());
    const int rows = static_cast<int>(record.rowHeights.size());
    ++tableDepth_;

    PushNamedStyle("table");
    ReadTableAttributes(OpeningTagParameters(text, begin, end), style_, true);
    SelectStyleFont();
    const int spacing = style_.padding;
    const bool doubleBorder = style_.borderStyle == CDrawManager::kDouble;

    RECT table = {rect.left, rect.top, rect.left, rect.top};
    RECT inner = {0, 0, 0, 0};
    if (passMode_ == kDrawing) {
        const int border = doubleBorder ? 6 : 2 * style_.borderWidth;
        int width = GridExtent(record.columnWidths, spacing) + border;
        const int height = GridExtent(record.rowHeights, spacing) + border;
        int difference = (rect.right - rect.left) - width;
        if (difference > 0) {
            int free = static_cast<int>(std::count(record.fixedColumns.begin(), record.fixedColumns.end(), false));
            for (int column = 0; column < columns && free > 0; ++column) {
                if (record.fixedColumns[column]) continue;
                const int share = difference / free--;
                record.columnWidths[column] += share;
                difference -= share;
                width += share;
            }
        }
        if (difference > 0 && style_.hAlign == TextStyle::kCenter) table.left += difference / 2;
        if (difference > 0 && style_.hAlign == TextStyle::kRight) table.left += difference;
        table.right = table.left + width;
        table.bottom = table.top + height;

        if (style_.bkEffect >= 0)
            drawManager_.FillEffect(dc_, style_.bkEffect, table, style_.bkColor, style_.midBkColor, style_.endBkColor, 5,
                                    0);
        else if (!style_.bkImage.IsEmpty())
            DrawBackgroundImage(dc_, table.left, table.top, width, height, style_.bkImage);
        if (style_.borderWidth > 0) {
            const COLORREF light = enabled_ ? style_.lightBorderColor : disabledColor_;
            const COLORREF dark = enabled_ ? style_.darkBorderColor : disabledColor_;
            drawManager_.DrawRectangle(dc_, table, light, dark, style_.borderStyle, style_.borderWidth);
        }
        const int inset = doubleBorder ? 3 : style_.borderWidth;
        inner = {table.left + inset, table.top + inset, table.right - inset, table.bottom - inset};
    }

    if (columns > 0 && rows > 0) {
        std::vector<int> coveredThrough(passMode_ == kMeasuring ? columns : 0, -1);
        int position = begin + 1;  // after the table's own "<table"
        for (int row = 0; row < rows && FindAtTableLevel(text, position, end, "tr"); ++row) {
            const int rowEnd = FindRowEnd(text, position, end);
            LayOutRow(text, position, rowEnd, inner, record, row, coveredThrough);
            position = rowEnd + 5;
        }
    }

    if (passMode_ == kMeasuring) {
        SettleSizes(record.cells, true, record.columnWidths, &record.fixedColumns);
        SettleSizes(record.cells, false, record.rowHeights, nullptr);
        const int border = doubleBorder ? 6 * style_.borderWidth : 2 * style_.borderWidth;
        size.cx = GridExtent(record.columnWidths, spacing) + border;
        size.cy = GridExtent(record.rowHeights, spacing) + border;
    } else {
        size.cx = table.right - table.left;
        size.cy = table.bottom - table.top;
    }
    tableRecords_[index] = std::move(record);
    --tableDepth_;
    PopNamedStyle("table");
    return size;
}

void CHtmlDrawer::LayOutRow(const CString& text, int begin, int end, const RECT& inner, TableRecord& record, int row,
                            std::vector<int>& coveredThrough) {
    const int spacing = style_.padding;  // the table's
    const bool measuring = passMode_ == kMeasuring;
    PushNamedStyle("tr");
    ReadTableAttributes(OpeningTagParameters(text, begin, end), style_, false);
    SelectStyleFont();
    const int columns = static_cast<int>(record.columnWidths.size());
    const int rows = static_cast<int>(record.rowHeights.size());
    if (row < 0 || row >= rows || static_cast<int>(record.cells.size()) != rows ||
        (measuring && static_cast<int>(coveredThrough.size()) != columns)) {
        PopNamedStyle("tr");
        return;
    }
    std::vector<TableCell>& cells = record.cells[row];
    if (measuring) cells.clear();
    size_t placed = 0;  // the cells of the row met so far
    int column = 0;
    int position = begin;
    while (FindAtTableLevel(text, position, end, "td")) {
        if (measuring) {
            // Positions that a row span from above covers are skipped.
            while (column < columns && coveredThrough[column] >= row) ++column;
            if (column >= columns) break;  // more cells than the grid has room for
            TableCell fresh = {};
            fresh.column = column;
            cells.push_back(fresh);
        } else {
            // The drawing pass meets the cells the measuring pass placed, in the same order.
            if (placed >= cells.size()) break;
            column = cells[placed].column;
        }
        const int cellEnd = FindCellEnd(text, position, end);
        TableCell& cell = cells[placed++];
        RECT cellRect = {0, 0, 0, 0};
        if (passMode_ == kDrawing) {
            const int columnSpan = Clamp(cell.columnSpan, 1, columns - column);
            const int rowSpan = Clamp(cell.rowSpan, 1, rows - row);
            long long left = inner.left + spacing, top = inner.top + spacing;
            for (int c = 0; c < column; ++c) left += record.columnWidths[c] + spacing + 1;
            for (int r = 0; r < row; ++r) top += record.rowHeights[r] + spacing + 1;
            long long right = left + static_cast<long long>(columnSpan - 1) * (spacing + 1);
            long long bottom = top + static_cast<long long>(rowSpan - 1) * (spacing + 1);
            for (int c = column; c < column + columnSpan; ++c) right += record.columnWidths[c];
            for (int r = row; r < row + rowSpan; ++r) bottom += record.rowHeights[r];
            // Saturated like every other coordinate: many wide columns add up beyond an int.
            cellRect = {Saturated(left), Saturated(top), Saturated(right), Saturated(bottom)};
        }
        LayOutCell(text, position, cellEnd, cellRect, cell);
        cell.columnSpan = Clamp(cell.columnSpan, 1, columns - column);
        cell.rowSpan = Clamp(cell.rowSpan, 1, rows - row);
        // Covered from here on: the positions below within the row span in the cell's first
        // column (those to the right within the column span are stepped over at once).
        if (measuring) coveredThrough[column] = std::max(coveredThrough[column], row + cell.rowSpan - 1);
        column += cell.columnSpan;
        position += 3;
    }
    PopNamedStyle("tr");
}

void CHtmlDrawer::LayOutCell(const CString& text, int begin, int end, const RECT& cellRect, TableCell& cell) {
    const bool measuring = passMode_ == kMeasuring;
    if (measuring) cell.contentWidth = cell.contentHeight = 0;
    PushNamedStyle("td");
    style_.width = style_.height = style_.tableBase = style_.rowBase = 0;
    const Spans spans = ReadTableAttributes(OpeningTagParameters(text, begin, end), style_, false);
    SelectStyleFont();
    const int inset = style_.margin + style_.borderWidth;

    RECT content = {0, 0, style_.width, 0};
    if (measuring) {
        cell.columnSpan = spans.columns;
        cell.rowSpan = spans.rows;
        cell.contentWidth = style_.width;
        cell.fixed = style_.width > 0 ? 1 : 0;
    } else {
        content = cellRect;
        if (style_.bkEffect >= 0)
            drawManager_.FillEffect(dc_, style_.bkEffect, content, style_.bkColor, style_.midBkColor, style_.endBkColor,
                                    5, 0);
        if (style_.borderWidth > 0) {
            const COLORREF dark = enabled_ ? style_.darkBorderColor : disabledColor_;
            const COLORREF light = enabled_ ? style_.lightBorderColor : disabledColor_;
            drawManager_.DrawRectangle(dc_, content, dark, light, style_.borderStyle, 1);
        }
        InflateRect(&content, -inset, -inset);
        const int free = (content.bottom - content.top) - cell.contentHeight;
        if (style_.vAlign == TextStyle::kMiddle) content.top += free / 2;
        if (style_.vAlign == TextStyle::kBottom) content.top = content.bottom - cell.contentHeight;
    }
    // A cell with a width wraps at that width in both passes; one without never wraps.
    const SIZE used = LayOutPieces(text, begin, end, content, style_.width);
    if (measuring) {
        cell.contentWidth = std::max<int>(cell.contentWidth, used.cx);
        cell.contentHeight = used.cy;
        cell.cellWidth = std::max(cell.contentWidth, style_.width) + 2 * inset;
        cell.cellHeight = std::max(cell.contentHeight, style_.height) + 2 * style_.borderWidth + 2 * style_.margin;
    }
    PopNamedStyle("td");
}
