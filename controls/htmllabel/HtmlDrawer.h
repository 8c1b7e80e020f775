// Measures and draws a text in a small HTML subset with CSS on a device context: the renderer
// under the HTML label control, with its tables of entities, tags and colour names, its style
// sheet, its pictures and the hot areas its links leave.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include "controls/htmllabel/DrawManager.h"
#include "controls/htmllabel/TextStyle.h"
#include <initializer_list>
#include <map>
#include <vector>

class CHtmlDrawer {
public:
    // One output line as the measuring pass found it.
    struct LineRecord {
        int width;
        int height;
        int descent;
        int percentWidth;
        int alignment;
        int blanks;
        int wrapped;
    };
    struct TableCell {
        int columnSpan;
        int rowSpan;
        int contentWidth;
        int contentHeight;
        int cellWidth;
        int cellHeight;
        int fixed;
        int column;  // the grid column the cell starts in
    };
    struct TableRecord {
        // [row][the row's cells in markup order]: only the cells the markup has, so that spans
        // over a large grid cost nothing for the positions they cover.
        std::vector<std::vector<TableCell>> cells;
        std::vector<int> columnWidths;
        std::vector<int> rowHeights;
        std::vector<bool> fixedColumns;
    };
    // A rectangle of drawn link content, in output device coordinates.
    struct HotArea {
        int left;
        int top;
        int right;
        int bottom;
        int linkKind;
        int linkNumber;
        CString target;
    };
    struct AnimationRecord {
        int currentFrame;
        int frameCount;
        int tickCounter;
        int speed;
    };
    // The attributes of one image tag.
    struct ImageAttributes {
        int index;
        int idres;
        int iddll;
        int handle;  // a picture handle as markup writes it (32 bits, sign-extended when used)
        int cx;
        int cy;
        int width;
        int height;
        int speed;
        UINT style;
        UINT hotStyle;
        bool maskGiven;
        bool widthInPercent;
        bool heightInPercent;
        COLORREF maskColor;
        CString file;
        CString srcdll;
    };
    // A column span and a row span.
    struct Spans {
        int columns;
        int rows;
    };
    enum PassMode { kDrawing = 0, kMeasuring = 1 };
    enum TagId {
        kNoTag = 0,
        kBoldTag = 1,
        kItalicTag,
        kUnderlineTag,
        kStrikeTag,
        kFontTag,
        kRuleTag,
        kBreakTag,
        kTabTag,
        kLeftTag,
        kCenterTag,
        kRightTag,
        kJustifyTag,
        kBaselineTag,
        kTopTag,
        kVCenterTag,
        kBottomTag,
        kBitmapTag,
        kIconTag,
        kImageListTag,
        kStringTag,
        kSheetTag,
        kSpanTag,
        kLinkTag,
    };
    enum { kNoHotLink = -2 };

    CHtmlDrawer();
    virtual ~CHtmlDrawer();
    CHtmlDrawer(const CHtmlDrawer&) = delete;
    CHtmlDrawer& operator=(const CHtmlDrawer&) = delete;

    // The two passes: measuring records the lines (and gives the size plus one each way),
    // drawing draws the same markup into the rectangle; DrawHtml joins them.
    void PrepareOutput(HDC dc, const CString& markup, SIZE& size);
    void DrawPreparedOutput(HDC dc, const RECT& rect);
    void DrawHtml(HDC dc, const CString& markup, const RECT& rect);

    // Colours of markup attributes and CSS values: "#rrggbb", a COLORREF number in automatic
    // base ("0x0000FF" is red), or a colour name.
    COLORREF ParseColor(const CString& text, COLORREF defaultColor) const;
    // The exact name's colour, or the default; the disabled colour for every name while disabled.
    COLORREF LookUpColorName(const CString& name, COLORREF defaultColor) const;
    // The tag id (0 for no tag) and its style name; a leading "/" marks a closing tag.
    int LookUpTag(CString tag, CString& styleName, bool& closing) const;
    void SetEnabled(BOOL enabled) { enabled_ = enabled != FALSE; }
    void SetDisabledColor(COLORREF color) { disabledColor_ = color; }

