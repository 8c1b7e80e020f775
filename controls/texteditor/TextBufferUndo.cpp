// Undo records and groups of the text buffer, and the action descriptions.
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"
#include <algorithm>
#include <cstring>

CTextBuffer::SUndoRecord::SUndoRecord(SUndoRecord&& other) noexcept
    : flags(other.flags), start(other.start), end(other.end), action(other.action), size_(other.size_),
      breaks_(std::move(other.breaks_)), exactBreaks_(other.exactBreaks_) {
    std::memcpy(inline_, other.inline_, sizeof(inline_));
    other.size_ = 0;
    std::memset(other.inline_, 0, sizeof(other.inline_));
    other.breaks_.clear();
    other.exactBreaks_ = false;
}

CTextBuffer::SUndoRecord& CTextBuffer::SUndoRecord::operator=(SUndoRecord&& other) noexcept {
    if (this != &other) {
        FreeText();
        flags = other.flags;
        start = other.start;
        end = other.end;
        action = other.action;
        size_ = other.size_;
        std::memcpy(inline_, other.inline_, sizeof(inline_));
        breaks_ = std::move(other.breaks_);
        exactBreaks_ = other.exactBreaks_;
        other.size_ = 0;
        std::memset(other.inline_, 0, sizeof(other.inline_));
        other.breaks_.clear();
        other.exactBreaks_ = false;
    }
    return *this;
}

void CTextBuffer::SUndoRecord::SetText(const char* text, const std::vector<int>* breaks) {
    FreeText();
    if (breaks) {
        breaks_ = *breaks;
        exactBreaks_ = true;
    }
    const size_t length = text ? std::strlen(text) : 0;
    if (length == 1) {
        inline_[0] = text[0];
    } else if (length > 1) {
        text_ = new char[length + 1];
        std::memcpy(text_, text, length + 1);
    }
    size_ = static_cast<int>(length);
}

void CTextBuffer::SUndoRecord::FreeText() {
    if (size_ > 1) delete[] text_;
    size_ = 0;
    std::memset(inline_, 0, sizeof(inline_));
    std::vector<int>().swap(breaks_);
    exactBreaks_ = false;
}

void CTextBuffer::FreeUndo() {
    undo_.clear();
    undoPosition_ = 0;
    savedPosition_ = 0;
}

void CTextBuffer::AddUndoRecord(BOOL insert, int start, int end, const char* text, int action,
                                const std::vector<int>* breaks) {
    if (undoPosition_ < static_cast<int>(undo_.size())) {
        // The redo tail is lost; when the saved text was in it, no position reaches it again.
        undo_.erase(undo_.begin() + undoPosition_, undo_.end());
        if (savedPosition_ > undoPosition_) savedPosition_ = -1;
    }
    const int count = static_cast<int>(undo_.size());
    if (count >= undoLimit_ && count > 0) {
        // Drop the oldest group, but never a record of the group this one joins.
        int next = 1;
        while (next < count && !(undo_[next].flags & SUndoRecord::GroupStart)) ++next;
        int open = count;
        if (!groupBegins_) {
            open = count - 1;
            while (open > 0 && !(undo_[open].flags & SUndoRecord::GroupStart)) --open;
        }
        const int drop = std::min(next, open);
        if (drop > 0) {
            undo_.erase(undo_.begin(), undo_.begin() + drop);
            if (savedPosition_ >= 0) savedPosition_ = savedPosition_ >= drop ? savedPosition_ - drop : -1;
            if (!undo_.empty()) undo_[0].flags |= SUndoRecord::GroupStart;
        }
    }
    SUndoRecord record;
    record.flags = insert ? DWORD(SUndoRecord::Inserted) : DWORD(0);
    if (groupBegins_ || undo_.empty()) record.flags |= SUndoRecord::GroupStart;
    groupBegins_ = FALSE;
    record.start = start;
    record.end = end;
    record.action = action;
    // While an insertion is in effect its text is in the lines; only undoing it takes a copy.
    if (!insert) record.SetText(text, breaks);
    undo_.push_back(std::move(record));
    undoPosition_ = static_cast<int>(undo_.size());
    groupAddedRecord_ = TRUE;
}

void CTextBuffer::BeginUndoGroup(BOOL mergeWithPrevious) {
    groupOpen_ = TRUE;
    groupBegins_ = !(mergeWithPrevious && undoPosition_ > 0);
    groupAddedRecord_ = FALSE;
}

