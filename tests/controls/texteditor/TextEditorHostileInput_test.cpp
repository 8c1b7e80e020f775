// Texts that mix every kind of line end, put through the editor's paths where such text went
// wrong: edits undone and redone against a plain model of the text, an append into a buffer that
// was emptied, a replacement in a block after "Find what" changed, and a text set before the
// control had its window.
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using testing_support::Paragraphs;
using testing_support::Structure;
typedef std::vector<std::string> Strings;

namespace {
// The text as a plain list of paragraphs, edited in char offsets as the buffer counts them:
// one for every character and one for every paragraph break.
class PlainText {
public:
    explicit PlainText(Strings paragraphs) : paragraphs_(std::move(paragraphs)) {}
    const Strings& Get() const { return paragraphs_; }
    int Length() const {
        int length = -1;
        for (const std::string& p : paragraphs_) length += static_cast<int>(p.size()) + 1;
        return length;
    }
    void Delete(int from, int to) {
        const auto a = At(from), b = At(to);
        paragraphs_[a.first] = paragraphs_[a.first].substr(0, a.second) + paragraphs_[b.first].substr(b.second);
        paragraphs_.erase(paragraphs_.begin() + a.first + 1, paragraphs_.begin() + b.first + 1);
    }
    // Typed or pasted text breaks at each CR, a CR LF together; a lone LF is a character.
    void Insert(int at, const std::string& text) {
        const auto p = At(at);
        const std::string tail = paragraphs_[p.first].substr(p.second);
        paragraphs_[p.first].resize(p.second);
        size_t line = p.first;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r') {
                paragraphs_[line] += text[i];
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            paragraphs_.insert(paragraphs_.begin() + ++line, std::string());
        }
        paragraphs_[line] += tail;
    }

private:
    std::pair<size_t, size_t> At(int offset) const {
        size_t i = 0;
        while (offset > static_cast<int>(paragraphs_[i].size()))
            offset -= static_cast<int>(paragraphs_[i++].size()) + 1;
        return {i, static_cast<size_t>(offset)};
    }
    Strings paragraphs_;
};

typedef std::vector<std::pair<bool, std::string>> LineStructure;

// The lines, each as its paragraph flag, its length and its first characters: short enough to
// read when a long line differs.
std::string Describe(const LineStructure& lines) {
    std::string text;
    for (const auto& line : lines)
        text += (line.first ? "\n  " : "\n  ~") + std::to_string(line.second.size()) + " " +
                ::testing::PrintToString(line.second.substr(0, 24));
    return text;
}

struct Case {
    std::string text;
    int style;      // -1: detected
    int wrapWidth;  // 0: the buffer's own
    // The Replace dialog over the whole text: Find Next finds `find`, "Find what" becomes
    // `edited`, and Replace puts `with` in the match's place and finds `edited` next at `next`.
    const char* find;
    const char* edited;
    const char* with;
    CPoint next;
};

const char* const kPieces[] = {"1\r2\r\n3\n4\n\r5", "\r", "\n", "\r\n", "x", "\n\r"};

