// The tests' view of a drawer's pass state and tables, which a pass would otherwise set up.
#pragma once
#include "controls/htmllabel/HtmlDrawer.h"
#include "support/DibCanvas.h"

class HtmlDrawerProbe {
public:
    explicit HtmlDrawerProbe(CHtmlDrawer& drawer) : drawer_(drawer) {}
    CString ApplyEntities(const CString& text) {
        drawer_.text_ = text;
        drawer_.ApplyEntities();
        return drawer_.text_;
    }
    // Lengths are then measured on the context and the font selected in it, as in a pass.
    void UseDevice(HDC dc) {
        drawer_.dc_ = dc;
        GetTextMetricsA(dc, &drawer_.textMetrics_);
    }
    size_t EntityRows() const { return drawer_.entityTable_.size(); }
    size_t TagRows() const { return drawer_.tagTable_.size(); }
    size_t ColorRows() const { return drawer_.colorTable_.size(); }
    size_t Rules() const { return drawer_.styleSheetRules_.size(); }
    HMODULE ResourceLibrary() const { return drawer_.resourceLibrary_; }
    HIMAGELIST ImageList() const { return drawer_.imageList_.Get(); }
    COLORREF ShadowColor() const { return drawer_.shadowColor_; }
    int LineCounter() const { return drawer_.lineCounter_; }
    const std::vector<CHtmlDrawer::TableRecord>& Tables() const { return drawer_.tableRecords_; }
    const std::vector<CHtmlDrawer::HotArea>& HotAreas() const { return drawer_.hotAreas_; }
    const std::vector<CHtmlDrawer::AnimationRecord>& Animations() const { return drawer_.animations_; }
    static CString HtmlHandlerCommand(const CString& registered, const CString& target) {
        return CHtmlDrawer::HtmlHandlerCommand(registered, target);
    }

private:
    CHtmlDrawer& drawer_;
};

// Measures the markup on the canvas (wrapping at maxWidth, 0 for none) and draws it at the top
// left; gives the measured size.
inline SIZE DrawMarkup(CHtmlDrawer& drawer, testing_support::DibCanvas& canvas, const CString& markup, int maxWidth = 0) {
    drawer.SetMaxWidth(maxWidth);
    SIZE size = {0, 0};
    drawer.PrepareOutput(canvas.Dc(), markup, size);
    const RECT output = {0, 0, size.cx, size.cy};
    drawer.DrawPreparedOutput(canvas.Dc(), output);
    return size;
}
