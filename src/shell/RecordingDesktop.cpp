#include "shell/RecordingDesktop.h"

#include <fstream>

namespace sweepora {

void RecordingDesktop::MinimizeAllWindows(int flag)
{
    Record("MinimizeAllWindows " + std::to_string(flag));
    real_.MinimizeAllWindows(flag);
}

void RecordingDesktop::ExitWindowsSession(UINT flags) { Record("ExitWindowsSession " + std::to_string(flags)); }

void RecordingDesktop::Record(const std::string& line) const
{
    std::ofstream out(file_, std::ios::app | std::ios::binary);
    out << line << "\r\n";
}

} // namespace sweepora
