#include "controls/htmllabel/HtmlStatic.h"
#include "classlib/CDC.h"
#include "controls/htmllabel/GdiScratch.h"
#include <algorithm>
#include <cstring>

namespace {
// Any of these style bits (SS_LEFTNOWORDWRAP) turns word wrap off.
const DWORD kNoWordWrapBits = 0x000C;
const int kTransparentBackground = 1;
}  // namespace

const SIZE CHtmlStatic::kNoSize = {-1, -1};

BEGIN_MESSAGE_MAP(CHtmlStatic, CStatic)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_TIMER()
    ON_WM_ENABLE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
    ON_MESSAGE(kHotAreaChanged, OnHotAreaChanged)
END_MESSAGE_MAP()

CHtmlStatic::CHtmlStatic()
    : rounded_(false),
      cornerWidth_(0),
      cornerHeight_(0),
      frameWidth_(1),
      frameHeight_(1),
      marginX_(0),
      marginY_(0),
      outputRect_(),
      outputSize_(),
      imageSize_(kNoSize),
      align_(0),
      imageWidthPercent_(100),
      imageHeightPercent_(100),
      enabled_(true),
      animationTimer_(false),
      animationInterval_(0),
      imageMode_(false),
      font_(nullptr),
      textColor_(GetSysColor(COLOR_WINDOWTEXT)),
      bkColors_{GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)},
      bkMode_(2),
      bkEffect_(CDrawManager::kSolid),
      granularity_(5),
      linkMessage_(0),
      linkLParam_(0) {
    SetHyperlinkStyle(0xFF0000, FALSE, 0xFF0000, TRUE);
}

CHtmlStatic::~CHtmlStatic() { StopAnimation(); }

void CHtmlStatic::PreSubclassWindow() {
    ModifyStyle(WS_HSCROLL | WS_VSCROLL, SS_NOTIFY);
    enabled_ = (GetStyle() & WS_DISABLED) == 0;
    drawer_.SetEnabled(enabled_);
    drawer_.SetHotAreaTarget(m_hWnd, kHotAreaChanged, 0);
    if (linkMessage_) drawer_.SetLinkMessageTarget(::GetParent(m_hWnd), linkMessage_, linkLParam_);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (!font) font = GetStockObject(ANSI_VAR_FONT);
    ApplyFont(static_cast<HFONT>(font));
    CString text;
    GetWindowText(text);  // still the static's own text: our procedure is not in place yet
    SetHtmlText(text);
    CStatic::PreSubclassWindow();
}

BOOL CHtmlStatic::DestroyWindow() {
    StopAnimation();
    clipRegion_.Reset();
    return CStatic::DestroyWindow();
}

void CHtmlStatic::SetHtmlText(const CString& text) {
    text_ = text;
    UpdateSurface();
}

void CHtmlStatic::ApplyFont(HFONT font) {
    font_ = font;
    if (!font) return;
    LOGFONTA description = {};
    if (!GetObjectA(font, sizeof(description), &description)) return;
    const CString face(description.lfFaceName, static_cast<int>(strnlen(description.lfFaceName, LF_FACESIZE)));
    // The height goes in unchanged: a negative one reads as that many points.
    CString rule;
    rule.Format("font-size:%dpt; color:0x%06X; font-family:%s; font-weight:%d", static_cast<int>(description.lfHeight),
                static_cast<unsigned>(GetSysColor(COLOR_WINDOWTEXT)), face.GetString(),
                static_cast<int>(description.lfWeight));
    if (description.lfItalic) rule += "; font-style:italic";
    drawer_.SetSelector("body", rule);
    UpdateSurface();
}

void CHtmlStatic::UpdateSurface() {
    if (!m_hWnd) return;
    if (!clipRegion_) {
        Invalidate(TRUE);
        UpdateWindow();
        return;
    }
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // The corners outside the region show the parent: it repaints under the control.
    if (HWND parent = ::GetParent(m_hWnd)) {
        RECT rect;
        GetWindowRect(&rect);
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
        ::InvalidateRect(parent, &rect, TRUE);
        ::UpdateWindow(parent);
    }
}

