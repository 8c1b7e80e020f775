#include "controls/texteditor/TextBuffer.h"
#include "support/TestSupport.h"
#include "support/TextBufferTestSupport.h"
#include <gtest/gtest.h>

using testing_support::Lines;
using testing_support::RecordingView;
using testing_support::Text;
typedef std::vector<std::string> Strings;

namespace {
// Edits as the edit view types: one character per group, a blank starting a new group.
void Type(CTextBuffer& buffer, TextBufferView* view, const char* chars) {
    for (const char* c = chars; *c; ++c) {
        const int line = buffer.GetLineCount() - 1;
        int endLine, endChar;
        buffer.BeginUndoGroup(*c != ' ');
        buffer.InsertText(view, line, buffer.GetLineLength(line), std::string(1, *c).c_str(), endLine, endChar, 4);
        buffer.FlushUndoGroup(view);
    }
}

class SmallUndoBuffer : public CTextBuffer {
public:
    void SetUndoLimit(int limit) { undoLimit_ = limit; }
};
}  // namespace

TEST(TextBufferTest, LoadingDetectsTheStyleAndGivesTheTextBack) {
    struct Case {
        const char* text;
        int style;
        Strings lines;
    } cases[] = {
        {"", 0, {""}},
        {"a\r\nb\r\n", 0, {"a", "b", ""}},
        {"a\nb", 2, {"a", "b"}},
        {"a\n\rb", 1, {"a", "b"}},
        {"a\n", 2, {"a", ""}},
        {"a\rb", 0, {"a\rb"}},            // a lone CR is no line end
        {"a\r\r\nb", 0, {"a\r\r\nb"}},    // nor CR CR LF: the second CR begins no match
        {"a\n\rb\n\n\rc", 1, {"a", "b\n\n\rc"}},
    };
    for (const Case& c : cases) {
        CTextBuffer buffer;
        buffer.LoadFromString(c.text, -1);
        EXPECT_EQ(c.style, buffer.GetLineEndStyle()) << c.text;
        EXPECT_EQ(c.lines, Lines(buffer)) << c.text;
        EXPECT_EQ(c.text, Text(buffer));
        EXPECT_FALSE(buffer.IsModified());
    }
    CTextBuffer buffer;
    buffer.LoadFromString("a\r\nb", -1);
    CString unix;
    buffer.GetText(unix, 1, FALSE);
    EXPECT_EQ(CString("a\n\rb"), unix);
    buffer.SetLineEndStyle(5);  // not a style: ignored
    EXPECT_EQ(0, buffer.GetLineEndStyle());
    buffer.GetText(unix, 7, FALSE);
    EXPECT_EQ(CString("a\r\nb"), unix);
}

