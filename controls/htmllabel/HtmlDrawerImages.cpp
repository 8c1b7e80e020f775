// The drawer's pictures: the attributes and styles of the image tags, where their pictures come
// from, how they are sized, placed and drawn, animated image strips and table backgrounds.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/GdiScratch.h"
#include <algorithm>
#include <cstdlib>

namespace {
// A side longer than this is no picture a label shows but a request for gigabytes of sections.
const int kMaxPictureSide = 4096;

bool SaneSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// Markup writes handles in 32 bits; on the 64-bit build they are sign-extended, as the system
// hands them out.
template <class H>
H HandleFrom(int value) {
    return reinterpret_cast<H>(static_cast<INT_PTR>(value));
}

int Scaled(bool percent, int value, int base) { return percent ? MulDiv(base, value, 100) : value; }

// The picture one image tag draws: loaded here (and freed after) or the caller's.
struct Picture {
    ScopedBitmap ownedBitmap;
    ScopedIcon ownedIcon;
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
    int width = 0;
    int height = 0;
    int cellWidth = 0;   // strips: the frame size and the frame drawn
    int cellHeight = 0;
    int frame = -1;
};
}  // namespace

void CHtmlDrawer::ParseImageAttributes(const CString& text, ImageAttributes& attributes) {
    ImageAttributes& a = attributes;
    int position = 0;
    CString name, value;
    auto number = [&](int old) { return ParseLength(value, old, FALSE); };
    while (NextAttribute(text, position, name, value)) {
        if (name == "index") {
            a.index = number(a.index);
        } else if (name == "idres") {
            a.idres = number(a.idres);
        } else if (name == "iddll") {
            a.iddll = number(a.iddll);
        } else if (name == "handle") {
            a.handle = number(a.handle);
        } else if (name == "file") {
            a.file = value;
        } else if (name == "srcdll") {
            a.srcdll = value;
        } else if (name == "mask") {
            a.maskColor = ParseColor(value, a.maskColor);
            a.maskGiven = true;
        } else if (name == "style") {
            a.style = a.hotStyle = ParseImageStyle(value);
        } else if (name == "hotstyle") {
            a.hotStyle = ParseImageStyle(value);
        } else if (name == "cx") {
            a.cx = number(a.cx);
        } else if (name == "cy") {
            a.cy = number(a.cy);
        } else if (name == "width") {
            a.widthInPercent = IsPercent(value) != FALSE;
            a.width = number(a.width);
        } else if (name == "height") {
            a.heightInPercent = IsPercent(value) != FALSE;
            a.height = number(a.height);
        } else if (name == "speed") {
            a.speed = number(a.speed);
        }
    }
}

UINT CHtmlDrawer::ParseImageStyle(const CString& text) const {
    UINT flags = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (text[i]) {
        case 'g': flags |= CDrawManager::kGray; break;
        case 'd': flags |= CDrawManager::kDarken; break;
        case 'l': flags |= CDrawManager::kLighten; break;
        case 's':
            if (shadowOffsetX_ != 0 || shadowOffsetY_ != 0)
                flags |= shadowGradient_ ? CDrawManager::kSoftShadow : CDrawManager::kShadow;
            break;
        }
    }
    return flags;
}

BOOL CHtmlDrawer::HasShadow(const ImageAttributes& attributes) {
    const UINT shadows = CDrawManager::kShadow | CDrawManager::kSoftShadow;
    return (attributes.style & shadows) || (attributes.hotStyle & shadows);
}

BOOL CHtmlDrawer::IsPercent(const CString& text) { return !text.IsEmpty() && text[text.GetLength() - 1] == '%'; }

int CHtmlDrawer::ParseEffect(const CString& text, int defaultEffect) {
    static const char* const kEffects[] = {"transparent", "solid",      "hgradient",  "vgradient",  "hcgradient",
                                           "vcgradient",  "3hgradient", "3vgradient", "noise",      "diagshade",
                                           "hshade",      "vshade",     "hbump",      "vbump",      "softbump",
                                           "hardbump",    "metal"};
    if (text.IsEmpty()) return defaultEffect;
    for (int i = 0; i < static_cast<int>(sizeof(kEffects) / sizeof(kEffects[0])); ++i)
        if (text == kEffects[i]) return i + CDrawManager::kTransparent;
    return ParseLength(text, defaultEffect, FALSE);
}

