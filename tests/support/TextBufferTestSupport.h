// For tests of the text editor: a view that records what its buffer tells it and moves its
// points across each change, and the buffer's lines as strings.
#pragma once
#include "controls/texteditor/TextBuffer.h"
#include <string>
#include <utility>
#include <vector>

namespace testing_support {
struct BufferUpdate {
    DWORD flags;
    int line;
    int start;   // of the context, -1 without one
    int length;
};

class RecordingView : public TextBufferView {
public:
    void UpdateView(TextBufferView*, CUpdateContext* context, DWORD flags, int line) override {
        updates.push_back({flags, line, context ? context->GetStart() : -1, context ? context->GetLength() : 0});
        if (context)
            for (CPoint& p : points) context->RecalcPoint(p);
    }
    void OnTextEdited(int action, const char* text) override { edits.emplace_back(action, text); }

    std::vector<BufferUpdate> updates;
    std::vector<std::pair<int, std::string>> edits;
    std::vector<CPoint> points;
};

inline std::vector<std::string> Lines(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineChars(i), buffer.GetLineLength(i));
    return lines;
}

// The text with a NUL at each paragraph break and nothing at a wrap break: a char offset is an
// index into it.
inline std::string Flat(const CTextBuffer& buffer) {
    std::string flat;
    for (int i = 0; i < buffer.GetLineCount(); ++i) {
        if (i > 0 && buffer.IsParagraphStart(i)) flat += '\0';
        flat.append(buffer.GetLineChars(i), buffer.GetLineLength(i));
    }
    return flat;
}

inline std::string Text(CTextBuffer& buffer) {
    CString text;
    buffer.GetText(text, -1, FALSE);
    return text.str();
}
}  // namespace testing_support