void CHtmlStatic::OnPaint() {
    CPaintDC paint(this);
    const HDC dc = paint.GetSafeHdc();
    RECT client;
    GetClientRect(&client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (!background_) {
        background_.Reset(CreateCompatibleBitmap(dc, width, height));
        // The background is made once and kept; it must leave the memory context again, since a
        // bitmap sits in one context at a time.
        SelectedDC memory(dc, background_.Get());
        if (memory) {
            if (bkMode_ == kTransparentBackground)
                BitBlt(memory.Get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
            else
                drawer_.GetDrawManager().FillEffect(memory.Get(), bkEffect_, client, bkColors_[0], bkColors_[1],
                                                    bkColors_[2], granularity_, 5);
        }
    }
    // Without a background (no room, or no GDI objects left) there is nothing to draw over; a
    // new invalidation from here would only bring the same paint back at once.
    if (!background_) return;

    CString text = text_;
    if (!imageMode_ && textColor_ != static_cast<COLORREF>(-1)) {
        CString open;
        open.Format("<font color=0x%06X>", static_cast<unsigned>(textColor_));
        text = open + text + "</font>";
    }
    const int available = width - (2 * marginX_ + 1);
    const bool noWrap = (GetStyle() & kNoWordWrapBits) != 0;
    drawer_.SetMaxWidth(noWrap ? 0 : available);
    drawer_.PrepareOutput(dc, text, outputSize_);
    if (!imageMode_ && noWrap) outputSize_.cx = std::max<LONG>(outputSize_.cx, available);
    const int drawnWidth = std::min<int>(outputSize_.cx, width);
    const int drawnHeight = std::min<int>(outputSize_.cy, height);

    // Unset halves of the alignment come from the static's style bits.
    const DWORD style = GetStyle();
    int horizontal = align_ & kAlignHorizontal, vertical = align_ & kAlignVertical;
    if (horizontal == 0)
        horizontal = (style & 3) == SS_CENTER ? kAlignHCenter : ((style & 3) == SS_RIGHT ? kAlignRight : kAlignLeft);
    if (vertical == 0) vertical = (style & SS_CENTERIMAGE) ? kAlignVCenter : kAlignTop;
    int x = client.left + marginX_, y = client.top + marginY_;
    if (horizontal == kAlignRight) x = client.left + width - drawnWidth - marginX_;
    if (horizontal == kAlignHCenter) x = client.left + (width - drawnWidth) / 2;
    if (vertical == kAlignBottom) y = client.top + height - drawnHeight - marginY_;
    if (vertical == kAlignVCenter) y = client.top + (height - drawnHeight) / 2;
    outputRect_ = {x, y, x + drawnWidth, y + drawnHeight};
    DrawOutput(dc);
}

void CHtmlStatic::DrawOutput(HDC dc) {
    if (!m_hWnd) return;
    // Before the first paint there is no background to draw over: the paint will come.
    if (!background_) {
        Invalidate(FALSE);
        return;
    }
    ScopedWindowDC own;
    if (!dc) {
        own.Reset(handle_traits::WindowDcHandle{m_hWnd, ::GetDC(m_hWnd)});
        dc = own.Get().dc;
        if (!dc) return;
    }
    RECT client;
    GetClientRect(&client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    ScopedBitmap canvas(CreateCompatibleBitmap(dc, width, height));
    SelectedDC memory(dc, canvas.Get());
    if (!memory) return;
    {
        SelectedDC background(dc, background_.Get());
        if (background) BitBlt(memory.Get(), 0, 0, width, height, background.Get(), 0, 0, SRCCOPY);
    }
    if (!enabled_) {
        // Embossed: the text once in the highlight colour one pixel down and right, then again.
        drawer_.SetDisabledColor(GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT shifted = outputRect_;
        OffsetRect(&shifted, 1, 1);
        drawer_.DrawPreparedOutput(memory.Get(), shifted);
        drawer_.SetDisabledColor(GetSysColor(COLOR_BTNSHADOW));
    }
    drawer_.DrawPreparedOutput(memory.Get(), outputRect_);
    if (clipRegion_) {
        SelectClipRgn(dc, clipRegion_.Get());
        BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
        if (frameBrush_) FrameRgn(dc, clipRegion_.Get(), frameBrush_.Get(), frameWidth_, frameHeight_);
        SelectClipRgn(dc, nullptr);
    } else {
        BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
        if (frameBrush_) FrameRect(dc, &client, frameBrush_.Get());
    }
}

BOOL CHtmlStatic::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (enabled_) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(&point);
        if (drawer_.SetCursorAt(point)) return TRUE;
    }
    return CStatic::OnSetCursor(wnd, hitTest, message);
}

void CHtmlStatic::OnLButtonDown(UINT flags, CPoint point) {
    if (enabled_ && PtInRect(&outputRect_, point)) drawer_.ClickAt(point);
    CStatic::OnLButtonDown(flags, point);
}

BOOL CHtmlStatic::OnEraseBkgnd(CDC*) { return TRUE; }

void CHtmlStatic::OnMouseMove(UINT flags, CPoint point) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&track);
    CStatic::OnMouseMove(flags, point);
}

