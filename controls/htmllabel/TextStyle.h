// The style record of the HTML drawer: what a text run, rule, picture or table cell is drawn with.
#pragma once
#include "classlib/CString.h"

struct TextStyle {
    enum BackgroundMode { kTransparentMode = 1, kOpaqueMode = 2 };
    enum HorizontalAlign { kLeft = 0, kCenter = 1, kRight = 2, kJustify = 3 };
    enum VerticalAlign { kTop = 0, kMiddle = 1, kBottom = 2, kBaseline = 3 };
    enum TextTransform { kNoTransform = 0, kUpperCase = 1, kLowerCase = 2, kCapitalize = 3 };
    enum LinkKind { kNoLink = 0, kHrefLink = 1, kMessageLink = 2 };

    // The defaults of Reset, with the table fields zeroed too.
    TextStyle();
    // The defaults each pass starts from; the table fields (width, height and the two bases)
    // are the table layout's and stay as they are.
    void Reset();
    // The face as the font can take it: longer names are cut to 31 bytes.
    void SetFaceName(const CString& face);
    // After a new border width: a width of 0 removes the border; any other gives a border
    // without a style the solid line.
    void SettleBorderWidth();

    CString name;
    int fontSize;
    int weight;
    int italic;
    int underline;
    int strikeOut;
    int overline;
    CString faceName;
    COLORREF textColor;
    COLORREF bkColor;
    COLORREF lightBorderColor;
    COLORREF darkBorderColor;
    COLORREF midBkColor;
    COLORREF endBkColor;
    int bkMode;
    int bkEffect;
    CString bkImage;
    int hAlign;
    int vAlign;
    int borderStyle;
    int borderWidth;
    int width;
    int height;
    int tableBase;
    int rowBase;
    int textTransform;
    int margin;
    int padding;
    int linkKind;
    CString linkTarget;
};
