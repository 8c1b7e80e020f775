// The text of the editor control: lines with a line-end style, wrapping at a width, line flags,
// undo groups, and the views that show it, told of every change with a context that moves their
// positions across it.
#pragma once
#include "classlib/CString.h"
#include "classlib/Geometry.h"
#include "controls/texteditor/TextBufferView.h"
#include <vector>

// One line: its characters (not terminated, no line end), the allocation's size, its flags, and
// whether a real line break (not wrapping) comes before it.
struct SLineInfo {
    char* text;
    int capacity;
    int length;
    DWORD flags;
    BOOL paragraphStart;
};

class CTextBuffer;

// Moves a view's text position across one change of the buffer.
class CUpdateContext {
public:
    virtual ~CUpdateContext() {}
    virtual void RecalcPoint(CPoint& point) = 0;

    int GetStart() const { return start_; }
    int GetLength() const { return length_; }

protected:
    // Saves the structure of the lines from firstLine on; the lines before it stay as they are.
    CUpdateContext(const CTextBuffer& buffer, int start, int length, int firstLine);
    // The point's char offset in the text as it was before the change.
    int SavedOffset(const CPoint& point) const;
    // The offset as a position in the changed text, kept inside its lines.
    CPoint ClampPoint(int offset) const;

    int start_;
    int length_;
    const CTextBuffer& buffer_;
    // Lengths and paragraph flags of the lines from firstLine_ on as they were; the text before
    // firstLine_ ends at firstOffset_.
    int firstLine_;
    int firstOffset_;
    std::vector<SLineInfo> saved_;
};

class CTextBuffer {
public:
    enum { StyleDos = 0, StyleUnix = 1, StyleMac = 2, StyleDetect = -1 };
    // Update flags passed to the views.
    enum : DWORD {
        UpdateHorzRange = 0x0001,
        UpdateVertRange = 0x0002,
        UpdateSingleLine = 0x0100,
        UpdateFlagsOnly = 0x0200,
        UpdateReset = 0x1000,
    };
    static const DWORD FlagBookmark = 0x00080000;
    static const int DefaultUndoLimit = 1024;
    static const int DefaultWrapWidth = 10000;

    // One edit as undo keeps it, in char offsets. A deletion holds the deleted text; an insertion
    // holds its text only while it is undone (in effect, the text is in the lines), so a log
    // appended a thousand times is not held twice.
    struct SUndoRecord {
        enum : DWORD { Inserted = 0x0001, GroupStart = 0x0100 };
        DWORD flags;
        int start;
        int end;
        int action;

        SUndoRecord() : flags(0), start(0), end(0), action(0), text_(nullptr), size_(0), exactBreaks_(false) {}
        SUndoRecord(const SUndoRecord&) = delete;
        SUndoRecord& operator=(const SUndoRecord&) = delete;
        SUndoRecord(SUndoRecord&& other) noexcept;
        SUndoRecord& operator=(SUndoRecord&& other) noexcept;
        ~SUndoRecord() { FreeText(); }

        // A one-character text lives in the record itself; a longer one is owned by it. The
        // breaks are those of a text that holds a CR of a line's own (see ReadRange), else none.
        void SetText(const char* text, const std::vector<int>* breaks = nullptr);
        const char* GetText() const { return size_ > 1 ? text_ : inline_; }
        // Where the text's paragraph breaks lie; NULL when each CR of the text is one.
        const std::vector<int>* GetBreaks() const { return exactBreaks_ ? &breaks_ : nullptr; }
        void FreeText();

    private:
        union {
            char* text_;
            char inline_[sizeof(char*)];
        };
        int size_;
        std::vector<int> breaks_;
        bool exactBreaks_;
    };

    class CInsertContext : public CUpdateContext {
    public:
        CInsertContext(const CTextBuffer& buffer, int start, int length, int firstLine)
            : CUpdateContext(buffer, start, length, firstLine) {}
        void RecalcPoint(CPoint& point) override;
    };
    class CDeleteContext : public CUpdateContext {
    public:
        CDeleteContext(const CTextBuffer& buffer, int start, int length, int firstLine)
            : CUpdateContext(buffer, start, length, firstLine) {}
        void RecalcPoint(CPoint& point) override;
    };

    CTextBuffer();
    // Frees what ReleaseAll did not: the owner need not release first.
    virtual ~CTextBuffer();
    CTextBuffer(const CTextBuffer&) = delete;
    CTextBuffer& operator=(const CTextBuffer&) = delete;

    // Replace the whole text (the old lines and undo records go); always TRUE.
    BOOL LoadFromString(const char* text, int style = StyleDetect);
    BOOL InitNew(int style = StyleDos);
    void ReleaseAll();
    BOOL IsInitialized() const { return initialized_; }

    int GetLineCount() const { return static_cast<int>(lines_.size()); }
    int GetLineLength(int line) const;
    const char* GetLineChars(int line) const;
    DWORD GetLineFlags(int line) const;
    BOOL IsParagraphStart(int line) const;

    BOOL GetText(CString& out, int style = StyleDetect, BOOL markSaved = FALSE);
    void GetTextRange(int startLine, int startChar, int endLine, int endChar, CString& out,
                      const char* separator = nullptr) const;
    void GetParagraphText(CString& out, int charIndex, int line) const;
    int GetLineEndStyle() const { return style_; }
    void SetLineEndStyle(int style);
    static const char* GetLineEndSeparator(int style);