void CHtmlStatic::OnMouseLeave() { drawer_.LeaveHotAreas(); }

void CHtmlStatic::OnTimer(UINT_PTR id) {
    if (id == kAnimationTimer && enabled_) {
        drawer_.StepAnimation();
        DrawOutput(nullptr);
    }
    CStatic::OnTimer(id);
}

void CHtmlStatic::OnEnable(BOOL enable) {
    CStatic::OnEnable(enable);
    enabled_ = enable != FALSE;
    drawer_.SetEnabled(enable);
    UpdateSurface();
}

void CHtmlStatic::OnSize(UINT type, int cx, int cy) {
    CStatic::OnSize(type, cx, cy);
    if (rounded_) {
        RECT client;
        GetClientRect(&client);
        clipRegion_.Reset(CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, cornerWidth_,
                                             cornerHeight_));
    } else {
        clipRegion_.Reset();
    }
    if (bkMode_ != kTransparentBackground) FreeBackground();
    UpdateSurface();
}

LRESULT CHtmlStatic::OnSetText(WPARAM, LPARAM lParam) {
    imageMode_ = false;
    SetHtmlText(lParam ? reinterpret_cast<const char*>(lParam) : "");
    return TRUE;
}

LRESULT CHtmlStatic::OnGetText(WPARAM wParam, LPARAM lParam) {
    char* buffer = reinterpret_cast<char*>(lParam);
    const int count = static_cast<int>(wParam);
    if (!buffer || count <= 0) return 0;
    const int copied = std::min(text_.GetLength(), count - 1);
    std::memcpy(buffer, text_.GetString(), static_cast<size_t>(copied));
    buffer[copied] = '\0';
    return copied;
}

// The static's own text is never set: its length would cut every reading of ours.
LRESULT CHtmlStatic::OnGetTextLength(WPARAM, LPARAM) { return text_.GetLength(); }

LRESULT CHtmlStatic::OnSetFont(WPARAM wParam, LPARAM) {
    HFONT font = reinterpret_cast<HFONT>(wParam);
    ApplyFont(font);
    if (!font) UpdateSurface();
    return 0;
}

LRESULT CHtmlStatic::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(font_); }

LRESULT CHtmlStatic::OnHotAreaChanged(WPARAM, LPARAM) {
    DrawOutput(nullptr);
    return TRUE;
}

void CHtmlStatic::FreeBackground() { background_.Reset(); }

void CHtmlStatic::SetAlign(int flags) {
    align_ = flags;
    UpdateSurface();
}

void CHtmlStatic::SetMargins(int x, int y) {
    marginX_ = x;
    marginY_ = y;
    UpdateSurface();
}

void CHtmlStatic::SetTextColor(COLORREF color) {
    textColor_ = color;
    UpdateSurface();
}

void CHtmlStatic::SetBkColor(COLORREF color) { SetBkColor(color, color, color); }

void CHtmlStatic::SetBkColor(COLORREF begin, COLORREF end) { SetBkColor(begin, begin, end); }

