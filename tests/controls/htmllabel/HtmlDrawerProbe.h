// The tests' view of a drawer's pass state and tables, which a pass would otherwise set up.
#pragma once
#include "controls/htmllabel/HtmlDrawer.h"

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

private:
    CHtmlDrawer& drawer_;
};
