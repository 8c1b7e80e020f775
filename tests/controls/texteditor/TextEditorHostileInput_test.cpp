// Texts mixing every kind of line end through undo and redo (against a plain model), an append
// into an emptied buffer, Replace after "Find what" changed, and a control made after its text.
#include "controls/texteditor/EditReplaceDlg.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "controls/texteditor/TextEditorRes.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>

using testing_support::Flat;

// The model of Flat for inserted text: a CR, or a CR LF, breaks the paragraph.
static std::string Plain(std::string text) {
    for (size_t at; (at = text.find('\r')) != std::string::npos;)
        text.replace(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1, 1, '\0');
    return text;
}

TEST(TextEditorHostileInputTest, EveryLineEndMixKeepsItsLinesThroughUndoAppendReplaceAndCreation) {
    testing_support::Watchdog watchdog(100);
    testing_support::MessageBoxRecorder boxes;
    // Style -1: detected; wrap width 0: the buffer's own. In the whole text as a block, Find Next
    // finds `find`, "Find what" becomes `edited`, Replace puts `with` there and finds `edited` next.
    const struct {
        std::string text;
        int style, wrapWidth;
        const char *find, *edited, *with;
        CPoint next;
    } cases[] = {
        {"a\rb\nc", -1, 0, nullptr, nullptr, nullptr, {}},  // a lone CR inside a line
        {"p\n\rq\r\nr\n\r\n\rs", -1, 0, nullptr, nullptr, nullptr, {}},  // CR LF inside a line
        {"a\r\r\nb\r\n\rc", 0, 0, nullptr, nullptr, nullptr, {}},        // CR CR LF ends no line
        {"x\ny\r\nz\n\r", 2, 0, nullptr, nullptr, nullptr, {}},
        {"aaaa\rbbbb cccc\r\ndd\ree ff", -1, 5, nullptr, nullptr, nullptr, {}},
        {std::string(5000, 'a') + "\r" + std::string(5009, 'b'), -1, 10000, nullptr, nullptr, nullptr, {}},
        {"", -1, 0, nullptr, nullptr, nullptr, {}},
        {"aa aa\r\nb aa", -1, 0, "aa", "a", "b", {2, 0}},
        {"a a a", -1, 0, "a", "a a", "bbb", {4, 0}},
        {"xx\r\nyy\rxx", -1, 0, "xx", "x", "\r\n", {3, 2}},
    };
    const char* const piece = "1\r2\r\n3\n4\n\r5";
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 40)));
        CTextBuffer buffer;
        buffer.LoadFromString(c.text.c_str(), c.style);
        if (c.wrapWidth) buffer.SetWrapWidth(c.wrapWidth);
        // Lines and paragraphs together: continuation lines are never empty.
        auto lines = [&buffer] { return std::make_pair(testing_support::Lines(buffer), Flat(buffer)); };
        const auto loaded = lines();
        const int length = static_cast<int>(loaded.second.size()), step = std::max(1, length / 20);
        for (int a = 0; a <= length && !HasFailure(); a += step) {
            for (int b = a; b <= length && !HasFailure(); b += step) {
                // An empty range inserts at its start, any other is deleted.
                const CPoint from = buffer.OffsetToTextPos(a), to = buffer.OffsetToTextPos(b);
                int line, chr;
                ASSERT_TRUE(a == b ? buffer.InsertText(nullptr, from.y, from.x, piece, line, chr)
                                   : buffer.DeleteText(nullptr, from.y, from.x, to.y, to.x));
                std::string expected = loaded.second;
                a == b ? expected.insert(a, Plain(piece)) : expected.erase(a, b - a);
                EXPECT_TRUE(expected == Flat(buffer)) << "edit " << a << ".." << b;
                const auto edited = lines();
                CPoint cursor;
                buffer.Undo(cursor);
                EXPECT_TRUE(loaded == lines()) << "undo " << a << ".." << b;
                buffer.Redo(cursor);
                EXPECT_TRUE(edited == lines()) << "redo " << a << ".." << b;
                buffer.Undo(cursor);
            }
        }

        testing_support::TextViewHost<CTextEditView> host(c.text.c_str());
        if (c.find) {
            CEditReplaceDlg dialog(&host.view);
            dialog.m_nScope = 0;
            dialog.m_ptBlockEnd = host.buffer.OffsetToTextPos(length);
            dialog.m_sText = c.find;
            dialog.m_sNewText = c.with;
            ASSERT_TRUE(dialog.Create(IDD_EDIT_REPLACE, &host.parent));
            dialog.SendMessage(WM_COMMAND, IDC_EDIT_FIND_NEXT, 0);
            dialog.SetDlgItemText(IDC_EDIT_TEXT, c.edited);
            dialog.SendMessage(WM_COMMAND, IDC_EDIT_REPLACE, 0);
            EXPECT_EQ(host.buffer.OffsetToTextPos(static_cast<int>(Flat(host.buffer).size())), dialog.m_ptBlockEnd);
            EXPECT_EQ(c.next, dialog.m_ptCurrentPos);
            EXPECT_TRUE(boxes.Boxes().empty());
        }

        host.buffer.ReleaseAll();
        host.view.AppendText(("|" + c.text).c_str());  // a mark first: the empty text appends too
        const std::string appended = Plain("|" + c.text);
        EXPECT_EQ(appended, Flat(host.buffer));
        EXPECT_EQ(host.buffer.OffsetToTextPos(static_cast<int>(appended.size())), host.view.GetCursorPos());

        // Metrics taken before the window exists go with it: the font is the window's.
        CTextEditorCtrl early;
        early.SetText(c.text.c_str(), FALSE);
        early.GetCharWidth();
        ASSERT_TRUE(early.Create(nullptr, "Editor", WS_CHILD, CRect(0, 0, 400, 300), &host.parent, 2));
        EXPECT_EQ(host.view.GetCharWidth(), early.GetCharWidth());
        EXPECT_EQ(host.view.GetLineHeight(), early.GetLineHeight());
    }
}
