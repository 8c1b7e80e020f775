// Filling the text buffer from a string or a file, and saving it to a file.
#include "controls/texteditor/TextBuffer.h"
#include "classlib/HandleOwner.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {
bool ValidStyle(int style) { return style >= CTextBuffer::StyleDos && style <= CTextBuffer::StyleMac; }

// The style of the first line end: a CR before the first LF is DOS, one after it UNIX, else MAC;
// no LF at all is DOS. -1 while the text seen so far cannot tell.
int DetectLineEndStyle(const char* text, size_t length, bool complete) {
    const char* lf = static_cast<const char*>(std::memchr(text, '\n', length));
    if (!lf) return complete ? CTextBuffer::StyleDos : -1;
    if (lf > text && lf[-1] == '\r') return CTextBuffer::StyleDos;
    if (lf + 1 < text + length) return lf[1] == '\r' ? CTextBuffer::StyleUnix : CTextBuffer::StyleMac;
    return complete ? CTextBuffer::StyleMac : -1;
}
}  // namespace

// Cuts a stream of characters into lines at the style's separator. A character that breaks a
// partial match stays in the line and begins no match itself, so with CR LF the three characters
// CR, CR, LF are no line end.
class LineSplitter {
public:
    explicit LineSplitter(int style)
        : separator_(CTextBuffer::GetLineEndSeparator(style)), separatorLength_(std::strlen(separator_)) {}
    ~LineSplitter() {
        for (SLineInfo& line : lines_) delete[] line.text;
    }
    LineSplitter(const LineSplitter&) = delete;
    LineSplitter& operator=(const LineSplitter&) = delete;

    void Reserve(size_t lines) { lines_.reserve((lines + 4095) / 4096 * 4096); }

    void Feed(const char* p, size_t length) {
        const char* const end = p + length;
        while (p < end) {
            if (matched_ == 0) {
                const char* next = static_cast<const char*>(std::memchr(p, separator_[0], end - p));
                if (!next) {
                    line_.append(p, end - p);
                    return;
                }
                line_.append(p, next - p);
                p = next + 1;
                matched_ = 1;
            } else if (*p == separator_[matched_]) {
                ++p;
                ++matched_;
            } else {
                line_.append(separator_, matched_);
                line_ += *p++;
                matched_ = 0;
                continue;
            }
            if (matched_ == separatorLength_) {
                EndLine();
                matched_ = 0;
            }
        }
    }

    // The rest is the last line, also when it is empty.
    void Finish() {
        line_.append(separator_, matched_);
        matched_ = 0;
        EndLine();
    }

    std::vector<SLineInfo>& Lines() { return lines_; }

private:
    void EndLine() {
        if (lines_.size() == lines_.capacity()) Reserve(lines_.size() + lines_.size() / 2 + 1);
        lines_.push_back(CTextBuffer::NewLine(line_.data(), static_cast<int>(line_.size()), 0, TRUE));
        line_.clear();
    }

    const char* separator_;
    size_t separatorLength_;
    size_t matched_ = 0;
    std::string line_;
    std::vector<SLineInfo> lines_;
};

BOOL CTextBuffer::LoadFromString(const char* text, int style) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    if (!ValidStyle(style)) style = DetectLineEndStyle(text, length, true);
    LineSplitter splitter(style);
    splitter.Reserve(std::count(text, text + length, GetLineEndSeparator(style)[0]) + 1);
    splitter.Feed(text, length);
    splitter.Finish();
    ReleaseAll();
    lines_.swap(splitter.Lines());
    ResetAfterLoad(style, FALSE);
    UpdateViews(nullptr, nullptr, UpdateReset, -1);
    return TRUE;
}

BOOL CTextBuffer::LoadFromFile(const char* path, int style) {
    const DWORD attributes = path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return FALSE;

    // The style is known once the first line end is seen whole; until then the text waits.
    const bool detect = !ValidStyle(style);
    std::string pending;
    std::vector<char> chunk(32768);
    std::unique_ptr<LineSplitter> splitter;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) return FALSE;
        const bool last = read == 0;
        if (!splitter) {
            pending.append(chunk.data(), read);
            const int found = detect ? DetectLineEndStyle(pending.data(), pending.size(), last) : style;
            if (found < 0) continue;
            style = found;
            splitter.reset(new LineSplitter(style));
            splitter->Feed(pending.data(), pending.size());
            std::string().swap(pending);
        } else {
            splitter->Feed(chunk.data(), read);
        }
        if (last) break;
    }
    splitter->Finish();
    ReleaseAll();
    lines_.swap(splitter->Lines());
    ResetAfterLoad(style, (attributes & FILE_ATTRIBUTE_READONLY) ? TRUE : FALSE);
    UpdateViews(nullptr, nullptr, UpdateReset, -1);
    return TRUE;
}

namespace {
// Collects the text in large pieces so the file sees few writes; every write must be whole.
class FileWriter {
public:
    explicit FileWriter(HANDLE file) : file_(file) { buffer_.reserve(kChunk); }
    void Write(const char* p, size_t length) {
        if (buffer_.size() + length > kChunk) Flush();
        if (length > kChunk)
            WriteWhole(p, length);
        else
            buffer_.append(p, length);
    }
    bool Flush() {
        WriteWhole(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok_;
    }

private:
    static const size_t kChunk = 65536;
    void WriteWhole(const char* p, size_t length) {
        DWORD written = 0;
        if (ok_ && length > 0 &&
            (!WriteFile(file_, p, static_cast<DWORD>(length), &written, nullptr) || written != length))
            ok_ = false;
    }
    HANDLE file_;
    std::string buffer_;
    bool ok_ = true;
};
}  // namespace

BOOL CTextBuffer::SaveToFile(const char* path, int style, BOOL markSaved) {
    if (!path || !*path) return FALSE;
    const char* separator = GetLineEndSeparator(ValidStyle(style) ? style : style_);
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash + 1);
    char temp[MAX_PATH] = "";
    if (!GetTempFileNameA(folder.c_str(), "CRE", 0, temp)) return FALSE;

    bool written;
    {
        ScopedHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        FileWriter writer(file.Get());
        for (size_t i = 0; file && i < lines_.size(); ++i) {
            if (i > 0 && lines_[i].paragraphStart) writer.Write(separator, std::strlen(separator));
            writer.Write(lines_[i].text, lines_[i].length);
        }
        written = file && writer.Flush();
    }
    const std::string backup = std::string(path) + ".bak";
    const bool target = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (!written || (createBackupFile_ && target && !CopyFileA(path, backup.c_str(), FALSE))) {
        DeleteFileA(temp);
        return FALSE;
    }
    // One step, so the target is never missing; when it fails the new text stays in the
    // temporary file beside the untouched original.
    if (!MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return FALSE;
    if (markSaved) {
        SetModified(FALSE);
        savedPosition_ = undoPosition_;
    }
    return TRUE;
}
