// The message box of a command that failed, shown by the command's handler while it handles the
// exception: the one place that tells an Exception from any other kind.
#pragma once

// From inside a catch block only (the exception is thrown again to tell its kind): an
// Exception's full text put into the format's "%s", anything else as the fixed text.
void ShowCaughtFailure(const char* format, const char* unknown);