void CHtmlDrawer::PlaceImage(int tagId, const CString& parameters) {
    ImageAttributes a = {};
    a.width = a.height = 100;
    a.widthInPercent = a.heightInPercent = true;
    if (tagId != kIconTag) a.maskColor = RGB(255, 0, 255);
    ParseImageAttributes(parameters, a);

    Picture picture;
    auto loadBitmap = [&] {
        if (a.idres)
            picture.ownedBitmap.Reset(LoadBitmapFromResource(a.idres));
        else if (!a.file.IsEmpty())
            picture.ownedBitmap.Reset(LoadBitmapFromFile(a.file));
        else if (a.iddll)
            picture.ownedBitmap.Reset(LoadBitmapFromDll(a.iddll, a.srcdll));
        else if (a.handle && GetObjectType(HandleFrom<HGDIOBJ>(a.handle)) == OBJ_BITMAP)
            return HandleFrom<HBITMAP>(a.handle);
        return picture.ownedBitmap.Get();
    };

    if (tagId == kIconTag) {
        picture.width = Scaled(a.widthInPercent, a.width, GetSystemMetrics(SM_CXICON));
        picture.height = Scaled(a.heightInPercent, a.height, GetSystemMetrics(SM_CYICON));
        if (!SaneSize(picture.width, picture.height)) return;
        if (a.idres)
            picture.ownedIcon.Reset(LoadIconFromResource(a.idres, picture.width, picture.height));
        else if (!a.file.IsEmpty())
            picture.ownedIcon.Reset(LoadIconFromFile(a.file, picture.width, picture.height));
        else if (a.iddll)
            picture.ownedIcon.Reset(LoadIconFromDll(a.iddll, picture.width, picture.height, a.srcdll));
        picture.icon = a.handle && !picture.ownedIcon ? HandleFrom<HICON>(a.handle) : picture.ownedIcon.Get();
    } else if (tagId == kImageListTag && !a.idres && !a.iddll && !a.handle && a.file.IsEmpty()) {
        // No source of its own: a picture of the drawer's image list.
        if (!imageList_ || a.index < 0 || a.index >= ImageList_GetImageCount(imageList_.Get())) return;
        picture.width = Scaled(a.widthInPercent, a.width, imageListCellWidth_);
        picture.height = Scaled(a.heightInPercent, a.height, imageListCellHeight_);
        if (!SaneSize(picture.width, picture.height)) return;
        picture.ownedIcon.Reset(ImageList_GetIcon(imageList_.Get(), a.index, ILD_NORMAL));
        picture.icon = picture.ownedIcon.Get();
    } else {
        picture.bitmap = loadBitmap();
        if (!picture.bitmap) return;
        const SIZE own = CDrawManager::GetSizeOfBitmap(picture.bitmap);
        if (tagId == kImageListTag) {
            // A strip of frames: square frames of the shorter side unless a frame size is given.
            int cx = a.cx, cy = a.cy;
            if (cx == 0 && cy == 0) cx = cy = std::min(own.cx, own.cy);
            if (cx == 0) cx = cy;
            if (cy == 0) cy = cx;
            if (cx <= 0 || cy <= 0) return;
            const int across = own.cx / cx, down = own.cy / cy;
            const int frames = across * down;
            picture.frame = a.index;
            if (a.speed != 0) {
                ++animationIndex_;
                if (passMode_ == kMeasuring) {
                    animations_.push_back(AnimationRecord{a.index, frames, 0, a.speed});
                } else if (animationIndex_ < static_cast<int>(animations_.size())) {
                    picture.frame = animations_[animationIndex_].currentFrame;
                }
            }
            if (a.index < 0 || a.index >= frames) return;
            picture.cellWidth = cx;
            picture.cellHeight = cy;
            picture.width = Scaled(a.widthInPercent, a.width, cx);
            picture.height = Scaled(a.heightInPercent, a.height, cy);
        } else {
            picture.width = Scaled(a.widthInPercent, a.width, own.cx);
            picture.height = Scaled(a.heightInPercent, a.height, own.cy);
        }
    }
    if (!SaneSize(picture.width, picture.height) || (!picture.bitmap && !picture.icon)) return;

    const BOOL shadow = HasShadow(a);
    const int roomWidth = picture.width + (shadow ? shadowOffsetX_ : 0);
    const int roomHeight = picture.height + (shadow ? shadowOffsetY_ : 0);
    // Too wide for what is left of the line: a new line first, unless this one is still empty.
    if (maxWidth_ > 0 && wrapWidth_ > 0 && lineHasContent_ && roomWidth > wrapWidth_ - lineUsed_) {
        line_.wrapped = 1;
        EndLine(1);
    }
    if (passMode_ == kMeasuring) line_.alignment = style_.hAlign;
    const int y = PlaceObjectVertically(pen_.y, roomHeight);
    if (passMode_ == kDrawing) {
        const bool inLink = style_.linkKind != TextStyle::kNoLink;
        if (inLink) AddHotArea(pen_.x, y, pen_.x + picture.width, y + picture.height);
        UINT style = inLink && linkCounter_ == hotLink_ ? a.hotStyle : a.style;
        COLORREF color = shadowColor_;
        if (!enabled_) {
            // Disabled: one colour, the disabled one, shadow included.
            style = (style & 0xFF00) | CDrawManager::kColorize;
            color = disabledColor_;
        }
        const int x = pen_.x;
        if (picture.icon)
            drawManager_.DrawIcon(dc_, x, y, picture.width, picture.height, picture.icon, style, shadow, shadowOffsetX_,
                                  shadowOffsetY_, shadowBlurX_, shadowBlurY_, color);
        else if (picture.cellWidth > 0)
            drawManager_.DrawImageList(dc_, x, y, picture.width, picture.height, picture.bitmap, picture.frame,
                                       picture.cellWidth, picture.cellHeight, a.maskGiven, a.maskColor, style, shadow,
                                       shadowOffsetX_, shadowOffsetY_, shadowBlurX_, shadowBlurY_, color);
        else
            drawManager_.DrawBitmap(dc_, x, y, picture.width, picture.height, picture.bitmap, a.maskGiven,
                                    a.maskColor, style, shadow, shadowOffsetX_, shadowOffsetY_, shadowBlurX_,
                                    shadowBlurY_, color);
    }
    Advance(roomWidth);
    lineHasContent_ = true;
}

