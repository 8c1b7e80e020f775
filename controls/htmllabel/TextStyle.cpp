#include "controls/htmllabel/TextStyle.h"

TextStyle::TextStyle() : width(0), height(0), tableBase(0), rowBase(0) { Reset(); }

void TextStyle::Reset() {
    name.Empty();
    fontSize = 16;
    weight = FW_NORMAL;
    italic = underline = strikeOut = overline = 0;
    faceName = "Verdana";
    textColor = RGB(0, 0, 0);
    bkColor = RGB(255, 255, 255);
    lightBorderColor = darkBorderColor = RGB(0, 0, 0);
    midBkColor = endBkColor = RGB(255, 255, 255);
    bkMode = kTransparentMode;
    bkEffect = -1;
    bkImage.Empty();
    hAlign = kLeft;
    vAlign = kBaseline;
    borderStyle = 0;
    borderWidth = 0;
    textTransform = kNoTransform;
    margin = 2;
    padding = 0;
    linkKind = kNoLink;
    linkTarget.Empty();
}

void TextStyle::SetFaceName(const CString& face) { faceName = face.Left(LF_FACESIZE - 1); }

void TextStyle::SettleBorderWidth() {
    if (borderWidth == 0)
        borderStyle = 0;
    else if (borderStyle == 0)
        borderStyle = 1;  // the drawing toolkit's solid line
}