void CTextBuffer::FlushUndoGroup(TextBufferView* source) {
    const BOOL added = groupAddedRecord_;
    groupOpen_ = FALSE;
    groupAddedRecord_ = FALSE;
    if (source && undoPosition_ > 0) {
        groupBegins_ = TRUE;
        if (added) {
            // The hook may edit, and so move the records: it gets its own copy.
            const SUndoRecord& last = undo_[undoPosition_ - 1];
            const CString text = RecordText(last);
            source->OnTextEdited(last.action, text);
        }
    }
}

void CTextBuffer::TakeRecordText(SUndoRecord& record) const {
    const CPoint start = OffsetToTextPos(record.start), end = OffsetToTextPos(record.end);
    CString text;
    std::vector<int> breaks;
    const BOOL exact = ReadRange(start.y, start.x, end.y, end.x, text, nullptr, &breaks);
    record.SetText(text, exact ? &breaks : nullptr);
}

CString CTextBuffer::RecordText(const SUndoRecord& record) const {
    if (!(record.flags & SUndoRecord::Inserted) || record.GetText()[0]) return CString(record.GetText());
    const CPoint start = OffsetToTextPos(record.start), end = OffsetToTextPos(record.end);
    CString text;
    GetTextRange(start.y, start.x, end.y, end.x, text, nullptr);
    return text;
}

BOOL CTextBuffer::CanUndo() const { return undoPosition_ > 0 && !readOnly_; }

BOOL CTextBuffer::CanRedo() const { return undoPosition_ < static_cast<int>(undo_.size()) && !readOnly_; }

BOOL CTextBuffer::Undo(CPoint& cursor) {
    while (undoPosition_ > 0) {
        SUndoRecord& record = undo_[--undoPosition_];
        if (record.flags & SUndoRecord::Inserted) {
            TakeRecordText(record);
            InternalDeleteText(nullptr, record.start, record.end);
            cursor = OffsetToTextPos(record.start);
        } else {
            int end = record.start;
            InternalInsertText(nullptr, record.start, record.GetText(), end, record.GetBreaks());
            cursor = OffsetToTextPos(end);
        }
        if (record.flags & SUndoRecord::GroupStart) break;
    }
    SetModified(undoPosition_ != savedPosition_);
    return TRUE;
}

BOOL CTextBuffer::Redo(CPoint& cursor) {
    const int count = static_cast<int>(undo_.size());
    while (undoPosition_ < count) {
        SUndoRecord& record = undo_[undoPosition_];
        if (record.flags & SUndoRecord::Inserted) {
            int end = record.start;
            InternalInsertText(nullptr, record.start, record.GetText(), end, record.GetBreaks());
            record.FreeText();
            cursor = OffsetToTextPos(end);
        } else {
            InternalDeleteText(nullptr, record.start, record.end);
            cursor = OffsetToTextPos(record.start);
        }
        ++undoPosition_;
        if (undoPosition_ >= count || (undo_[undoPosition_].flags & SUndoRecord::GroupStart)) break;
    }
    SetModified(undoPosition_ != savedPosition_);
    return TRUE;
}

void CTextBuffer::GetUndoDescription(CString& text, int position) const {
    text.Empty();
    int index = (position > 0 ? std::min(position, static_cast<int>(undo_.size())) : undoPosition_) - 1;
    if (index < 0) return;
    while (index > 0 && !(undo_[index].flags & SUndoRecord::GroupStart)) --index;
    if (!GetActionDescription(undo_[index].action, text)) text.Empty();
}

void CTextBuffer::GetRedoDescription(CString& text, int position) const {
    text.Empty();
    const int index = position > 0 ? position : undoPosition_;
    if (index >= static_cast<int>(undo_.size())) return;
    if (!GetActionDescription(undo_[index].action, text)) text.Empty();
}

BOOL CTextBuffer::GetActionDescription(int action, CString& text) const {
    static const UINT ids[] = {IDS_EDITOP_UNKNOWN,   IDS_EDITOP_PASTE,      IDS_EDITOP_DELSELECTION,
                               IDS_EDITOP_CUT,       IDS_EDITOP_TYPING,     IDS_EDITOP_BACKSPACE,
                               IDS_EDITOP_INDENT,    IDS_EDITOP_DRAGDROP,   IDS_EDITOP_REPLACE,
                               IDS_EDITOP_DELETE,    IDS_EDITOP_AUTOINDENT};
    if (action < 0 || action >= static_cast<int>(sizeof(ids) / sizeof(ids[0]))) {
        text.Empty();
        return FALSE;
    }
    return text.LoadString(ids[action]);
}