// Every offset of a short text; of a long one those around its ends, its middle and the wrap.
std::vector<int> Offsets(int length, int wrap) {
    std::vector<int> offsets;
    if (length <= 48) {
        for (int i = 0; i <= length; ++i) offsets.push_back(i);
        return offsets;
    }
    for (int at : {0, 1, 2, wrap - 1, wrap, wrap + 1, length / 2, length - 2, length - 1, length})
        if (at >= 0 && at <= length) offsets.push_back(at);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

class UndoProbe {
public:
    explicit UndoProbe(const Case& c) {
        buffer.LoadFromString(c.text.c_str(), c.style);
        if (c.wrapWidth) buffer.SetWrapWidth(c.wrapWidth);
        wrap = buffer.GetWrapWidth();
    }
    CPoint At(int offset) const { return buffer.OffsetToTextPos(offset); }
    void Delete(int from, int to) {
        const CPoint a = At(from), b = At(to);
        ASSERT_TRUE(buffer.DeleteText(nullptr, a.y, a.x, b.y, b.x, 9));
    }
    void Insert(int at, const char* text) {
        const CPoint a = At(at);
        int endLine, endChar;
        ASSERT_TRUE(buffer.InsertText(nullptr, a.y, a.x, text, endLine, endChar, 1));
    }
    // Undo gives back the lines as they were before the edit, redo those after it, and once
    // more undo those before.
    void ExpectExactUndo(const LineStructure& before, const std::string& edit) {
        const LineStructure after = Structure(buffer);
        CPoint cursor;
        buffer.Undo(cursor);
        ExpectLines(before, "undo of " + edit);
        buffer.Redo(cursor);
        ExpectLines(after, "redo of " + edit);
        buffer.Undo(cursor);
        ExpectLines(before, "second undo of " + edit);
    }
    void ExpectLines(const LineStructure& expected, const std::string& step) {
        const LineStructure lines = Structure(buffer);
        EXPECT_TRUE(expected == lines) << step << ": expected" << Describe(expected) << "\ngot" << Describe(lines);
    }

    CTextBuffer buffer;
    int wrap;
};

void CheckUndoAndRedo(const Case& c) {
    UndoProbe probe(c);
    CTextBuffer& buffer = probe.buffer;
    const LineStructure original = Structure(buffer);
    const PlainText loaded(Paragraphs(buffer));
    const std::vector<int> offsets = Offsets(loaded.Length(), probe.wrap);
    for (size_t i = 0; i < offsets.size(); ++i) {
        for (size_t k = i + 1; k < offsets.size(); ++k) {
            const std::string edit = "delete " + std::to_string(offsets[i]) + ".." + std::to_string(offsets[k]);
            probe.Delete(offsets[i], offsets[k]);
            PlainText model = loaded;
            model.Delete(offsets[i], offsets[k]);
            EXPECT_EQ(model.Get(), Paragraphs(buffer)) << edit;
            probe.ExpectExactUndo(original, edit);
            if (::testing::Test::HasFailure()) return;
        }
        const std::string edit = "insert at " + std::to_string(offsets[i]);
        probe.Insert(offsets[i], kPieces[0]);
        PlainText model = loaded;
        model.Insert(offsets[i], kPieces[0]);
        EXPECT_EQ(model.Get(), Paragraphs(buffer)) << edit;
        probe.ExpectExactUndo(original, edit);
        if (::testing::Test::HasFailure()) return;
    }

    // A run of edits, some replacing a range in one group as the edit view does: all undone give
    // back the loaded lines, all redone the lines at the end of the run.
    unsigned seed = 24;
    auto random = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
    };
    PlainText model = loaded;
    for (int step = 0; step < 60; ++step) {
        const int length = model.Length();
        int from = random(length + 1), to = random(length + 1);
        if (from > to) std::swap(from, to);
        const char* piece = kPieces[random(6)];
        const int kind = random(3);
        buffer.BeginUndoGroup(FALSE);
        if (kind != 1 && from < to) {
            probe.Delete(from, to);
            model.Delete(from, to);
        }
        if (kind != 0) {
            probe.Insert(from, piece);
            model.Insert(from, piece);
        }
        buffer.FlushUndoGroup(nullptr);
        ASSERT_EQ(model.Get(), Paragraphs(buffer)) << "step " << step;
    }
    const LineStructure last = Structure(buffer);
    CPoint cursor;
    while (buffer.CanUndo()) buffer.Undo(cursor);
    probe.ExpectLines(original, "all undone");
    while (buffer.CanRedo()) buffer.Redo(cursor);
    probe.ExpectLines(last, "all redone");
}

void CheckAppendIntoEmptiedBuffer(const Case& c) {
    testing_support::TextViewHost<CTextView> host(c.text.c_str());
    host.buffer.ReleaseAll();
    // A mark first, so that even the empty text appends something.
    const std::string appended = "|" + c.text;
    host.view.AppendText(appended.c_str());
    PlainText model(Strings(1));
    model.Insert(0, appended);
    EXPECT_EQ(model.Get(), Paragraphs(host.buffer));
    EXPECT_EQ(host.buffer.OffsetToTextPos(model.Length()), host.view.GetCursorPos());
    CPoint cursor;
    ASSERT_TRUE(host.buffer.CanUndo());
    host.buffer.Undo(cursor);
    EXPECT_EQ(Strings(1), Paragraphs(host.buffer));
}