void CHtmlStatic::SetBkColor(COLORREF begin, COLORREF middle, COLORREF end) {
    if (bkMode_ != kTransparentBackground) FreeBackground();
    bkColors_[0] = begin;
    bkColors_[1] = middle;
    bkColors_[2] = end;
    UpdateSurface();
}

void CHtmlStatic::SetBkMode(int mode) {
    if (mode != bkMode_) FreeBackground();
    bkMode_ = mode;
    UpdateSurface();
}

void CHtmlStatic::SetBkEffect(int effect, BYTE granularity) {
    if (bkMode_ != kTransparentBackground) FreeBackground();
    bkEffect_ = effect;
    granularity_ = granularity;
    UpdateSurface();
}

void CHtmlStatic::SetFrameColor(COLORREF color, int width, int height) {
    SetFrameBrush(CreateSolidBrush(color), width, height);
}

void CHtmlStatic::SetFrameBrush(HBRUSH brush, int width, int height) {
    if (brush && width && height) {
        frameBrush_.Reset(brush);
        frameWidth_ = width;
        frameHeight_ = height;
    } else {
        // No frame; a brush handed over for one is the control's all the same, and goes.
        if (brush && brush != frameBrush_.Get()) DeleteObject(brush);
        frameBrush_.Reset();
    }
    UpdateSurface();
}

void CHtmlStatic::SetClipRegion(HRGN region) {
    rounded_ = false;
    clipRegion_.Reset(region);
    UpdateSurface();
}

void CHtmlStatic::SetRoundRectRegion(int cornerWidth, int cornerHeight) {
    cornerWidth_ = cornerWidth;
    cornerHeight_ = cornerHeight;
    RECT client = {0, 0, 0, 0};
    GetClientRect(&client);
    SetClipRegion(CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, cornerWidth, cornerHeight));
    rounded_ = true;
}

void CHtmlStatic::SetRectRegion() { SetRoundRectRegion(0, 0); }

void CHtmlStatic::SetWordWrap(BOOL on) {
    if (on)
        ModifyStyle(kNoWordWrapBits, 0);
    else
        ModifyStyle(0, kNoWordWrapBits);
    UpdateSurface();
}

void CHtmlStatic::SetHyperlinkStyle(COLORREF linkColor, BOOL linkUnderline, COLORREF hoverColor, BOOL hoverUnderline) {
    CString rule;
    rule.Format("color:0x%06X; text-decoration:%s", static_cast<unsigned>(linkColor), linkUnderline ? "underline" : "none");
    drawer_.SetSelector("a:link", rule);
    rule.Format("color:0x%06X; text-decoration:%s", static_cast<unsigned>(hoverColor), hoverUnderline ? "underline" : "none");
    drawer_.SetSelector("a:hover", rule);
}

void CHtmlStatic::SetLinkNotification(UINT message, LPARAM lParam) {
    linkMessage_ = message;
    linkLParam_ = lParam;
    if (m_hWnd) drawer_.SetLinkMessageTarget(message ? ::GetParent(m_hWnd) : nullptr, message, lParam);
}

void CHtmlStatic::StopAnimation() {
    if (!animationTimer_) return;
    KillTimer(kAnimationTimer);
    animationTimer_ = false;
}

void CHtmlStatic::SetAnimationSpeed(int interval) {
    if (interval == animationInterval_ && animationTimer_) return;
    StopAnimation();
    animationInterval_ = interval;
    if (interval > 0 && SetTimer(kAnimationTimer, static_cast<UINT>(interval))) animationTimer_ = true;
}