    // Style sheets: rules of selector { declarations }. No text installs the built-in sheet.
    void SetStyleSheet(const char* text);
    void LoadStyleSheetFromResource(UINT id, const char* dll = nullptr);
    const CString& GetStyleSheet() const { return styleSheetText_; }
    void SetSelector(const CString& selector, const CString& declarations);
    // The declarations of the (lower-cased) selector, or null.
    const CString* FindSelector(const CString& selector) const;
    void RemoveSelector(const CString& selector);
    void ApplySelector(const CString& selector, TextStyle& style);
    void ApplyDeclarations(const CString& declarations, TextStyle& style);
    // One declaration, for markup attributes that take the values of a style property.
    void ApplyProperty(const char* property, const CString& value, TextStyle& style);
    // A length in pixels on the pass's device context and font: px, ex, em, in, cm, mm, pt, pc,
    // a percentage of the base, or a plain number (the HTML sizes 1 to 7 where allowed).
    int ParseLength(const CString& text, int base, BOOL htmlSizes);

    // Pictures and strings; each picture is the caller's to delete. A named library is mapped as
    // a data file: its code never runs.
    HICON LoadIconFromResource(UINT id, int cx, int cy) const;
    HICON LoadIconFromFile(const char* path, int cx, int cy) const;
    HICON LoadIconFromDll(UINT id, int cx, int cy, const char* dll) const;
    HBITMAP LoadBitmapFromResource(UINT id) const;
    HBITMAP LoadBitmapFromFile(const char* path) const;
    HBITMAP LoadBitmapFromDll(UINT id, const char* dll) const;
    CString LoadResourceString(UINT id) const;
    CString LoadDllString(UINT id, const char* dll) const;
    // Line n (from 0) of the string, split at line feeds.
    CString GetResourceStringLine(UINT id, int line) const;
    static const LOGFONTA* GetStatusBarFont();

    // The library numbered pictures and strings come from when markup names none. A library
    // loaded here is the drawer's and is freed; one handed in stays the caller's.
    void SetResourceDll(const char* fileName, DWORD loadFlags = 0);
    void FreeResourceDll(HMODULE module = nullptr);
    void SetImageList(UINT bitmapId, int cx, int cy, int initialCount, COLORREF maskColor);
    void SetImageListBitmap(HBITMAP bitmap, int cx, int cy, int initialCount, COLORREF maskColor);

    // Links and hot areas.
    void SetHotAreaTarget(HWND window, UINT message, LPARAM lParam);
    void SetLinkMessageTarget(HWND window, UINT message, LPARAM lParam);
    // The first hot area holding the point, all four edges included; -1 for none.
    int HotAreaAt(POINT point) const;
    // Tells the hot-area target of a change of the link under the point and shows the link
    // cursor over a link with a target (TRUE then).
    BOOL SetCursorAt(POINT point);
    // The mouse left the output: no link is hot any more (the target hears -2 once); the cursor
    // is not touched, since it may be over another window by now.
    void LeaveHotAreas();
    void ClickAt(POINT point);
    // Opens the target with the shell, or else with the program registered for ".htm".
    INT_PTR OpenLink(const CString& target, int showCommand);
    void LoadDefaultLinkCursor();
    // The same cursor again changes nothing; null reloads the default; any other becomes the
    // drawer's.
    void SetLinkCursor(HCURSOR cursor);
    HCURSOR GetLinkCursor() const { return linkCursor_.Get(); }
    // One timer tick for every animated picture; TRUE when a frame changed.
    BOOL StepAnimation();
    void DrawBackgroundImage(HDC dc, int x, int y, int width, int height, const CString& picture);

    // Darkness is cut to 100; the shadow is the grey it leaves.
    void SetShadow(int offsetX, int offsetY, BYTE darkness, BOOL gradient, int blurX, int blurY);
    CDrawManager& GetDrawManager() { return drawManager_; }
    void SetLineBreaksAsTags(BOOL on) { lineBreaksAsTags_ = on != FALSE; }
    void SetMaxWidth(int width) { maxWidth_ = width; }
    void SetTabSize(int size) { tabWidth_ = size; }
    static int CountChar(const CString& text, char ch);
    int ParseWidthAttribute(const CString& attributes, int current, int minimum, BOOL relative);

