// Texts mixing every kind of line end through the editor's paths: each edit undone and redone
// against a plain model, an append into an emptied buffer, a Replace after "Find what" changed,
// and the text set before the control's window exists.
#include "controls/texteditor/EditReplaceDlg.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "controls/texteditor/TextEditorRes.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>

using testing_support::Flat;
using testing_support::Structure;

namespace {
// Inserted text as the model of Flat has it: a CR, or a CR LF, breaks the paragraph.
std::string Plain(std::string text) {
    for (size_t at; (at = text.find('\r')) != std::string::npos;)
        text.replace(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1, 1, '\0');
    return text;
}

class FontProbe : public CTextEditorCtrl {
public:
    std::string PlainFace() {
        LOGFONTA font = {};
        GetStyledFont(FALSE, FALSE, FALSE)->GetLogFont(&font);
        return font.lfFaceName;
    }
};
}  // namespace

TEST(TextEditorHostileInputTest, EveryLineEndMixKeepsItsLinesThroughUndoAppendReplaceAndCreation) {
    testing_support::Watchdog watchdog(100);
    testing_support::MessageBoxRecorder boxes;
    const struct Case {
        std::string text;
        int style, wrapWidth;  // -1: detected; 0: the buffer's own
        // Find Next finds `find` in the whole text as a block, "Find what" becomes `edited`, and
        // Replace puts `with` in the match's place and finds `edited` next at `next`.
        const char *find, *edited, *with;
        CPoint next;
    } cases[] = {
        {"a\rb\nc", -1, 0, nullptr, nullptr, nullptr, {}},  // a lone CR inside a line
        {"a\r\nb\r\n\r\nc\rd\r", -1, 0, nullptr, nullptr, nullptr, {}},
        {"p\n\rq\r\nr\n\r\n\rs", -1, 0, nullptr, nullptr, nullptr, {}},  // CR LF inside a line
        {"a\r\r\nb\r\n\rc", 0, 0, nullptr, nullptr, nullptr, {}},        // CR CR LF ends no line
        {"x\ny\r\nz\n\r", 2, 0, nullptr, nullptr, nullptr, {}},
        {"aaaa\rbbbb cccc\r\ndd\ree ff", -1, 5, nullptr, nullptr, nullptr, {}},
        {"", -1, 0, nullptr, nullptr, nullptr, {}},
        {std::string(5000, 'a') + "\r" + std::string(5009, 'b'), -1, 0, nullptr, nullptr, nullptr, {}},  // wraps
        {"aa aa\r\nb aa", -1, 0, "aa", "a", "b", {2, 0}},
        {"a a a", -1, 0, "a", "a a", "bbb", {4, 0}},
        {"xx\r\nyy\rxx", -1, 0, "xx", "x", "\r\n", {3, 2}},
    };
    const char* const piece = "1\r2\r\n3\n4\n\r5";
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 40)));
        CTextBuffer buffer;
        buffer.LoadFromString(c.text.c_str(), c.style);
        if (c.wrapWidth) buffer.SetWrapWidth(c.wrapWidth);
        const auto original = Structure(buffer);
        const std::string flat = Flat(buffer);
        const int length = static_cast<int>(flat.size()), step = std::max(1, length / 20);
        for (int a = 0; a <= length && !HasFailure(); a += step) {
            for (int b = a; b <= length && !HasFailure(); b += step) {
                // An empty range inserts at its start, any other is deleted.
                const CPoint from = buffer.OffsetToTextPos(a), to = buffer.OffsetToTextPos(b);
                std::string expected = flat;
                int line, chr;
                if (a == b) {
                    buffer.InsertText(nullptr, from.y, from.x, piece, line, chr);
                    expected.insert(a, Plain(piece));
                } else {
                    buffer.DeleteText(nullptr, from.y, from.x, to.y, to.x);
                    expected.erase(a, b - a);
                }
                EXPECT_TRUE(expected == Flat(buffer)) << "edit " << a << ".." << b;
                const auto after = Structure(buffer);
                CPoint cursor;
                buffer.Undo(cursor);
                EXPECT_TRUE(original == Structure(buffer)) << "undo " << a << ".." << b;
                buffer.Redo(cursor);
                EXPECT_TRUE(after == Structure(buffer)) << "redo " << a << ".." << b;
                buffer.Undo(cursor);
                EXPECT_TRUE(original == Structure(buffer)) << "undo again " << a << ".." << b;
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
            auto press = [&dialog](int id) { dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
            press(IDC_EDIT_FIND_NEXT);
            dialog.SetDlgItemText(IDC_EDIT_TEXT, c.edited);
            press(IDC_EDIT_REPLACE);
            EXPECT_EQ(host.buffer.OffsetToTextPos(static_cast<int>(Flat(host.buffer).size())), dialog.m_ptBlockEnd);
            EXPECT_EQ(c.next, dialog.m_ptCurrentPos);
            EXPECT_TRUE(boxes.Boxes().empty());
        }

        // A mark first, so that even the empty text appends something.
        host.buffer.ReleaseAll();
        host.view.AppendText(("|" + c.text).c_str());
        const std::string appended = Plain("|" + c.text);
        EXPECT_EQ(appended, Flat(host.buffer));
        EXPECT_EQ(host.buffer.OffsetToTextPos(static_cast<int>(appended.size())), host.view.GetCursorPos());

        FontProbe early;
        early.SetText(c.text.c_str(), FALSE);
        early.GetCharWidth();  // measured before the window exists
        ASSERT_TRUE(early.Create(nullptr, "Editor", WS_CHILD, CRect(0, 0, 400, 300), &host.parent, 2));
        EXPECT_EQ("FixedSys", early.PlainFace());
        EXPECT_EQ(host.view.GetCharWidth(), early.GetCharWidth());
        EXPECT_EQ(host.view.GetLineHeight(), early.GetLineHeight());
    }
}
