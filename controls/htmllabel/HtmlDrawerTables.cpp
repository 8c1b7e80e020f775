// The drawer's tables: the grid, spans, column widths and row heights, borders and backgrounds,
// cells holding markup and further tables.
//
// The measuring pass keeps each table's grid in a table record; the drawing pass finds the
// records again in the same order. Every grid access is bounded by the record, and every end
// is looked for inside the piece of text that holds the table, row or cell.
#include "controls/htmllabel/HtmlDrawer.h"
#include <algorithm>
#include <cstring>

namespace {
// A grid larger than this is no table a label shows: spans and rows beyond it are dropped.
const int kMaxTableColumns = 1000;
const int kMaxTableRows = 1000;

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

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
        for (size_t column = 0; column < cells[row].size(); ++column) {
            const CHtmlDrawer::TableCell& cell = cells[row][column];
            const int first = static_cast<int>(columns ? column : row);
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

CString CHtmlDrawer::OpeningTagParameters(const CString& text, int position) {
    CString run, tag, name, parameters;
    if (NextTextRun(text, position, run, tag) && run.IsEmpty()) SplitTagName(tag, name, parameters);
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

bool CHtmlDrawer::FindAtTableLevel(const CString& text, int& position, const char* name) {
    for (;;) {
        const int found = NextTagOf(text, position, {name, "table"});
        if (found < 0) return false;
        if (found == 0) return true;
        position = FindTableEnd(text, position);
    }
}

int CHtmlDrawer::FindClosingTag(const CString& text, int position, const char* open, const char* close,
                                bool skipTables) {
    const int length = text.GetLength();
    const int openLength = static_cast<int>(std::strlen(open)) + 1, closeLength = static_cast<int>(std::strlen(close)) + 1;
    int level = 1;
    int at = position + openLength;
    while (at < length) {
        const int found = skipTables ? NextTagOf(text, at, {open, close, "table"}) : NextTagOf(text, at, {open, close});
        if (found < 0) break;
        if (found == 2) {
            at = FindTableEnd(text, at);
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

int CHtmlDrawer::FindTableEnd(const CString& text, int position) {
    return FindClosingTag(text, position, "table", "/table", false);
}

int CHtmlDrawer::FindRowEnd(const CString& text, int position) { return FindClosingTag(text, position, "tr", "/tr", true); }

int CHtmlDrawer::FindCellEnd(const CString& text, int position) {
    const int length = text.GetLength();
    int at = position + 3;
    while (at < length) {
        const int found = NextTagOf(text, at, {"/td", "table"});
        if (found < 0) break;
        if (found == 0) return at;
        at = FindTableEnd(text, at);
    }
    return length;
}

CHtmlDrawer::Spans CHtmlDrawer::CountTableGrid(const CString& piece) {
    Spans grid = {0, 0};
    int row = 1;  // after the table's own "<table"
    while (grid.rows < kMaxTableRows && FindAtTableLevel(piece, row, "tr")) {
        const int end = FindRowEnd(piece, row);
        int columns = 0;
        int cell = row + 3;
        while (columns < kMaxTableColumns && FindAtTableLevel(piece, cell, "td") && cell < end) {
            TextStyle scratch = style_;
            const Spans spans = ReadTableAttributes(OpeningTagParameters(piece, cell), scratch, false);
            columns += Clamp(spans.columns, 1, kMaxTableColumns - columns);
            cell += 3;
        }
        grid.columns = std::max(grid.columns, columns);
        ++grid.rows;
        row = end + 5;
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

SIZE CHtmlDrawer::LayOutTable(const CString& piece, const RECT& rect) {
    SIZE size = {0, 0};
    ++tableCounter_;
    if (passMode_ == kMeasuring) {
        const Spans grid = CountTableGrid(piece);
        TableRecord created;
        created.cells.assign(grid.rows, std::vector<TableCell>(grid.columns, TableCell{}));
        created.columnWidths.assign(grid.columns, 0);
        created.rowHeights.assign(grid.rows, 0);
        created.fixedColumns.assign(grid.columns, false);
        tableRecords_.push_back(created);
    }
    // A table the measuring pass did not meet has no grid to draw.
    if (tableCounter_ >= static_cast<int>(tableRecords_.size())) return size;
    const int index = tableCounter_;
    // A copy: nested tables add records, which may move the list.
    TableRecord record = tableRecords_[index];
    const int columns = static_cast<int>(record.columnWidths.size());
    const int rows = static_cast<int>(record.rowHeights.size());

    PushNamedStyle("table");
    ReadTableAttributes(OpeningTagParameters(piece), style_, true);
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
        int position = 1;  // after the table's own "<table"
        for (int row = 0; row < rows && FindAtTableLevel(piece, position, "tr"); ++row) {
            const int end = FindRowEnd(piece, position);
            LayOutRow(piece.Mid(position, end - position), inner, record, row);
            position = end + 5;
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
    tableRecords_[index] = record;
    PopNamedStyle("table");
    return size;
}

void CHtmlDrawer::LayOutRow(const CString& piece, const RECT& inner, TableRecord& record, int row) {
    const int spacing = style_.padding;  // the table's
    PushNamedStyle("tr");
    ReadTableAttributes(OpeningTagParameters(piece), style_, false);
    SelectStyleFont();
    const int columns = static_cast<int>(record.columnWidths.size());
    const int rows = static_cast<int>(record.rowHeights.size());
    if (row < 0 || row >= rows || static_cast<int>(record.cells.size()) != rows) {
        PopNamedStyle("tr");
        return;
    }
    std::vector<TableCell>& cells = record.cells[row];
    int column = 0;
    int position = 0;
    while (FindAtTableLevel(piece, position, "td")) {
        while (column < columns && cells[column].columnSpan == -1) ++column;
        if (column >= columns) break;  // more cells than the grid has room for
        const int end = FindCellEnd(piece, position);
        TableCell& cell = cells[column];
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
            cellRect = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                        static_cast<LONG>(bottom)};
        }
        LayOutCell(piece.Mid(position, end - position), cellRect, cell);
        cell.columnSpan = Clamp(cell.columnSpan, 1, columns - column);
        cell.rowSpan = Clamp(cell.rowSpan, 1, rows - row);
        if (passMode_ == kMeasuring) {
            // Covered: the positions to the right within the column span, and those below
            // within the row span in the cell's first column.
            for (int c = column + 1; c < column + cell.columnSpan; ++c) cells[c].columnSpan = cells[c].rowSpan = -1;
            for (int r = row + 1; r < row + cell.rowSpan; ++r)
                record.cells[r][column].columnSpan = record.cells[r][column].rowSpan = -1;
        }
        column += cell.columnSpan;
        position += 3;
    }
    PopNamedStyle("tr");
}

void CHtmlDrawer::LayOutCell(const CString& piece, const RECT& cellRect, TableCell& cell) {
    const bool measuring = passMode_ == kMeasuring;
    if (measuring) cell.contentWidth = cell.contentHeight = 0;
    PushNamedStyle("td");
    style_.width = style_.height = style_.tableBase = style_.rowBase = 0;
    const Spans spans = ReadTableAttributes(OpeningTagParameters(piece), style_, false);
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
    const SIZE used = LayOutPieces(piece, content, style_.width);
    if (measuring) {
        cell.contentWidth = std::max<int>(cell.contentWidth, used.cx);
        cell.contentHeight = used.cy;
        cell.cellWidth = std::max(cell.contentWidth, style_.width) + 2 * inset;
        cell.cellHeight = std::max(cell.contentHeight, style_.height) + 2 * style_.borderWidth + 2 * style_.margin;
    }
    PopNamedStyle("td");
}
