// What a host of the print protocol tells a view about the page it prints: the page number, the
// drawing rectangle of the device, and whether printing goes on. The view answers through
// m_bContinuePrinting.
#pragma once
#include "classlib/Geometry.h"

class CPrintInfo {
public:
    CPrintInfo() : m_bContinuePrinting(TRUE), m_nCurPage(1), m_rectDraw(0, 0, 0, 0) {}

    BOOL m_bContinuePrinting;
    UINT m_nCurPage;   // from 1
    CRect m_rectDraw;  // the printable area in device units
};
