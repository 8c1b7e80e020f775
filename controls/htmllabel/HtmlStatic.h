// The HTML label control: a dialog's static control that shows its window text as HTML with CSS,
// drawn through a cached background and an off-screen bitmap, with links, hover and animation.
//
// A dialog binds it to a static control (DDX_Control); from then on SetWindowText replaces the
// shown markup, and GetWindowText reads it back whole. The messages it handles: WM_PAINT (prepare
// and draw), WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH (the markup), WM_SETFONT/WM_GETFONT (the font
// becomes the "body" rule), the mouse messages (hot areas, the link cursor, clicks), WM_TIMER
// (animation timer 260), WM_ENABLE, WM_SIZE, and kHotAreaChanged from its own drawer.
#pragma once
#include "classlib/Controls.h"
#include "classlib/HandleOwner.h"
#include "controls/htmllabel/HtmlDrawer.h"

class CDC;

class CHtmlStatic : public CStatic {
public:
    enum {
        kAnimationTimer = 260,
        kHotAreaChanged = WM_APP + 100,  // from the drawer: the link under the cursor changed
    };
    // Alignment bits of SetAlign; 0 in a pair takes the alignment from the static's styles.
    enum {
        kAlignLeft = 1,
        kAlignRight = 2,
        kAlignHCenter = 3,
        kAlignHorizontal = 3,
        kAlignTop = 4,
        kAlignBottom = 8,
        kAlignVCenter = 12,
        kAlignVertical = 12,
    };
    enum LinkKind { kHrefLink = TextStyle::kHrefLink, kMessageLink = TextStyle::kMessageLink };

    CHtmlStatic();
    ~CHtmlStatic() override;
    BOOL DestroyWindow() override;

    void SetHtmlText(const CString& text);
    const CString& GetHtmlText() const { return text_; }
    // The font's face, size, weight and slant become the "body" rule; null changes nothing.
    void ApplyFont(HFONT font);
    // Repaints now (nothing without a window).
    void UpdateSurface();
    // Draws the prepared output over the cached background; null: on the window's own context.
    void DrawOutput(HDC dc = nullptr);

    void SetAlign(int flags);
    int GetAlign() const { return align_; }
    void SetMargins(int x, int y);
    // -1: the text keeps the colour of the body rule.
    void SetTextColor(COLORREF color);
    void SetBkColor(COLORREF color);
    void SetBkColor(COLORREF begin, COLORREF end);
    void SetBkColor(COLORREF begin, COLORREF middle, COLORREF end);
    // 1: a copy of what lies under the control; anything else: the background fill.
    void SetBkMode(int mode);
    void SetBkEffect(int effect, BYTE granularity = 5);
    void SetFrameColor(COLORREF color, int width = 1, int height = 1);
    // The control owns the brush from here on; a brush without a width and height is deleted.
    void SetFrameBrush(HBRUSH brush, int width = 1, int height = 1);
    // The control owns the region from here on.
    void SetClipRegion(HRGN region);
    void SetRoundRectRegion(int cornerWidth, int cornerHeight);
    void SetRectRegion();
    void SetWordWrap(BOOL on);
    void SetHyperlinkStyle(COLORREF linkColor, BOOL linkUnderline, COLORREF hoverColor, BOOL hoverUnderline);
    // Clicks on <a msg=...> links reach the parent as this message (0: none).
    void SetLinkNotification(UINT message, LPARAM lParam = 0);
    void StopAnimation();
    void SetAnimationSpeed(int interval);

    // Markup builders: a link, or an image that fills the control by the image size percentages.
    void SetHyperlink(const CString& text, const CString& target, int kind = kHrefLink);
    void SetIcon(UINT id, SIZE size = kNoSize);
    void SetIconHandle(HICON icon);
    void SetBitmap(UINT id, COLORREF mask = kNoMask);
    void SetBitmapHandle(HBITMAP bitmap, COLORREF mask = kNoMask);
    void SetAnimation(UINT id, SIZE cell = kNoSize, COLORREF mask = kNoMask);
    void SetAnimationHandle(HBITMAP bitmap, SIZE cell = kNoSize, COLORREF mask = kNoMask);
    void SetImageListFrame(UINT id, int index, SIZE cell = kNoSize, COLORREF mask = kNoMask);
    void SetImageListFrameHandle(HBITMAP bitmap, int index, SIZE cell = kNoSize, COLORREF mask = kNoMask);
    // Percent of the image's natural size; 0 fills the client area less the margins.
    void SetImageSize(int widthPercent, int heightPercent);
    void SetImageSize(int percent) { SetImageSize(percent, percent); }

    CHtmlDrawer& GetDrawer() { return drawer_; }
    const RECT& GetOutputRect() const { return outputRect_; }

    static const COLORREF kNoMask = static_cast<COLORREF>(-1);
    static const SIZE kNoSize;

protected:
    void PreSubclassWindow() override;

    void OnPaint();
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnLButtonDown(UINT flags, CPoint point);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseLeave();
    void OnTimer(UINT_PTR id);
    void OnEnable(BOOL enable);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnHotAreaChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void FreeBackground();
    void SetImageMarkup(const CString& markup, SIZE naturalSize);
    static CString HandleText(const void* handle);
    static CString MaskText(COLORREF mask);
    static CString CellText(SIZE cell);

    ScopedBitmap background_;
    ScopedRegion clipRegion_;
    bool rounded_;
    int cornerWidth_;
    int cornerHeight_;
    ScopedBrush frameBrush_;
    int frameWidth_;
    int frameHeight_;
    int marginX_;
    int marginY_;
    RECT outputRect_;
    SIZE outputSize_;
    SIZE imageSize_;
    CHtmlDrawer drawer_;
    int align_;
    CString text_;
    int imageWidthPercent_;
    int imageHeightPercent_;
    bool enabled_;
    bool animationTimer_;
    int animationInterval_;
    bool imageMode_;
    CString imageMarkup_;
    HFONT font_;
    COLORREF textColor_;
    COLORREF bkColors_[3];
    int bkMode_;
    int bkEffect_;
    BYTE granularity_;
    UINT linkMessage_;
    LPARAM linkLParam_;
};
