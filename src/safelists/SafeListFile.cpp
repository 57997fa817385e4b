#include "safelists/SafeListFile.h"

#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace sweepora {

void SaveListToFile(const ListModel& list, const std::string& path)
{
    std::string contents;
    for (const std::string& entry : list.Items()) {
        contents += entry;
        contents += "\r\n";
    }
    WriteWholeFile(path, contents);
}

void LoadListFromFile(ListModel& list, const std::string& path, const YieldFn& yield)
{
    list.Clear();
    if (!FileExists(path)) return;
    std::string contents;
    if (!ReadWholeFile(path, contents)) return;
    // A line ends at CR LF, or at a lone CR or LF, as files edited by hand may have them.
    std::size_t pos = 0;
    while (pos < contents.size()) {
        const std::size_t end = contents.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            list.Add(contents.substr(pos));
            if (yield) yield();
            break;
        }
        list.Add(contents.substr(pos, end - pos));
        if (yield) yield();
        pos = end + 1;
        if (contents[end] == '\r' && pos < contents.size() && contents[pos] == '\n') ++pos;
    }
}

} // namespace sweepora
