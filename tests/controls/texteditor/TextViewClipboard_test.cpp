// TEST_LOCK: clipboard
#include "controls/texteditor/TextEditorRes.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
// Puts bytes on the clipboard as CF_TEXT exactly as given, terminated or not, in a block cut
// down from a larger one full of "x": a read past the block's size finds more text.
void PutRawText(HWND owner, const char* bytes, size_t size) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 256);
    char* chars = static_cast<char*>(GlobalLock(data));
    std::memset(chars, 'x', 256);
    std::memcpy(chars, bytes, size);
    GlobalUnlock(data);
    data = GlobalReAlloc(data, size, GMEM_MOVEABLE);
    ASSERT_EQ(size, GlobalSize(data));
    EXPECT_NE(nullptr, SetClipboardData(CF_TEXT, data));
    CloseClipboard();
}
}  // namespace

TEST(TextViewClipboardTest, CopyPutsTheSelectionWithLineBreaksAndReadsStopAtTheBlockOrItsNul) {
    testing_support::TextViewHost<> host("ab\r\ncd");
    CTextView& view = host.view;
    view.SetSelection(CPoint(1, 0), CPoint(1, 1));
    host.Command(ID_EDIT_COPY);
    CString text;
    EXPECT_TRUE(view.ClipboardHasText());
    EXPECT_TRUE(view.GetFromClipboard(text));
    EXPECT_EQ(CString("b\r\nc"), text);
    EXPECT_FALSE(view.PutToClipboard(""));
    EXPECT_FALSE(view.PutToClipboard(nullptr));

    PutRawText(view.m_hWnd, "ab\0cd", 5);
    EXPECT_TRUE(view.GetFromClipboard(text));
    EXPECT_EQ(CString("ab"), text);
    // Without a NUL the read ends with the block (Wine puts one in its last byte itself).
    PutRawText(view.m_hWnd, "abc", 3);
    EXPECT_TRUE(view.GetFromClipboard(text));
    EXPECT_LE(text.GetLength(), 3);
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_EQ(0, CString("abc").Find(text));
    ASSERT_TRUE(OpenClipboard(view.m_hWnd));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(view.ClipboardHasText());
    EXPECT_FALSE(view.GetFromClipboard(text));
}
