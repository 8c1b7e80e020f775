#include "classlib/CTime.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) : time_(0) {
    // The C library's range: a year before 1970 or past 3000 cannot be a 64-bit local time here.
    if (year < 1900 || year > 3000) return;
    // Fields far out of range would overflow the C library's own normalising arithmetic; a few
    // years' worth of days, hours or seconds past the calendar's limits still normalise.
    const int kFieldLimit = 20000;
    for (int field : {month, day, hour, minute, second})
        if (field < -kFieldLimit || field > kFieldLimit) return;
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

namespace {
// The last second the C library converts (end of the year 3000); outside 0 to this, some runtimes
// call the invalid-parameter handler, which ends the process, instead of returning an error.
const __time64_t kLastConvertible = 32535215999LL;

bool ToLocal(__time64_t t, struct tm* out) {
    if (t < 0 || t > kLastConvertible) return false;
    return _localtime64_s(out, &t) == 0;
}
}  // namespace

bool CTime::GetLocalTm(struct tm* out) const { return out && ToLocal(time_, out); }

namespace {
struct tm Local(__time64_t t) {
    struct tm r = {};
    if (!ToLocal(t, &r)) {
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
