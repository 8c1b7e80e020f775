// The drawer's style sheets: the rule store and its parser, the declarations and the lengths.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/TextScanner.h"
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace {
CString Lowered(CString text) { return text.MakeLower(); }

// The leading decimal number of the text, 0 when there is none.
int LeadingNumber(const CString& text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

// The value's index in the keyword list, or -1.
int KeywordIndex(const CString& value, std::initializer_list<const char*> keywords) {
    int index = 0;
    for (const char* keyword : keywords) {
        if (value == keyword) return index;
        ++index;
    }
    return -1;
}

// A mapped keyword, or the current value when the word is none of them.
int Keyword(const CString& value, std::initializer_list<std::pair<const char*, int>> table, int current) {
    for (const auto& row : table)
        if (value == row.first) return row.second;
    return current;
}
}  // namespace

void CHtmlDrawer::SetStyleSheet(const char* text) {
    styleSheetRules_.clear();
    if (!text || !*text) {
        SetStyleSheet(
            "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
            "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
            "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
            "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
            "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
            "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
            "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
            "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
            "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
            "code {color:#990000; font-family:Arial}\r\n"
            "a:link {text-decoration:none; color:blue}\r\n"
            "a:hover {text-decoration:underline; color:blue}\r\n"
            "sub {font-size:65%; vertical-align:bottom}\r\n"
            "sup {font-size:65%; vertical-align:top}\r\n"
            "big {font-size:125%}\r\n"
            "small {font-size:75%}\r\n"
            ".cpp-comment {color:green; font-style:italic}\r\n");
        return;
    }
    styleSheetText_ = CString(text);  // through a copy: the text may be the stored one
    const CString& sheet = styleSheetText_;
    TextScanner scanner(sheet);
    while (scanner.SkipToWord()) {
        const CString selector = scanner.ReadToAny(" \t\r\n{");
        // Without a blank or brace after the selector no rule can follow; nor without a "{"
        // and a "}" after it (looking on from the selector would never end).
        if (scanner.AtEnd()) break;
        if (scanner.ScanToAny("{") == '\0') break;
        const int open = scanner.Position();
        const int close = sheet.Find('}', open + 1);
        if (close < 0) break;
        SetSelector(selector, sheet.Mid(open + 1, close - open - 1));
        scanner.SetPosition(close);
    }
}

void CHtmlDrawer::LoadStyleSheetFromResource(UINT id, const char* dll) {
    CString text = dll && *dll ? LoadDllString(id, dll) : LoadResourceString(id);
    SetStyleSheet(text);
}

void CHtmlDrawer::SetSelector(const CString& selector, const CString& declarations) {
    styleSheetRules_[Lowered(selector)] = declarations;
}

const CString* CHtmlDrawer::FindSelector(const CString& selector) const {
    auto rule = styleSheetRules_.find(Lowered(selector));
    return rule == styleSheetRules_.end() ? nullptr : &rule->second;
}

void CHtmlDrawer::RemoveSelector(const CString& selector) { styleSheetRules_.erase(Lowered(selector)); }

void CHtmlDrawer::ApplySelector(const CString& selector, TextStyle& style) {
    if (const CString* declarations = FindSelector(selector)) ApplyDeclarations(*declarations, style);
}

void CHtmlDrawer::ApplyDeclarations(const CString& declarations, TextStyle& style) {
    const CString text = Lowered(declarations);
    TextScanner scanner(text);
    while (scanner.SkipToWord()) {
        const CString property = scanner.ReadToAny(" \t\r\n:");
        const CString value = scanner.ReadValue(':', ";");

        if (property == "font-size") {
            style.fontSize = ParseLength(value, style.fontSize, TRUE);
        } else if (property == "font-family") {
            if (!value.IsEmpty()) style.SetFaceName(value);
        } else if (property == "font-style") {
            style.italic = Keyword(value, {{"normal", 0}, {"", 0}, {"italic", 1}, {"oblique", 1}}, style.italic);
        } else if (property == "font-weight") {
            style.weight = Keyword(value, {{"normal", 400}, {"", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}},
                                   -1);
            if (style.weight < 0) style.weight = LeadingNumber(value);
        } else if (property == "text-align") {
            style.hAlign = Keyword(value, {{"left", 0}, {"", 0}, {"center", 1}, {"right", 2}}, style.hAlign);
        } else if (property == "text-transform") {
            style.textTransform = Keyword(
                value, {{"none", 0}, {"", 0}, {"uppercase", 1}, {"lowercase", 2}, {"capitalize", 3}}, style.textTransform);
        } else if (property == "color") {
            style.textColor = enabled_ ? ParseColor(value, style.textColor) : disabledColor_;
        } else if (property == "background-color") {
            if (!enabled_ || value.IsEmpty() || value == "transparent") {
                style.bkMode = TextStyle::kTransparentMode;
            } else {
                style.bkMode = TextStyle::kOpaqueMode;
                style.bkColor = ParseColor(value, style.bkColor);
            }
        } else if (property == "text-decoration") {
            CString words = value.IsEmpty() ? CString("none") : value;
            words.Replace(',', ' ');
            TextScanner wordScanner(words);
            while (wordScanner.SkipAny(TextScanner::kBlanks) != '\0') {
                switch (KeywordIndex(wordScanner.ReadToAny(TextScanner::kBlanks),
                                     {"none", "underline", "line-through", "overline"})) {
                case 0: style.underline = style.strikeOut = style.overline = 0; break;
                case 1: style.underline = 1; break;
                case 2: style.strikeOut = 1; break;
                case 3: style.overline = 1; break;
                }
            }
        } else if (property == "vertical-align") {
            style.vAlign = Keyword(value, {{"baseline", 3}, {"", 3}, {"middle", 1}, {"vcenter", 1}, {"top", 0}, {"bottom", 2}},
                                   style.vAlign);
        } else if (property == "border-color") {
            style.lightBorderColor = enabled_ ? ParseColor(value, style.lightBorderColor) : disabledColor_;
            style.darkBorderColor = style.lightBorderColor;
        } else if (property == "border-width" || property == "size") {
            if (value == "thin")
                style.borderWidth = MulDiv(style.borderWidth, 75, 100);
            else if (value == "thick")
                style.borderWidth = MulDiv(style.borderWidth, 125, 100);
            else if (value != "medium")
                style.borderWidth = ParseLength(value, style.borderWidth, FALSE);
            style.SettleBorderWidth();
        } else if (property == "border-style") {
            style.borderStyle = Keyword(
                value, {{"none", 0}, {"", 0}, {"solid", 1}, {"dotted", 3}, {"dashed", 2}, {"double", 6}}, style.borderStyle);
            if (style.borderStyle != 0 && style.borderWidth == 0) style.borderWidth = 1;
        } else if (property == "margin") {
            style.margin = ParseLength(value, style.margin, FALSE);
        } else if (property == "padding") {
            style.padding = ParseLength(value, style.padding, FALSE);
        }
    }
}

int CHtmlDrawer::ParseLength(const CString& text, int base, BOOL htmlSizes) {
    if (text.IsEmpty()) return base;
    if (IsPercent(text)) return MulDiv(base, LeadingNumber(text.Left(text.GetLength() - 1)), 100);
    CString length = text;
    // A sign is read and dropped: "-11pt" (a font's height) counts as 11 points.
    if (length[0] == '+' || length[0] == '-') length.Delete(0);
    const int number = LeadingNumber(length);
    const CString unit = length.GetLength() > 1 ? length.Right(2) : CString();
    const int perInch = dc_ ? GetDeviceCaps(dc_, LOGPIXELSY) : 0;
    switch (KeywordIndex(unit, {"px", "ex", "em", "in", "cm", "mm", "pt", "pc"})) {
    case 0: return number;
    case 1: {
        SIZE extent = {0, 0};
        if (dc_) GetTextExtentPoint32A(dc_, "x", 1, &extent);
        return number * extent.cy;
    }
    case 2: return number * textMetrics_.tmHeight;
    case 3: return number * perInch;
    case 4: return static_cast<int>(number * perInch / 2.54);
    case 5: return static_cast<int>(number * perInch / 25.4);
    case 6: return number * perInch / 72;
    case 7: return number * perInch / 6;
    }
    int value = static_cast<int>(std::strtoul(length, nullptr, 0));
    static const int kHtmlSizes[] = {8, 10, 12, 14, 18, 24, 36};
    if (htmlSizes && value >= 1 && value <= 7) value = kHtmlSizes[value - 1];
    return value;
}

void CHtmlDrawer::ApplyProperty(const char* property, const CString& value, TextStyle& style) {
    // A ";" in the value would start another declaration: the attribute gives one value only.
    const int end = value.Find(';');
    ApplyDeclarations(CString(property) + ":" + (end < 0 ? value : value.Left(end)), style);
}
