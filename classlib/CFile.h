// Binary and text files over Win32 handles, with the platform's file exception.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"

// A file operation failed: carries the OS error and the file name.
class CFileException {
public:
    CFileException(DWORD osError, const CString& fileName) : m_lOsError(osError), m_strFileName(fileName) {}
    // The system's text for the error, naming the file.
    BOOL GetErrorMessage(char* buffer, UINT maxChars, UINT* helpContext = nullptr) const;
    CString GetErrorMessage() const;

    DWORD m_lOsError;
    CString m_strFileName;
};

class CFile {
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() {}
    CFile(const char* fileName, UINT openFlags);  // throws CFileException
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False (and the error in `error` when given) instead of throwing.
    virtual BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    virtual void Close();
    virtual void Abort();  // closes without throwing
    bool IsOpen() const { return handle_.IsValid(); }
    HANDLE GetHandle() const { return handle_.Get(); }
    const CString& GetFilePath() const { return path_; }

    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();

    static void Remove(const char* fileName);  // throws CFileException

protected:
    [[noreturn]] void ThrowLastError() const;
    ScopedHandle handle_;
    CString path_;
};

// Text file: ReadString reads one line of any length without its line end; WriteString turns
// each LF into CR LF.
class CStdioFile : public CFile {
public:
    CStdioFile() {}
    CStdioFile(const char* fileName, UINT openFlags) : CFile(fileName, openFlags) {}
    BOOL ReadString(CString& line);
    void WriteString(const char* text);
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    void Close() override;

private:
    int ReadByte();
    std::string pending_;  // bytes read ahead of the caller
    size_t pendingPos_ = 0;
};

// Lists the entries of a folder matching a pattern.
class CFileFind {
public:
    CFileFind() : more_(false), have_(false) {}
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    BOOL FindFile(const char* pattern = nullptr);
    BOOL FindNextFile();  // false when the entry it moved to is the last one
    void Close();

    CString GetFileName() const;
    CString GetFilePath() const;
    BOOL IsDirectory() const;
    BOOL IsDots() const;
    ULONGLONG GetLength() const;

private:
    ScopedFindHandle find_;
    WIN32_FIND_DATAA next_;
    WIN32_FIND_DATAA current_;
    bool more_;
    bool have_;
    CString root_;
};
