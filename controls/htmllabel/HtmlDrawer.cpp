// Construction and destruction of the HTML drawer, its lookup tables and its colours.
#include "controls/htmllabel/HtmlDrawer.h"
#include <cstdlib>
#include <cstring>

namespace {
// Named web colours as written in CSS (0xRRGGBB), in the order the table takes them.
struct WebColor {
    const char* name;
    DWORD rgb;
};
const WebColor kWebColors[] = {
    {"aqua", 0x00FFFF}, {"black", 0x000000}, {"blue", 0x0000FF}, {"brown", 0xA52A2A}, {"cyan", 0x00FFFF},
    {"gold", 0xFFD700}, {"gray", 0x808080}, {"green", 0x008000}, {"magenta", 0xFF00FF}, {"maroon", 0x800000},
    {"navy", 0x000080}, {"olive", 0x808000}, {"orange", 0xFFA500}, {"pink", 0xFFC0CB}, {"purple", 0x800080},
    {"red", 0xFF0000}, {"silver", 0xC0C0C0}, {"snow", 0xFFFAFA}, {"violet", 0xEE82EE}, {"white", 0xFFFFFF},
    {"yellow", 0xFFFF00},
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aquamarine", 0x7FFFD4}, {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4}, {"blanchedalmond", 0xFFEBCD}, {"blueviolet", 0x8A2BE2},
    {"burlywood", 0xDEB887}, {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00}, {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50}, {"cornflowerblue", 0x6495ED}, {"cornsilk", 0xFFF8DC}, {"crimson", 0xDC143C},
    {"darkblue", 0x00008B}, {"darkcyan", 0x008B8B}, {"darkgoldenrod", 0xB8860B}, {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400}, {"darkkhaki", 0xBDB76B}, {"darkmagenta", 0x8B008B}, {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00}, {"darkorchid", 0x9932CC}, {"darkred", 0x8B0000}, {"darksalmon", 0xE9967A},
    // This one has always been a shade off the CSS value (8F); stored texts may rely on it.
    {"darkseagreen", 0x8FBC8B},
    {"darkslateblue", 0x483D8B}, {"darkslategray", 0x2F4F4F}, {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3}, {"deeppink", 0xFF1493}, {"deepskyblue", 0x00BFFF}, {"dimgray", 0x696969},
    {"dodgerblue", 0x1E90FF}, {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0}, {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF}, {"gainsboro", 0xDCDCDC}, {"ghostwhite", 0xF8F8FF}, {"goldenrod", 0xDAA520},
    {"greenyellow", 0xADFF2F}, {"honeydew", 0xF0FFF0}, {"hotpink", 0xFF69B4}, {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082}, {"ivory", 0xFFFFF0}, {"khaki", 0xF0E68C}, {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5}, {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD}, {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080}, {"lightcyan", 0xE0FFFF}, {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgreen", 0x90EE90}, {"lightgrey", 0xD3D3D3}, {"lightpink", 0xFFB6C1}, {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA}, {"lightskyblue", 0x87CEFA}, {"lightslategray", 0x778899},
    {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00}, {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6}, {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD}, {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB}, {"mediumseagreen", 0x3CB371}, {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC}, {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA}, {"mistyrose", 0xFFE4E1}, {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD}, {"oldlace", 0xFDF5E6}, {"olivedrab", 0x6B8E23}, {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98}, {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5}, {"peachpuff", 0xFFDAB9}, {"peru", 0xCD853F},
    {"plum", 0xDDA0DD}, {"powderblue", 0xB0E0E6}, {"rosybrown", 0xBC8F8F}, {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513}, {"salmon", 0xFA8072}, {"sandybrown", 0xF4A460}, {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE}, {"sienna", 0xA0522D}, {"skyblue", 0x87CEEB}, {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090}, {"springgreen", 0x00FF7F}, {"steelblue", 0x4682B4}, {"tan", 0xD2B48C},
    {"teal", 0x008080}, {"thistle", 0xD8BFD8}, {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0},
    {"wheat", 0xF5DEB3}, {"whitesmoke", 0xF5F5F5}, {"yellowgreen", 0x9ACD32},
};
static_assert(sizeof(kWebColors) / sizeof(kWebColors[0]) == 140, "the web colours are 140");

struct SystemColor {
    const char* name;
    int index;
};
const SystemColor kSystemColors[] = {
    {"activeborder", COLOR_ACTIVEBORDER},
    {"activecaption", COLOR_ACTIVECAPTION},
    {"appworkspace", COLOR_APPWORKSPACE},
    {"background", COLOR_BACKGROUND},
    {"buttonface", COLOR_BTNFACE},
    {"buttonhighlight", COLOR_BTNHIGHLIGHT},
    {"buttonshadow", COLOR_BTNSHADOW},
    {"buttontext", COLOR_BTNTEXT},
    {"captiontext", COLOR_CAPTIONTEXT},
    {"graytext", COLOR_GRAYTEXT},
    {"highlight", COLOR_HIGHLIGHT},
    {"highlighttext", COLOR_HIGHLIGHTTEXT},
    {"inactiveborder", COLOR_INACTIVEBORDER},
    {"inactivecaption", COLOR_INACTIVECAPTION},
    {"inactivecaptiontext", COLOR_INACTIVECAPTIONTEXT},
    {"infobackground", COLOR_INFOBK},
    {"infotext", COLOR_INFOTEXT},
    {"menu", COLOR_MENU},
    {"menutext", COLOR_MENUTEXT},
    {"scrollbar", COLOR_SCROLLBAR},
    {"threeddarkshadow", COLOR_3DDKSHADOW},
    {"threedface", COLOR_BTNFACE},
    {"threedhighlight", COLOR_BTNHIGHLIGHT},
    {"threedlightshadow", COLOR_3DLIGHT},
    {"threedshadow", COLOR_BTNSHADOW},
    {"window", COLOR_WINDOW},
    {"windowframe", COLOR_WINDOWFRAME},
    {"windowtext", COLOR_WINDOWTEXT},
};
static_assert(sizeof(kSystemColors) / sizeof(kSystemColors[0]) == 28, "the system colours are 28");

COLORREF FromRgb(DWORD rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

CHtmlDrawer::CHtmlDrawer()
    : tableCounter_(-1),
      tableDepth_(0),
      hotAreaTarget_(),
      linkMessageTarget_(),
      imageListCellWidth_(0),
      imageListCellHeight_(0),
      resourceLibrary_(nullptr),
      savedFont_(nullptr),
      savedBkMode_(0),
      savedTextColor_(0),
      savedBkColor_(0),
      enabled_(true),
      disabledColor_(0),
      outputRect_(),
      dc_(nullptr),
      passMode_(kMeasuring),
      tabWidth_(32),
      maxWidth_(0),
      lineCounter_(0),
      hotLink_(kNoHotLink),
      linkCounter_(-1),
      animationIndex_(-1),
      lineBreaksAsTags_(true),
      shadowOffsetX_(0),
      shadowOffsetY_(0),
      shadowBlurX_(0),
      shadowBlurY_(0),
      shadowDarkness_(0),
      shadowGradient_(false),
      shadowColor_(0),
      textMetrics_(),
      logFont_(),
      line_(),
      pen_(),
      usableWidth_(0),
      wrapWidth_(0),
      lineUsed_(0),
      lineHasContent_(false),
      greatestWidth_(0),
      blanksToCome_(0) {
    FillTagTable();
    FillEntityTable();
    FillColorTable();
    LoadDefaultLinkCursor();
    SetLineBreaksAsTags(TRUE);
    SetMaxWidth(0);
    SetShadow(4, 4, 50, TRUE, 7, 7);
    SetTabSize(32);
    SetStyleSheet(nullptr);
    SetEnabled(TRUE);
    SetDisabledColor(GetSysColor(COLOR_BTNSHADOW));
}

CHtmlDrawer::~CHtmlDrawer() {
    FreeResourceDll(nullptr);
    linkCursor_.Reset();
    imageList_.Reset();
}

void CHtmlDrawer::AddEntity(const char* entity, const char* replacement) { entityTable_[entity] = replacement; }

void CHtmlDrawer::AddTag(const char* name, int id, const char* styleName) {
    TagRow row = {id, styleName};
    tagTable_[name] = row;
}

void CHtmlDrawer::AddColorName(const char* name, COLORREF color) { colorTable_[name] = color; }

void CHtmlDrawer::FillTagTable() {
    AddTag("b", kBoldTag, "bold");
    AddTag("i", kItalicTag, "italic");
    AddTag("em", kItalicTag, "italic");
    AddTag("u", kUnderlineTag, "underline");
    AddTag("s", kStrikeTag, "strikeout");
    AddTag("strike", kStrikeTag, "strikeout");
    AddTag("font", kFontTag, "font");
    AddTag("hr", kRuleTag, "");
    AddTag("br", kBreakTag, "");
    AddTag("\n", kBreakTag, "");
    AddTag("t", kTabTag, "");
    AddTag("\t", kTabTag, "");
    AddTag("left", kLeftTag, "left");
    AddTag("center", kCenterTag, "center");
    AddTag("right", kRightTag, "right");
    AddTag("justify", kJustifyTag, "justify");
    AddTag("baseline", kBaselineTag, "baseline");
    AddTag("top", kTopTag, "top");
    AddTag("vcenter", kVCenterTag, "vcenter");
    AddTag("middle", kVCenterTag, "vcenter");
    // Named "vcenter" as well: a closing </bottom> pops what <bottom> pushed all the same.
    AddTag("bottom", kBottomTag, "vcenter");
    AddTag("bmp", kBitmapTag, "");
    AddTag("icon", kIconTag, "");
    AddTag("ilst", kImageListTag, "");
    AddTag("string", kStringTag, "");
    for (const char* sheetTag : {"body", "h1", "h2", "h3", "h4", "h5", "h6", "code", "pre", "big", "small", "sub", "sup"})
        AddTag(sheetTag, kSheetTag, sheetTag);
    AddTag("span", kSpanTag, "span");
    AddTag("a", kLinkTag, "link");
}

void CHtmlDrawer::FillEntityTable() {
    AddEntity("&amp;", "&");
    AddEntity("&bull;", "\x95");
    AddEntity("&copy;", "\xA9");
    // 0x88, not the code page's euro (0x80): what the drawer has always put there.
    AddEntity("&euro;", "\x88");
    AddEntity("&gt;", ">");
    AddEntity("&iquest;", "\xBF");
    // The markup loop reads "<<" as one literal "<".
    AddEntity("&lt;", "<<");
    AddEntity("&nbsp;", " ");
    AddEntity("&para;", "\xB6");
    AddEntity("&pound;", "\xA3");
    AddEntity("&quot;", "\"");
    AddEntity("&reg;", "\xAE");
    AddEntity("&trade;", "\x99");
}

void CHtmlDrawer::FillColorTable() {
    for (const WebColor& color : kWebColors) AddColorName(color.name, FromRgb(color.rgb));
    // The scheme of this moment: the drawer does not follow later changes.
    for (const SystemColor& color : kSystemColors) AddColorName(color.name, GetSysColor(color.index));
}

void CHtmlDrawer::ApplyEntities() {
    // Row after row in key order, each over the whole text once: "&amp;lt;" ends as "<<".
    for (const auto& row : entityTable_) text_.Replace(row.first, row.second);
    text_.Remove('\r');
    if (lineBreaksAsTags_) {
        text_.Replace("\n", "<br>");
        text_.Replace("\t", "<t>");
    } else {
        text_.Remove('\n');
        text_.Remove('\t');
    }
}

int CHtmlDrawer::LookUpTag(CString tag, CString& styleName, bool& closing) const {
    closing = false;
    if (tag.GetLength() > 0 && tag[0] == '/') {
        closing = true;
        tag.Delete(0);
    }
    auto row = tagTable_.find(tag);
    if (row == tagTable_.end()) return kNoTag;
    styleName = row->second.styleName;
    return row->second.id;
}

COLORREF CHtmlDrawer::LookUpColorName(const CString& name, COLORREF defaultColor) const {
    if (!enabled_) return disabledColor_;
    auto row = colorTable_.find(name);
    return row == colorTable_.end() ? defaultColor : row->second;
}

COLORREF CHtmlDrawer::ParseColor(const CString& text, COLORREF defaultColor) const {
    if (text.IsEmpty()) return defaultColor;
    const char first = text[0];
    if (first == '#') {
        if (text.GetLength() != 7) return defaultColor;
        // "#rrggbb" read backwards as the number 0xbbggrr, which is the COLORREF.
        CString swapped = "0x" + text.Mid(5, 2) + text.Mid(3, 2) + text.Mid(1, 2);
        return static_cast<COLORREF>(std::strtoul(swapped, nullptr, 0));
    }
    if (first >= '0' && first <= '9') return static_cast<COLORREF>(std::strtoul(text, nullptr, 0));
    return LookUpColorName(text, defaultColor);
}

void CHtmlDrawer::SetShadow(int offsetX, int offsetY, BYTE darkness, BOOL gradient, int blurX, int blurY) {
    shadowOffsetX_ = offsetX;
    shadowOffsetY_ = offsetY;
    shadowDarkness_ = darkness > 100 ? 100 : darkness;
    shadowGradient_ = gradient != FALSE;
    shadowBlurX_ = blurX;
    shadowBlurY_ = blurY;
    BYTE grey = static_cast<BYTE>(MulDiv(255, 100 - shadowDarkness_, 100));
    shadowColor_ = RGB(grey, grey, grey);
}

int CHtmlDrawer::CountChar(const CString& text, char ch) {
    int count = 0;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] == ch) ++count;
    return count;
}