TEST(TextBufferTest, OffsetsAndRangesRunWithoutAGapAcrossWrapBreaks) {
    CTextBuffer buffer;
    buffer.LoadFromString("aaaa bbbb cccc\r\nxy", -1);
    buffer.SetWrapWidth(10);
    EXPECT_EQ(Strings({"aaaa bbbb ", "cccc", "xy"}), Lines(buffer));
    EXPECT_EQ("aaaa bbbb cccc\r\nxy", Text(buffer));
    EXPECT_TRUE(buffer.IsSoftBreakAt(10, 0));
    EXPECT_FALSE(buffer.IsSoftBreakAt(4, 1));
    struct {
        CPoint position;
        int offset;
        CPoint back;
    } cases[] = {
        {CPoint(10, 0), 10, CPoint(10, 0)}, {CPoint(0, 1), 10, CPoint(10, 0)},  // a break is the earlier line's end
        {CPoint(4, 1), 14, CPoint(4, 1)},   {CPoint(0, 2), 15, CPoint(0, 2)},
        {CPoint(0, 3), 17, CPoint(2, 2)},  // the line after the last stands for the end
        {CPoint(0, 4), -1, CPoint(-1, -1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.offset, buffer.TextPosToOffset(c.position)) << c.position.x << "," << c.position.y;
        EXPECT_EQ(c.back, buffer.OffsetToTextPos(c.offset)) << c.offset;
    }
    CString text;
    buffer.GetTextRange(0, 2, 1, 2, text);
    EXPECT_EQ(CString("aa bbbb cc"), text);
    buffer.GetTextRange(1, 2, 2, 1, text, "|");
    EXPECT_EQ(CString("cc|x"), text);
    buffer.GetParagraphText(text, 99, 0);  // a stale char index reads nothing past its line
    EXPECT_EQ(CString("cccc"), text);
    buffer.GetParagraphText(text, 5, 0);
    EXPECT_EQ(CString("bbbb cccc"), text);
}

TEST(TextBufferTest, WrappingNeverLeavesAnEmptyContinuationLine) {
    const std::string a10(10, 'a');
    struct Case {
        std::string line;
        Strings pieces;
    } cases[] = {
        {"aaaa bbbb cccc", {"aaaa bbbb ", "cccc"}},
        {std::string(25, 'a'), {a10, a10, "aaaaa"}},
        {std::string(19, 'a'), {a10, "aaaaaaaaa"}},
        {std::string(20, 'a'), {a10, a10}},                     // twice the width
        {std::string(21, 'a'), {a10, a10, "a"}},
        {"aaaa bbbb cccc dddd ", {"aaaa bbbb ", "cccc dddd "}},  // a blank at the last index
        {a10, {a10}},
        {a10 + "a", {a10, "a"}},
    };
    for (const Case& c : cases) {
        CTextBuffer buffer;
        buffer.LoadFromString(c.line.c_str(), -1);
        buffer.SetWrapWidth(10);
        EXPECT_EQ(c.pieces, Lines(buffer)) << c.line;
        EXPECT_EQ(c.line, Text(buffer));
        buffer.SetWrapWidth(10000);
        EXPECT_EQ(Strings({c.line}), Lines(buffer));
    }
}

TEST(TextBufferTest, EditsTellTheViewsTheParagraphStartAndMoveTheirPoints) {
    CTextBuffer buffer;
    RecordingView view;
    buffer.LoadFromString("ab\r\ncd", -1);
    buffer.AddView(&view);
    view.points = {CPoint(0, 0), CPoint(1, 0), CPoint(2, 0), CPoint(1, 1)};
    int endLine, endChar;
    ASSERT_TRUE(buffer.InsertText(nullptr, 0, 1, "x\r\ny", endLine, endChar));
    EXPECT_EQ(Strings({"ax", "yb", "cd"}), Lines(buffer));
    EXPECT_EQ(CPoint(1, 1), CPoint(endChar, endLine));
    ASSERT_EQ(1u, view.updates.size());
    EXPECT_EQ(3u, view.updates[0].flags);
    EXPECT_EQ(0, view.updates[0].line);
    EXPECT_EQ(3, view.updates[0].length);  // x, the line break, y
    EXPECT_EQ(std::vector<CPoint>({CPoint(0, 0), CPoint(1, 0), CPoint(2, 1), CPoint(1, 2)}), view.points);
    EXPECT_TRUE(buffer.IsModified());

    ASSERT_TRUE(buffer.DeleteText(nullptr, 1, 1, 2, 1));  // "b", the break, "c"
    EXPECT_EQ(Strings({"ax", "yd"}), Lines(buffer));
    EXPECT_EQ(1, view.updates.back().line);
    EXPECT_EQ(std::vector<CPoint>({CPoint(0, 0), CPoint(1, 0), CPoint(1, 1), CPoint(1, 1)}), view.points);

    ASSERT_TRUE(buffer.InsertText(nullptr, 1, 0, "p\nq", endLine, endChar));  // a lone LF is a character
    EXPECT_EQ(Strings({"ax", "p\nqyd"}), Lines(buffer));

    // In a wrapped paragraph the first changed line is where the paragraph begins.
    buffer.LoadFromString("line\r\naaaa bbbb cccc", -1);
    buffer.SetWrapWidth(10);
    ASSERT_TRUE(buffer.InsertText(nullptr, 2, 4, "!", endLine, endChar));
    EXPECT_EQ(1, view.updates.back().line);
    EXPECT_EQ(Strings({"line", "aaaa bbbb ", "cccc!"}), Lines(buffer));
    EXPECT_FALSE(buffer.InsertText(nullptr, 3, 0, "past the end", endLine, endChar));
    EXPECT_FALSE(buffer.DeleteText(nullptr, 0, 2, 0, 9));
}

TEST(TextBufferTest, TypingUndoesInGroupsAndReloadingForgetsTheRecords) {
    CTextBuffer buffer;
    RecordingView view;
    buffer.LoadFromString("", -1);
    Type(buffer, &view, "ab cd");
    EXPECT_EQ(5u, view.edits.size());
    EXPECT_EQ(std::make_pair(4, std::string("d")), view.edits.back());
    CString undo, redo;
    buffer.GetUndoDescription(undo);
    CPoint cursor;
    buffer.Undo(cursor);
    EXPECT_EQ("ab", Text(buffer));
    EXPECT_EQ(CPoint(2, 0), cursor);
    buffer.GetRedoDescription(redo);
    EXPECT_EQ(CString("Typing"), undo);
    EXPECT_EQ(CString("Typing"), redo);
    buffer.Undo(cursor);
    EXPECT_EQ("", Text(buffer));
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_FALSE(buffer.IsModified());
    buffer.Redo(cursor);
    EXPECT_EQ("ab", Text(buffer));
    buffer.SetReadOnly(TRUE);
    EXPECT_FALSE(buffer.CanUndo() || buffer.CanRedo());
    buffer.SetReadOnly(FALSE);

    // A group that added nothing calls no hook.
    buffer.BeginUndoGroup(FALSE);
    buffer.FlushUndoGroup(&view);
    EXPECT_EQ(5u, view.edits.size());

    // Loading anew drops the records: nothing of the old text can be redone into the new one.
    buffer.LoadFromString("new", -1);
    EXPECT_FALSE(buffer.CanRedo() || buffer.CanUndo());
    Type(buffer, nullptr, "x");
    buffer.InitNew(0);
    EXPECT_EQ(0, buffer.GetUndoRecordCount());
    EXPECT_EQ(Strings({""}), Lines(buffer));
}

TEST(TextBufferTest, TheUndoLimitDropsOldGroupsButNeverTheOpenOne) {
    CTextBuffer buffer;
    buffer.LoadFromString("", -1);
    Type(buffer, nullptr, ("F" + std::string(1024, ' ')).c_str());  // 1025 groups
    EXPECT_EQ(1024, buffer.GetUndoRecordCount());
    CPoint cursor;
    while (buffer.CanUndo()) buffer.Undo(cursor);
    EXPECT_EQ("F", Text(buffer));  // the first insertion can no longer be undone

    // The group " y" grows past the limit: it stays whole, and one undo takes it back.
    buffer.LoadFromString("", -1);
    Type(buffer, nullptr, ("x y" + std::string(1100, 'b')).c_str());
    EXPECT_EQ(1102, buffer.GetUndoRecordCount());
    buffer.Undo(cursor);
    EXPECT_EQ("x", Text(buffer));
    EXPECT_EQ(0, buffer.GetUndoPosition());
    EXPECT_FALSE(buffer.CanUndo());
    buffer.Undo(cursor);  // nothing below the first record
    EXPECT_EQ("x", Text(buffer));
}

TEST(TextBufferTest, TheSavedPositionGoesWithTheRecordsItCounted) {
    SmallUndoBuffer buffer;
    buffer.LoadFromString("", -1);
    CString saved;
    Type(buffer, nullptr, "a b");  // groups "a", " b"
    buffer.GetText(saved, -1, TRUE);
    CPoint cursor;
    buffer.Undo(cursor);
    EXPECT_TRUE(buffer.IsModified());
    Type(buffer, nullptr, " c");  // cuts the redo tail, which held the saved text
    buffer.Undo(cursor);
    buffer.Redo(cursor);
    EXPECT_EQ("a c", Text(buffer));
    EXPECT_TRUE(buffer.IsModified());

    // Dropped records shift the saved position.
    buffer.LoadFromString("", -1);
    buffer.SetUndoLimit(4);
    Type(buffer, nullptr, "a b");
    buffer.GetText(saved, -1, TRUE);
    Type(buffer, nullptr, " c");  // the group "a" is dropped
    EXPECT_EQ(4, buffer.GetUndoRecordCount());
    buffer.Undo(cursor);
    EXPECT_EQ("a b", Text(buffer));
    EXPECT_FALSE(buffer.IsModified());
    buffer.Undo(cursor);
    EXPECT_EQ("a", Text(buffer));
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_FALSE(buffer.CanUndo());
}

TEST(TextBufferTest, LineFlagsBookmarksAndRemovingLines) {
    CTextBuffer buffer;
    RecordingView view;
    buffer.LoadFromString("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9", -1);
    buffer.AddView(&view);
    buffer.SetLineFlag(7, 0x8, TRUE, TRUE);
    buffer.SetLineFlag(9, 0x8, TRUE, TRUE);  // moves the bit
    EXPECT_EQ(9, buffer.GetLineWithFlag(0x8));
    EXPECT_EQ(0u, buffer.GetLineFlags(7));
    EXPECT_EQ(3u, view.updates.size());
    EXPECT_EQ(0x300u, view.updates[1].flags);
    EXPECT_EQ(7, view.updates[1].line);
    buffer.SetLineFlag(1, 0x3, TRUE, FALSE);  // two bits: nothing
    EXPECT_EQ(-1, buffer.FindLineWithFlag(0x3));
    EXPECT_EQ(-1, buffer.GetLineWithFlag(0x3));
    buffer.SetLineFlag(2, CTextBuffer::FlagBookmark, TRUE, FALSE);
    buffer.SetLineFlag(8, CTextBuffer::FlagBookmark, TRUE, FALSE);
    EXPECT_EQ(2, buffer.FindNextBookmarkLine(8));
    EXPECT_EQ(8, buffer.FindNextBookmarkLine(3));
    EXPECT_EQ(8, buffer.FindPrevBookmarkLine(2));
    EXPECT_EQ(2, buffer.FindPrevBookmarkLine(7));

    Type(buffer, nullptr, "x");
    view.points = {CPoint(0, 9)};
    EXPECT_FALSE(buffer.RemoveLine(-1));
    EXPECT_FALSE(buffer.RemoveLine(10));
    ASSERT_TRUE(buffer.RemoveLine(3));
    EXPECT_EQ(9, buffer.GetLineCount());
    EXPECT_EQ(3, view.updates.back().line);
    EXPECT_EQ(CPoint(0, 8), view.points[0]);
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_TRUE(buffer.IsModified());
    while (buffer.GetLineCount() > 1) ASSERT_TRUE(buffer.RemoveLine(buffer.GetLineCount() - 1));
    ASSERT_TRUE(buffer.RemoveLine(0));  // the last line is emptied, not taken
    EXPECT_EQ(Strings({""}), Lines(buffer));
}

TEST(TextBufferTest, FilesRoundTripAndAFailedSaveKeepsBothTexts) {
    testing_support::ScratchFolder folder;
    const CString path = folder.File("log.txt");
    CTextBuffer buffer;
    buffer.LoadFromString("one\n\rtwo", -1);
    Type(buffer, nullptr, "!");
    ASSERT_TRUE(buffer.SaveToFile(path, -1, TRUE));
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_EQ("one\n\rtwo!", testing_support::ReadFileBytes(path));

    CTextBuffer loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path, -1));
    EXPECT_EQ(1, loaded.GetLineEndStyle());
    EXPECT_EQ(Strings({"one", "two!"}), Lines(loaded));
    EXPECT_FALSE(loaded.LoadFromFile(folder.File("missing.txt"), -1));
    EXPECT_EQ(Strings({"one", "two!"}), Lines(loaded));

    // The style is found past the first chunk of the file.
    const std::string longLine(40000, 'x');
    testing_support::WriteFileBytes(path, longLine + "\n\ry");
    ASSERT_TRUE(loaded.LoadFromFile(path, -1));
    EXPECT_EQ(1, loaded.GetLineEndStyle());
    EXPECT_EQ(Strings({longLine, "y"}), Lines(loaded));

    // A target that refuses the new text keeps its own, and the new text stays in the temporary file.
    HANDLE held = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(buffer.SaveToFile(path, 0, TRUE));
    CloseHandle(held);
    EXPECT_EQ(longLine + "\n\ry", testing_support::ReadFileBytes(path));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(folder.File("CRE*.tmp"), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    EXPECT_EQ("one\r\ntwo!", testing_support::ReadFileBytes(folder.File(found.cFileName)));
}
