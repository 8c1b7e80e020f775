// Name matching with '*' (any run, also empty) and '?' (any one character), case-sensitive.
#pragma once

bool WildcardMatch(const char* name, const char* pattern);