    int TextPosToOffset(const CPoint& position) const;
    CPoint OffsetToTextPos(int offset) const;
    BOOL IsSoftBreakAt(int charIndex, int line) const;
    // The line where the paragraph holding the line begins.
    int GetParagraphStartLine(int line) const;

    BOOL InsertText(TextBufferView* source, int line, int charIndex, const char* text, int& endLine,
                    int& endChar, int action = 0);
    BOOL DeleteText(TextBufferView* source, int startLine, int startChar, int endLine, int endChar,
                    int action = 0);

    void BeginUndoGroup(BOOL mergeWithPrevious = FALSE);
    void FlushUndoGroup(TextBufferView* source);
    BOOL CanUndo() const;
    BOOL CanRedo() const;
    BOOL Undo(CPoint& cursor);
    BOOL Redo(CPoint& cursor);
    void GetUndoDescription(CString& text, int position = 0) const;
    void GetRedoDescription(CString& text, int position = 0) const;
    virtual BOOL GetActionDescription(int action, CString& text) const;
    int GetUndoPosition() const { return undoPosition_; }
    int GetUndoRecordCount() const { return static_cast<int>(undo_.size()); }

    virtual void SetModified(BOOL modified = TRUE) { modified_ = modified; }
    BOOL IsModified() const { return modified_; }
    void SetReadOnly(BOOL readOnly = TRUE) { readOnly_ = readOnly; }
    BOOL IsReadOnly() const { return readOnly_; }

    void SetLineFlag(int line, DWORD flag, BOOL set, BOOL removeFromPreviousLine = TRUE);
    int GetLineWithFlag(DWORD flag) const;
    int FindLineWithFlag(DWORD mask) const;
    int FindNextBookmarkLine(int line = 0) const;
    int FindPrevBookmarkLine(int line = 0) const;

    void AddView(TextBufferView* view);
    void RemoveView(TextBufferView* view);
    void UpdateViews(TextBufferView* source, CUpdateContext* context, DWORD flags, int line = -1);
    void SetWrapWidth(int width);
    int GetWrapWidth() const { return wrapWidth_; }
    // Removes a line without undo (the undo records are cleared); at least one line stays.
    BOOL RemoveLine(int line);

    BOOL LoadFromFile(const char* path, int style = StyleDetect);
    BOOL SaveToFile(const char* path, int style = StyleDetect, BOOL markSaved = TRUE);

protected:
    BOOL createBackupFile_;
    int undoLimit_;

private:
    friend class CUpdateContext;
    friend class LineSplitter;

    // Line records: every structural change goes through these, so the offset cache stays true.
    // A new record owning a copy of the characters, with room to grow.
    static SLineInfo NewLine(const char* chars, int length, DWORD flags, BOOL paragraphStart);
    void InsertLines(int at, std::vector<SLineInfo>& lines);
    void RemoveLines(int at, int count);
    // Puts the records in place of count records at `at`; the texts of those are the caller's.
    void ReplaceLineRecords(int at, int count, std::vector<SLineInfo>& lines);
    void SetLineText(int line, const char* chars, int length);
    void AppendLineText(int line, const char* chars, int length);
    void TruncateLine(int line, int length);
    void InvalidateOffsets(int line) const;
    int LineStartOffset(int line) const;
    int LineEndOffset(int line) const { return LineStartOffset(line) + lines_[line].length; }
    int LineOfOffset(int offset) const;
    int FindBookmarkLine(int line, int step) const;
    void FreeLines();
    void FreeUndo();
    void ResetAfterLoad(int style, BOOL readOnly);

    // With breaks, the text breaks into paragraphs only at those indexes (each a CR LF) and
    // keeps every other CR as a character; without, at each CR (a CR LF together).
    BOOL InternalInsertText(TextBufferView* source, int offset, const char* text, int& endOffset,
                            const std::vector<int>* breaks = nullptr);
    BOOL InternalDeleteText(TextBufferView* source, int startOffset, int endOffset);
    void AddUndoRecord(BOOL insert, int start, int end, const char* text, int action,
                       const std::vector<int>* breaks = nullptr);
    // The text between two positions with the separator at each paragraph break. When a line in
    // it holds a CR of its own, a plain reading of the text would break there too: then the
    // answer is TRUE and `breaks` (when given) receives the index of every paragraph break.
    BOOL ReadRange(int startLine, int startChar, int endLine, int endChar, CString& out, const char* separator,
                   std::vector<int>* breaks) const;
    // The record's text; an insertion in effect reads it from the lines it made.
    CString RecordText(const SUndoRecord& record) const;
    // An insertion about to be undone keeps the text it made, breaks and all.
    void TakeRecordText(SUndoRecord& record) const;

    // Wrapping, on whole paragraphs; each answers the lines the paragraphs now take.
    void ComputeBreaks(const char* chars, int length, std::vector<int>& breaks) const;
    int UnwrapParagraphs(int firstLine, int lastLine);
    int WrapLines(int firstLine, int lastLine);
    void UnwrapAll();
    void WrapAll();

    BOOL initialized_;
    BOOL readOnly_;
    BOOL modified_;
    int style_;
    int wrapWidth_;
    std::vector<SLineInfo> lines_;
    std::vector<SUndoRecord> undo_;
    int undoPosition_;
    int savedPosition_;
    BOOL groupOpen_;
    BOOL groupBegins_;
    BOOL groupAddedRecord_;
    std::vector<TextBufferView*> views_;
    // Start offset of each line, true for the lines before validOffsets_.
    mutable std::vector<int> lineOffsets_;
    mutable int validOffsets_;
};
