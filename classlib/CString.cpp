#include "classlib/CString.h"
#include "classlib/CWinApp.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mbstring.h>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
}

int CString::Compare(const char* text) const {
    int r = std::strcmp(s_.c_str(), text ? text : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* text) const {
    int r = _mbsicmp(reinterpret_cast<const unsigned char*>(s_.c_str()),
                     reinterpret_cast<const unsigned char*>(text ? text : ""));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

char CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength()) return '\0';
    return s_[index];
}

void CString::SetAt(int index, char ch) {
    if (index >= 0 && index < GetLength()) s_[index] = ch;
}

void CString::FormatV(const char* format, va_list args) {
    if (!format) { s_.clear(); return; }
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) { s_.clear(); return; }
    std::vector<char> buf(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, args);
    s_.assign(buf.data(), static_cast<size_t>(needed));
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    CString tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    s_ += tail.s_;
}

int CString::Find(char ch, int start) const {
    if (start < 0) start = 0;
    if (start >= GetLength()) return -1;
    size_t p = s_.find(ch, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* text, int start) const {
    if (!text) return -1;
    if (start < 0) start = 0;
    if (start > GetLength()) return -1;
    size_t p = s_.find(text, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char ch) const {
    size_t p = s_.rfind(ch);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char* chars) const {
    if (!chars) return -1;
    size_t p = s_.find_first_of(chars);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(s_.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    if (first >= GetLength()) return CString();
    if (count > GetLength() - first) count = GetLength() - first;
    return CString(s_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(s_.substr(s_.size() - static_cast<size_t>(count)));
}

CString& CString::MakeUpper() {
    if (!s_.empty()) {
        std::vector<unsigned char> buf(s_.begin(), s_.end());
        buf.push_back(0);
        _mbsupr(buf.data());
        s_.assign(reinterpret_cast<char*>(buf.data()), s_.size());
    }
    return *this;
}

CString& CString::MakeLower() {
    if (!s_.empty()) {
        std::vector<unsigned char> buf(s_.begin(), s_.end());
        buf.push_back(0);
        _mbslwr(buf.data());
        s_.assign(reinterpret_cast<char*>(buf.data()), s_.size());
    }
    return *this;
}

CString& CString::MakeReverse() {
    s_.assign(s_.rbegin(), s_.rend());
    return *this;
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < s_.size() && IsBlank(s_[i])) ++i;
    s_.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = s_.size();
    while (n > 0 && IsBlank(s_[n - 1])) --n;
    s_.erase(n);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft(char ch) {
    size_t i = 0;
    while (i < s_.size() && s_[i] == ch) ++i;
    s_.erase(0, i);
    return *this;
}

CString& CString::TrimRight(char ch) {
    size_t n = s_.size();
    while (n > 0 && s_[n - 1] == ch) --n;
    s_.erase(n);
    return *this;
}

CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }

CString& CString::TrimLeft(const char* chars) {
    if (!chars) return *this;
    size_t i = s_.find_first_not_of(chars);
    s_.erase(0, i == std::string::npos ? s_.size() : i);
    return *this;
}

CString& CString::TrimRight(const char* chars) {
    if (!chars) return *this;
    size_t i = s_.find_last_not_of(chars);
    s_.erase(i == std::string::npos ? 0 : i + 1);
    return *this;
}

CString& CString::Trim(const char* chars) { return TrimRight(chars).TrimLeft(chars); }

int CString::Replace(char from, char to) {
    int n = 0;
    for (char& c : s_) {
        if (c == from) { c = to; ++n; }
    }
    return n;
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) return 0;
    std::string f(from), t(to ? to : "");
    int n = 0;
    size_t p = 0;
    std::string out;
    for (;;) {
        size_t q = s_.find(f, p);
        if (q == std::string::npos) break;
        out.append(s_, p, q - p);
        out += t;
        p = q + f.size();
        ++n;
    }
    if (n) {
        out.append(s_, p, std::string::npos);
        s_.swap(out);
    }
    return n;
}

int CString::Remove(char ch) {
    size_t before = s_.size();
    std::string out;
    for (char c : s_)
        if (c != ch) out += c;
    s_.swap(out);
    return static_cast<int>(before - s_.size());
}

int CString::Insert(int index, const char* text) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    if (text) s_.insert(static_cast<size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) s_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) s_.resize(static_cast<size_t>(minLength), '\0');
    return &s_[0];
}

char* CString::GetBufferSetLength(int length) {
    s_.resize(static_cast<size_t>(length > 0 ? length : 0), '\0');
    return &s_[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        s_.resize(std::strlen(s_.c_str()));
    } else if (static_cast<size_t>(newLength) <= s_.size()) {
        s_.resize(static_cast<size_t>(newLength));
    }
}

BOOL CString::LoadString(UINT id) {
    // String resources are stored in blocks of 16 counted UTF-16 strings.
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA((id >> 4) + 1), MAKEINTRESOURCEA(6));
    if (!res) { Empty(); return FALSE; }
    HGLOBAL data = LoadResource(module, res);
    const WCHAR* p = data ? static_cast<const WCHAR*>(LockResource(data)) : nullptr;
    if (!p) { Empty(); return FALSE; }
    for (UINT i = 0; i < (id & 15); ++i) p += 1 + *p;
    int len = *p;
    if (len == 0) { Empty(); return FALSE; }
    int bytes = WideCharToMultiByte(CP_ACP, 0, p + 1, len, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, p + 1, len, &out[0], bytes, nullptr, nullptr);
    s_.swap(out);
    return TRUE;
}

void CString::SecureEmpty() {
    volatile char* p = s_.empty() ? nullptr : &s_[0];
    for (size_t i = 0; i < s_.size(); ++i) p[i] = 0;
    s_.clear();
    s_.shrink_to_fit();
}

void CStringArray::RemoveAt(int index, int count) {
    if (index < 0 || count <= 0 || index >= GetSize()) return;
    int last = index + count > GetSize() ? GetSize() : index + count;
    items_.erase(items_.begin() + index, items_.begin() + last);
}

void CStringArray::InsertAt(int index, const CString& item) {
    if (index < 0) index = 0;
    if (index > GetSize()) index = GetSize();
    items_.insert(items_.begin() + index, item);
}