void CheckReplaceInBlock(const Case& c) {
    CTextBuffer loaded;
    loaded.LoadFromString(c.text.c_str(), -1);
    const CPoint end = loaded.OffsetToTextPos(PlainText(Paragraphs(loaded)).Length());
    testing_support::MessageBoxRecorder boxes;
    testing_support::ReplaceDialogHost replace(c.text.c_str(), c.find, c.with, CPoint(0, 0), end);
    ASSERT_TRUE(replace.created);
    replace.dialog.m_bFound = FALSE;
    replace.Press(IDC_EDIT_FIND_NEXT);
    ASSERT_TRUE(replace.dialog.m_bFound);
    replace.dialog.SetDlgItemText(IDC_EDIT_TEXT, c.edited);
    replace.Press(IDC_EDIT_REPLACE);
    CTextBuffer& buffer = replace.host.buffer;
    EXPECT_EQ(buffer.OffsetToTextPos(PlainText(Paragraphs(buffer)).Length()), replace.dialog.m_ptBlockEnd);
    EXPECT_TRUE(replace.dialog.m_bFound);
    EXPECT_EQ(c.next, replace.dialog.m_ptCurrentPos);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The styled fonts, for a look at the face they were made from.
class FontProbe : public CTextEditorCtrl {
public:
    std::string PlainFace() {
        LOGFONTA font = {};
        GetStyledFont(FALSE, FALSE, FALSE)->GetLogFont(&font);
        return font.lfFaceName;
    }
};

void CheckFontAfterCreate(const Case& c) {
    testing_support::RecordingParent parent;
    parent.CreateEx(0, nullptr, "editor host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr);
    const CRect rect(0, 0, 400, 300);
    FontProbe early, late;
    early.SetText(c.text.c_str(), FALSE);
    early.GetCharWidth();  // measured before the window exists
    ASSERT_TRUE(early.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, rect, &parent, 1));
    ASSERT_TRUE(late.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, rect, &parent, 2));
    late.SetText(c.text.c_str(), FALSE);
    EXPECT_EQ("FixedSys", early.PlainFace());
    EXPECT_EQ(late.GetCharWidth(), early.GetCharWidth());
    EXPECT_EQ(late.GetLineHeight(), early.GetLineHeight());
    // A click lands where the text is drawn.
    const CPoint point(late.GetMarginWidth() + 2 * late.GetCharWidth() + 1, late.GetLineHeight() / 2);
    EXPECT_EQ(late.PointToTextPos(point), early.PointToTextPos(point));
    early.DestroyWindow();
    late.DestroyWindow();
    parent.DestroyWindow();
}
}  // namespace

TEST(TextEditorHostileInputTest, EveryLineEndMixKeepsItsLinesThroughUndoAppendReplaceAndCreation) {
    testing_support::Watchdog watchdog(100);
    std::string longLine(10010, 'a');
    longLine[10003] = '\r';
    const Case cases[] = {
        {"a\rb\nc", -1, 0, nullptr, nullptr, nullptr, {}},  // a lone CR inside a line
        {"a\r\nb\r\n\r\nc\rd\re\r", -1, 0, nullptr, nullptr, nullptr, {}},
        {"p\n\rq\r\nr\n\r\n\rs", -1, 0, nullptr, nullptr, nullptr, {}},  // CR LF inside a line
        {"a\r\r\nb\r\n\rc", 0, 0, nullptr, nullptr, nullptr, {}},        // CR CR LF is no line end
        {"x\ny\r\nz\n\r", 2, 0, nullptr, nullptr, nullptr, {}},          // a CR before each line end
        {"\r\r\n\n\r\n\r", -1, 0, nullptr, nullptr, nullptr, {}},
        {"aaaa\rbbbb cccc\r\ndd\ree ff gg", -1, 5, nullptr, nullptr, nullptr, {}},  // wrapped
        {"", -1, 0, nullptr, nullptr, nullptr, {}},
        {"\n", -1, 0, nullptr, nullptr, nullptr, {}},
        {longLine, -1, 0, nullptr, nullptr, nullptr, {}},  // longer than the wrap width
        // "Find what" shorter, longer, and a replacement that breaks the line.
        {"aa aa\r\nb aa", -1, 0, "aa", "a", "b", {2, 0}},
        {"a a a", -1, 0, "a", "a a", "bbb", {4, 0}},
        {"xx\r\nyy\rxx", -1, 0, "xx", "x", "\r\n", {3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text.size() > 40 ? c.text.substr(0, 40) + "..." : c.text));
        CheckUndoAndRedo(c);
        CheckAppendIntoEmptiedBuffer(c);
        if (c.find) CheckReplaceInBlock(c);
        CheckFontAfterCreate(c);
    }
}