    // Image attributes and styles of the picture tags.
    void ParseImageAttributes(const CString& text, ImageAttributes& attributes);
    UINT ParseImageStyle(const CString& text) const;
    static BOOL HasShadow(const ImageAttributes& attributes);
    static BOOL IsPercent(const CString& text);
    int ParseEffect(const CString& text, int defaultEffect);

private:
    friend class HtmlDrawerProbe;  // the tests' view of the pass state

    // Pixels a length from markup may ask for (rules, borders, spacings, cell sizes): more
    // could only overflow the sums of a layout.
    enum { kMaxExtent = 32767 };
    // The largest font height markup may ask for: glyphs beyond it only cost time to rasterise.
    enum { kMaxFontSize = 1000 };
    // Tables nested deeper than this are laid out as plain markup, alike in both passes: each
    // level costs stack (under a kilobyte) and a walk over the text the table holds.
    enum { kMaxTableDepth = 16 };

    struct TagRow {
        int id;
        CString styleName;
    };
    struct NotifyTarget {
        HWND window;
        UINT message;
        LPARAM lParam;
    };

    void AddEntity(const char* entity, const char* replacement);
    void AddTag(const char* name, int id, const char* styleName);
    void AddColorName(const char* name, COLORREF color);
    void FillTagTable();
    void FillEntityTable();
    void FillColorTable();
    // Rewrites the working text: entities, then carriage returns, line feeds and tabs.
    void ApplyEntities();
    // The module of a named library (mapped as data into `temporary`) or the resource library.
    HMODULE ResourceSource(const char* dll, ScopedModule& temporary) const;

    // The passes and the markup loop. Markup wraps at wrapWidth (0: never) in both passes, so
    // the drawing pass meets the lines the measuring pass recorded.
    void RunPass(SIZE& size, const RECT& rect);
    // Text cut at each "<table": the parts between go to the markup loop, the tables to the
    // table layout; the widest piece's width and the sum of the heights.
    // The text is read from begin to end alone, where the pieces lie in one working text.
    SIZE LayOutPieces(const CString& text, int begin, int end, RECT rect, int wrapWidth);
    SIZE LayOutMarkup(const CString& piece, const RECT& rect, int wrapWidth);
    bool NextTextRun(const CString& text, int& position, CString& run, CString& tag);
    static void SplitTagName(const CString& tag, CString& name, CString& parameters);
    static bool NextAttribute(const CString& parameters, int& position, CString& name, CString& value);
    static CString NextWord(const CString& text, int& position);
    // The next "<name" (not written "<<name") for the first of the names it begins, at or after
    // the position and before the end (-1: the text's end): the name's index and its position;
    // -1 with the position at the end.
    static int NextTagOf(const CString& text, int& position, std::initializer_list<const char*> names, int end = -1);
    void LayOutTextRun(CString run);
    // Word wrap of run[start...], whose cumulative widths (widths[i]: the first i + 1 characters of
    // the run) are measured once for the run: the piece that fits into the available width ends
    // at pieceEnd, the rest begins at restStart, and the piece's width comes back in
    // availableWidth. On an empty line at least one character goes; on a begun line the piece may
    // be empty, and the text then goes to the next line whole.
    void SplitToWidth(const CString& run, const std::vector<int>& widths, int start, int& pieceEnd, int& restStart,
                      int& availableWidth);
    // Draws a piece of a text run (justified on a justified line); gives its drawn width.
    int DrawTextPiece(CString piece, int width, int y, int height);
    void AddHotArea(int left, int top, int right, int bottom);
    int PlaceTextVertically(int y, int textHeight);
    int PlaceObjectVertically(int y, int objectHeight);
    int BeginLine(int x);
    void EndLine(int count);
    void ActOnTag(const CString& name, const CString& parameters);
    bool PushOrPopStyle(bool closing);
    void SelectStyleFont();
    void ApplyFontAttributes(const CString& parameters);
    void ApplyLinkAttributes(const CString& parameters);
    void ParseFontStyle(const CString& text);
    void AdvanceTab(int count);
    void PlaceRule(const CString& parameters);
    void PlaceImage(int tagId, const CString& parameters);
    void PlaceString(const CString& parameters);
    // Moves the pen and the line's layout position on by the same width.
    void Advance(int width);
    // The command line run for a target by the program registered for ".htm"; empty when the
    // target cannot be passed safely.
    static CString HtmlHandlerCommand(const CString& registered, const CString& target);
    void OpenHotArea(int index);
    void NotifyHotAreaChanged(int linkNumber);
    void NotifyLinkMessage(const CString& target);