BOOL CHtmlDrawer::StepAnimation() {
    if (animations_.empty()) return FALSE;
    BOOL changed = FALSE;
    for (AnimationRecord& animation : animations_) {
        if (animation.frameCount <= 0) continue;
        if (++animation.tickCounter < animation.speed) continue;
        animation.tickCounter = 0;
        // ">=": a frame that starts beyond the strip comes back to the first one as well.
        if (++animation.currentFrame >= animation.frameCount) animation.currentFrame = 0;
        changed = TRUE;
    }
    return changed;
}

void CHtmlDrawer::DrawBackgroundImage(HDC dc, int x, int y, int width, int height, const CString& picture) {
    if (!enabled_ || picture.GetLength() <= 5) return;
    CString text = picture;
    text.TrimLeft(" ");
    const int keyEnd = text.FindOneOf(" :");
    const CString key = keyEnd < 0 ? text : text.Left(keyEnd);
    CString value;
    const int colon = text.Find(':');
    if (colon >= 0) {
        const int end = text.Find(';', colon + 1);
        value = end < 0 ? text.Mid(colon + 1) : text.Mid(colon + 1, end - colon - 1);
        value.Trim();
    }
    ScopedBitmap bitmap;
    if (key == "idres")
        bitmap.Reset(LoadBitmapFromResource(static_cast<UINT>(ParseLength(value, 0, FALSE))));
    else if (key == "iddll")
        bitmap.Reset(LoadBitmapFromDll(static_cast<UINT>(ParseLength(value, 0, FALSE)), nullptr));
    else if (key == "file")
        bitmap.Reset(LoadBitmapFromFile(value));
    if (!bitmap) return;
    const SIZE tile = CDrawManager::GetSizeOfBitmap(bitmap.Get());
    SelectedDC source(dc, bitmap.Get());
    if (source) drawManager_.TileBitmap(dc, x, y, width, height, source.Get(), 0, 0, tile.cx, tile.cy);
}

int CHtmlDrawer::ParseWidthAttribute(const CString& attributes, int current, int minimum, BOOL relative) {
    int result = current;
    int position = 0;
    CString name, value;
    while (NextAttribute(attributes, position, name, value)) {
        if (name != "width") continue;
        if (IsPercent(value)) {
            const int percent = static_cast<int>(std::strtol(value, nullptr, 10));
            if (relative)
                result = percent > 100 ? MulDiv(minimum, percent, 100) : (percent > 0 ? MulDiv(minimum, 100, percent) : minimum);
            else if (percent < 100)
                result = MulDiv(current, percent, 100);
        } else {
            result = ParseLength(value, minimum, FALSE);
        }
        break;
    }
    return std::max(result, minimum);
}
