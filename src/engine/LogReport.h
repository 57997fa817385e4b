#pragma once
#include "engine/ActivityLog.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

struct ReportHeader {
    std::string osName;
    std::string userName;
    SYSTEMTIME generatedAt;
};

// The report text (UTF-8, as the log holds it): eight header lines, then "task, status" (both trimmed) per log line,
// CR LF after each. `yield` runs after each log line.
std::string FormatLogReport(const std::vector<LogLine>& lines, const ReportHeader& header,
                            const std::function<void()>& yield);

// Writes the report to `path` (UTF-8), replacing any file there in one move (a reader sees
// the old report or the new one): in the ANSI code page when every line fits it, otherwise
// as UTF-8 with a byte-order mark. False when it could not be written; the old file stays.
bool WriteLogReport(const std::string& path, const std::vector<LogLine>& lines, const ReportHeader& header,
                    const std::function<void()>& yield);

// A header for now, with this machine's system and user names.
ReportHeader CurrentReportHeader();

} // namespace sweepora
