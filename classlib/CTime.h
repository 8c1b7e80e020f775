// Points in time (64-bit seconds since 1970, local calendar fields) and spans between them.
#pragma once
#include "classlib/CString.h"
#include <ctime>

class CTimeSpan {
public:
    CTimeSpan() : span_(0) {}
    CTimeSpan(__time64_t seconds) : span_(seconds) {}
    CTimeSpan(LONG days, int hours, int minutes, int seconds)
        : span_(static_cast<__time64_t>(days) * 86400 + static_cast<__time64_t>(hours) * 3600 +
                static_cast<__time64_t>(minutes) * 60 + seconds) {}

    __time64_t GetTimeSpan() const { return span_; }
    LONGLONG GetDays() const { return span_ / 86400; }
    LONGLONG GetTotalHours() const { return span_ / 3600; }
    LONGLONG GetTotalMinutes() const { return span_ / 60; }
    LONGLONG GetTotalSeconds() const { return span_; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONG GetSeconds() const { return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60); }

    CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(span_ + o.span_); }
    CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(span_ - o.span_); }
    CTimeSpan& operator+=(CTimeSpan o) { span_ += o.span_; return *this; }
    CTimeSpan& operator-=(CTimeSpan o) { span_ -= o.span_; return *this; }
    bool operator==(CTimeSpan o) const { return span_ == o.span_; }
    bool operator!=(CTimeSpan o) const { return span_ != o.span_; }
    bool operator<(CTimeSpan o) const { return span_ < o.span_; }
    bool operator>(CTimeSpan o) const { return span_ > o.span_; }
    bool operator<=(CTimeSpan o) const { return span_ <= o.span_; }
    bool operator>=(CTimeSpan o) const { return span_ >= o.span_; }

private:
    __time64_t span_;
};

class CTime {
public:
    CTime() : time_(0) {}
    CTime(__time64_t time) : time_(time) {}
    // Local calendar time; a time the local calendar cannot represent gives the zero time.
    // dst: -1 lets the system decide, 0 standard time, 1 daylight saving time.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

    static CTime GetCurrentTime();

    __time64_t GetTime() const { return time_; }
    // Local calendar fields; false for a time the C library cannot convert.
    bool GetLocalTm(struct tm* out) const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    CString Format(const char* format) const;

    CTime operator+(CTimeSpan s) const { return CTime(time_ + s.GetTimeSpan()); }
    CTime operator-(CTimeSpan s) const { return CTime(time_ - s.GetTimeSpan()); }
    CTimeSpan operator-(CTime o) const { return CTimeSpan(time_ - o.time_); }
    CTime& operator+=(CTimeSpan s) { time_ += s.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan s) { time_ -= s.GetTimeSpan(); return *this; }
    bool operator==(CTime o) const { return time_ == o.time_; }
    bool operator!=(CTime o) const { return time_ != o.time_; }
    bool operator<(CTime o) const { return time_ < o.time_; }
    bool operator>(CTime o) const { return time_ > o.time_; }
    bool operator<=(CTime o) const { return time_ <= o.time_; }
    bool operator>=(CTime o) const { return time_ >= o.time_; }

private:
    __time64_t time_;
};
