#include "classlib/CTime.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) : time_(0) {
    // The C library's range: a year before 1970 or past 3000 cannot be a 64-bit local time here.
    if (year < 1900 || year > 3000) return;
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst;
    __time64_t r = _mktime64(&t);
    if (r != static_cast<__time64_t>(-1)) time_ = r;
}

CTime CTime::GetCurrentTime() { return CTime(_time64(nullptr)); }

bool CTime::GetLocalTm(struct tm* out) const {
    __time64_t t = time_;
    return _localtime64_s(out, &t) == 0;
}

namespace {
struct tm Local(__time64_t t) {
    struct tm r = {};
    if (_localtime64_s(&r, &t) != 0) {
        r = tm();
        r.tm_mday = 1;
        r.tm_year = 70;
    }
    return r;
}
}  // namespace

int CTime::GetYear() const { return Local(time_).tm_year + 1900; }
int CTime::GetMonth() const { return Local(time_).tm_mon + 1; }
int CTime::GetDay() const { return Local(time_).tm_mday; }
int CTime::GetHour() const { return Local(time_).tm_hour; }
int CTime::GetMinute() const { return Local(time_).tm_min; }
int CTime::GetSecond() const { return Local(time_).tm_sec; }
int CTime::GetDayOfWeek() const { return Local(time_).tm_wday + 1; }

CString CTime::Format(const char* format) const {
    if (!format || !*format) return CString();
    struct tm t;
    if (!GetLocalTm(&t)) return CString();
    // strftime leaves an undefined buffer when the text does not fit: grow until it does.
    for (size_t size = 128; size <= 65536; size *= 4) {
        std::string buf(size, '\0');
        size_t n = strftime(&buf[0], size, format, &t);
        if (n > 0) return CString(buf.c_str(), static_cast<int>(n));
    }
    return CString();
}