    // Tables. Each table, row and cell is the part of the working text from begin (its opening
    // tag) to end; nothing is copied per level.
    SIZE LayOutTable(const CString& text, int begin, int end, const RECT& rect);
    // coveredThrough: per column, the last row that a row span from above covers (measuring).
    void LayOutRow(const CString& text, int begin, int end, const RECT& inner, TableRecord& record, int row,
                   std::vector<int>& coveredThrough);
    void LayOutCell(const CString& text, int begin, int end, const RECT& cellRect, TableCell& cell);
    Spans CountTableGrid(const CString& text, int begin, int end);  // columns and rows
    Spans ReadTableAttributes(const CString& parameters, TextStyle& style, bool table);
    // The parameter text of the tag at the position (a table, row or cell tag), which must close
    // before the end.
    static CString OpeningTagParameters(const CString& text, int position, int end);
    void PushNamedStyle(const char* name);
    void PopNamedStyle(const char* name);
    // The next "<name" of this table, not of a table nested in it, before the end.
    static bool FindAtTableLevel(const CString& text, int& position, int end, const char* name);
    // The start of the "</close" that matches the "<open" at the position, nested ones counted
    // (and tables skipped whole when asked); the end without one.
    static int FindClosingTag(const CString& text, int position, int end, const char* open, const char* close,
                              bool skipTables);
    static int FindTableEnd(const CString& text, int position, int end);
    static int FindRowEnd(const CString& text, int position, int end);
    static int FindCellEnd(const CString& text, int position, int end);

    std::vector<TableRecord> tableRecords_;
    int tableCounter_;
    int tableDepth_;  // tables enclosing the layout under way
    NotifyTarget hotAreaTarget_;
    NotifyTarget linkMessageTarget_;
    TextStyle style_;
    CDrawManager drawManager_;
    ScopedImageList imageList_;
    int imageListCellWidth_;
    int imageListCellHeight_;
    HMODULE resourceLibrary_;
    ScopedModule ownedResourceLibrary_;  // holds resourceLibrary_ when the drawer loaded it
    ScopedCursor linkCursor_;
    HGDIOBJ savedFont_;
    int savedBkMode_;
    COLORREF savedTextColor_;
    COLORREF savedBkColor_;
    bool enabled_;
    COLORREF disabledColor_;
    RECT outputRect_;
    HDC dc_;
    CString text_;
    int passMode_;
    int tabWidth_;
    int maxWidth_;
    int lineCounter_;
    int hotLink_;
    int linkCounter_;
    int animationIndex_;
    bool lineBreaksAsTags_;
    int shadowOffsetX_;
    int shadowOffsetY_;
    int shadowBlurX_;
    int shadowBlurY_;
    BYTE shadowDarkness_;
    bool shadowGradient_;
    COLORREF shadowColor_;
    TEXTMETRICA textMetrics_;
    LOGFONTA logFont_;
    ScopedFont font_;
    CString styleSheetText_;
    std::vector<LineRecord> lineRecords_;
    LineRecord line_;  // the line under way
    POINT pen_;
    int usableWidth_;
    int wrapWidth_;
    int lineUsed_;         // layout width taken on the line under way, as the measuring pass counts it
    bool lineHasContent_;  // something was placed since the line began
    int greatestWidth_;
    int blanksToCome_;
    std::vector<TextStyle> styleStack_;
    std::vector<HotArea> hotAreas_;
    std::vector<AnimationRecord> animations_;
    std::map<CString, COLORREF> colorTable_;
    std::map<CString, CString> styleSheetRules_;
    std::map<CString, CString> entityTable_;
    std::map<CString, TagRow> tagTable_;
};
