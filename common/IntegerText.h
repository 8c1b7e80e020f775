// Whole numbers read from text the way the C library's atoi and the platform's profile functions
// read them, except that a number beyond an int's range gives the nearest int instead of
// wrapping: a typed or hand-written 4294967298 must not come back as 2.
#pragma once

// atoi's reading: leading white space, an optional sign, then decimal digits up to the first
// other character; no digits give 0.
int ParseLeadingInt(const char* text);

// GetPrivateProfileIntA's reading of a value: leading blanks and control characters skipped, an
// optional sign, then "0x", "0o" or "0b" for a number in base 16, 8 or 2 (otherwise decimal), and
// the digits of that base up to the first other character; no digits give 0.
int ParseProfileInt(const char* text);
