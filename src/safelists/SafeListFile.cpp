#include "safelists/SafeListFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace sweepora {

bool SaveListToFile(const ListModel& list, const std::string& path, const AtomicWriteStep& write)
{
    std::string contents;
    for (const std::string& entry : list.Items()) {
        contents += entry;
        contents += "\r\n";
    }
    return WriteFileAtomically(path, contents, write);
}

bool LoadListFromFile(ListModel& list, const std::string& path, const YieldFn& yield)
{
    std::string contents;
    if (!ReadWholeFile(path, contents)) {
        if (FileExists(path)) return false;
        list.Clear();
        return true;
    }
    list.Clear();
    // A line ends at CR LF, or at a lone CR or LF, as files edited by hand may have them.
    std::size_t pos = 0;
    while (pos < contents.size()) {
        const std::size_t end = contents.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            list.Add(contents.substr(pos));
            if (yield) yield();
            return true;
        }
        list.Add(contents.substr(pos, end - pos));
        if (yield) yield();
        pos = end + 1;
        if (contents[end] == '\r' && pos < contents.size() && contents[pos] == '\n') ++pos;
    }
    return true;
}

} // namespace sweepora
