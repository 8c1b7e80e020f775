// The text of a busy service log for benchmarks: `lines` lines from 1 March 2024 on, a few a
// minute from sixty tasks over two months, in the log's own line format, CR LF after each.
#pragma once
#include <cstdio>
#include <string>

namespace testing_support {
inline std::string MakeServiceLog(int lines) {
    static const char* const months[] = {"Mar", "Apr", "May"};
    static const int days[] = {31, 30, 31};
    static const char* const formats[] = {
        "Task%d started.", "Task%d finished successfully.",
        "Unable to finish Task%d [C:\\Sites\\site%d.orv] successfully (exit code %d).",
        "Unknown problem when processing Task%d [Periodical, %d h]"};
    std::string log;
    log.reserve(static_cast<size_t>(lines) * 70);
    char line[256];
    for (int n = 0; n < lines; ++n) {
        const int minute = static_cast<int>(static_cast<long long>(n) * 61 * 24 * 60 / lines);
        int day = minute / (24 * 60), month = 0;
        while (day >= days[month]) day -= days[month++];
        const int task = n * 7 % 60 + 1;
        int length = std::snprintf(line, sizeof(line), "2024 %s %02d, %02d:%02d  ", months[month], day + 1,
                                   minute / 60 % 24, minute % 60);
        length += std::snprintf(line + length, sizeof(line) - length, formats[n % 4], task, task, n % 5 + 1);
        log.append(line, length);
        log += "\r\n";
    }
    return log;
}
}  // namespace testing_support