CString CHtmlStatic::HandleText(const void* handle) {
    // Handles are 32-bit values on both builds; the drawer sign-extends them back.
    CString text;
    text.Format("handle=0x%X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

CString CHtmlStatic::MaskText(COLORREF mask) {
    CString text;
    if (mask != kNoMask) text.Format(" mask=0x%06X", static_cast<unsigned>(mask));
    return text;
}

CString CHtmlStatic::CellText(SIZE cell) {
    CString text;
    if (cell.cx >= 0 && cell.cy >= 0) text.Format(" cx=%d, cy=%d", static_cast<int>(cell.cx), static_cast<int>(cell.cy));
    return text;
}

void CHtmlStatic::SetHyperlink(const CString& text, const CString& target, int kind) {
    CString markup;
    markup.Format(kind == kMessageLink ? "<a msg=\"%s\">%s</a>" : "<a href=\"%s\">%s</a>", target.GetString(),
                  text.GetString());
    SetHtmlText(markup);
}

void CHtmlStatic::SetImageMarkup(const CString& markup, SIZE naturalSize) {
    imageMarkup_ = markup;
    imageSize_ = naturalSize;
    imageMode_ = true;
    SetImageSize(imageWidthPercent_, imageHeightPercent_);
}

void CHtmlStatic::SetIcon(UINT id, SIZE size) {
    StopAnimation();
    CString markup;
    markup.Format("<icon idres=%u>", id);
    SetImageMarkup(markup, size);
}

void CHtmlStatic::SetIconHandle(HICON icon) {
    StopAnimation();
    SetImageMarkup("<icon " + HandleText(icon) + ">", kNoSize);
}

void CHtmlStatic::SetBitmap(UINT id, COLORREF mask) {
    StopAnimation();
    CString markup;
    markup.Format("<bmp idres=%u", id);
    SetImageMarkup(markup + MaskText(mask) + ">", kNoSize);
}

void CHtmlStatic::SetBitmapHandle(HBITMAP bitmap, COLORREF mask) {
    StopAnimation();
    SetImageMarkup("<bmp " + HandleText(bitmap) + MaskText(mask) + ">", kNoSize);
}

void CHtmlStatic::SetAnimation(UINT id, SIZE cell, COLORREF mask) {
    SetAnimationSpeed(animationInterval_);
    CString markup;
    markup.Format("<ilst index=0 idres=%u", id);
    SetImageMarkup(markup + MaskText(mask) + CellText(cell) + " speed=1>", cell);
}

void CHtmlStatic::SetAnimationHandle(HBITMAP bitmap, SIZE cell, COLORREF mask) {
    SetAnimationSpeed(animationInterval_);
    SetImageMarkup("<ilst index=0 " + HandleText(bitmap) + MaskText(mask) + CellText(cell) + " speed=1>", cell);
}

void CHtmlStatic::SetImageListFrame(UINT id, int index, SIZE cell, COLORREF mask) {
    StopAnimation();
    CString markup;
    markup.Format("<ilst index=%d idres=%u", index, id);
    SetImageMarkup(markup + MaskText(mask) + CellText(cell) + ">", cell);
}

void CHtmlStatic::SetImageListFrameHandle(HBITMAP bitmap, int index, SIZE cell, COLORREF mask) {
    StopAnimation();
    CString markup;
    markup.Format("<ilst index=%d ", index);
    SetImageMarkup(markup + HandleText(bitmap) + MaskText(mask) + CellText(cell) + ">", cell);
}

void CHtmlStatic::SetImageSize(int widthPercent, int heightPercent) {
    imageWidthPercent_ = widthPercent;
    imageHeightPercent_ = heightPercent;
    if (!imageMode_) return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(&client);
    CString markup = imageMarkup_.Left(imageMarkup_.GetLength() - 1);
    // Filling the control leaves one pixel across (the measured output is one pixel wider).
    if (widthPercent == 0)
        markup.AppendFormat(" width=%d", static_cast<int>(client.right - 2 * marginX_ - 1));
    else if (imageSize_.cx < 0)
        markup.AppendFormat(" width=%d%%", widthPercent);
    else
        markup.AppendFormat(" width=%d", MulDiv(imageSize_.cx, widthPercent, 100));
    if (heightPercent == 0)
        markup.AppendFormat(" height=%d", static_cast<int>(client.bottom - 2 * marginY_));
    else if (imageSize_.cy < 0)
        markup.AppendFormat(" height=%d%%", heightPercent);
    else
        markup.AppendFormat(" height=%d", MulDiv(imageSize_.cy, heightPercent, 100));
    SetHtmlText(markup + ">");
}
