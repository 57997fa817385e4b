#include "engine/LogReport.h"

#include "engine/SystemInfo.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/WideText.h"
#include "settings/AppSettings.h"

namespace sweepora {

std::string FormatLogReport(const std::vector<LogLine>& lines, const ReportHeader& header,
                            const std::function<void()>& yield)
{
    const char* eol = "\r\n";
    std::string text;
    text += std::string(kAppTitle) + " log Report" + eol;
    text += " Log generated at " + LongDateText(header.generatedAt) + "  " + LongTimeText(header.generatedAt) + eol;
    text += eol;
    text += std::string("System Information :-") + eol;
    text += "Operating Sustem : " + header.osName + eol;
    text += "Current User : " + header.userName + eol;
    text += std::string(55, '-') + eol;
    for (const LogLine& line : lines) {
        text += TrimBlanks(line.task) + ", " + TrimBlanks(line.status) + eol;
        if (yield) yield();
    }
    return text;
}

bool WriteLogReport(const std::string& path, const std::vector<LogLine>& lines, const ReportHeader& header,
                    const std::function<void()>& yield)
{
    const std::string text = FormatLogReport(lines, header, yield);
    // The code page as always when every name fits it; otherwise UTF-8 with the mark
    // that tells Notepad so, rather than question marks in place of names.
    bool fits = true;
    const std::string ansi = AnsiFromUtf8(text, &fits);
    return WriteFileAtomically(path, fits ? ansi : "\xEF\xBB\xBF" + text);
}

ReportHeader CurrentReportHeader()
{
    ReportHeader header{Utf8FromAnsi(GetOSName()), GetNetUserName(), {}};
    ::GetLocalTime(&header.generatedAt);
    return header;
}

} // namespace sweepora
