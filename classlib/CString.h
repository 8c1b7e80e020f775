// ANSI string with value semantics, the text type of both programs.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CString {
public:
    CString() {}
    CString(const char* text) : s_(text ? text : "") {}
    CString(const char* text, int count) : s_(text ? std::string(text, count > 0 ? count : 0) : std::string()) {}
    CString(char ch, int repeat = 1) : s_(repeat > 0 ? repeat : 0, ch) {}
    CString(const std::string& text) : s_(text) {}

    CString& operator=(const char* text) { s_ = text ? text : ""; return *this; }
    CString& operator=(char ch) { s_.assign(1, ch); return *this; }
    CString& operator+=(const CString& other) { s_ += other.s_; return *this; }
    CString& operator+=(const char* text) { if (text) s_ += text; return *this; }
    CString& operator+=(char ch) { s_ += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
    friend CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

    // Byte-wise comparisons, so the type can key a map.
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.s_ == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
    friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }
    friend bool operator>(const CString& a, const CString& b) { return b.s_ < a.s_; }

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }
    operator LPCSTR() const { return s_.c_str(); }
    const char* GetString() const { return s_.c_str(); }
    const std::string& str() const { return s_; }

    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...);

    int Find(char ch, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* chars) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* chars);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* chars);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* chars);
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    int Remove(char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    // Writable buffer of at least minLength characters; ReleaseBuffer(-1) takes the text up to
    // its first NUL.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // Loads a string resource of the resource module; false when there is none.
    BOOL LoadString(UINT id);

    // Overwrites the characters with zero bytes and empties the string (for secrets).
    void SecureEmpty();

private:
    std::string s_;
};

class CStringArray {
public:
    int GetSize() const { return static_cast<int>(items_.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return items_.empty(); }
    int Add(const CString& item) { items_.push_back(item); return GetSize() - 1; }
    void RemoveAll() { items_.clear(); }
    void RemoveAt(int index, int count = 1);
    void InsertAt(int index, const CString& item);
    void SetAt(int index, const CString& item) { items_.at(index) = item; }
    const CString& GetAt(int index) const { return items_.at(index); }
    CString& ElementAt(int index) { return items_.at(index); }
    const CString& operator[](int index) const { return items_.at(index); }
    CString& operator[](int index) { return items_.at(index); }
    void Append(const CStringArray& other) { items_.insert(items_.end(), other.items_.begin(), other.items_.end()); }

private:
    std::vector<CString> items_;
};
