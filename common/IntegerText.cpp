#include "common/IntegerText.h"
#include <climits>

namespace {
int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

// An optional sign, then (with `basePrefixes`) "0b", "0o" or "0x", then the digits of the base.
int ParseSignedDigits(const char* p, bool basePrefixes) {
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int base = 10;
    if (basePrefixes && p[0] == '0') {
        base = p[1] == 'b' ? 2 : p[1] == 'o' ? 8 : p[1] == 'x' ? 16 : 10;
        if (base != 10) p += 2;
    }
    long long value = 0;  // grows no further once beyond every int, so it never overflows
    for (int digit; (digit = DigitValue(*p)) >= 0 && digit < base; ++p) {
        if (value <= INT_MAX) value = value * base + digit;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
}  // namespace

int ParseLeadingInt(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    return ParseSignedDigits(p, false);
}

int ParseProfileInt(const char* text) {
    const char* p = text;
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    return ParseSignedDigits(p, true);
}
