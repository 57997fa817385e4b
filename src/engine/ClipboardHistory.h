#pragma once
#include <string>

namespace sweepora {

// What clearing Windows' clipboard history (Windows 10 1809 and later) came to.
struct ClipboardHistoryOutcome {
    bool kept = false;    // this system keeps a clipboard history
    bool cleared = false; // it was cleared (in a test run: would be asked to)
    std::string problem;  // why it was not, when it is kept
};

// Clears the clipboard history through Windows' runtime class, which keeps pinned clips.
// Only a live run clears; a test run only asks whether the history is there. The runtime
// functions are looked up when called, so the program starts on systems without them.
ClipboardHistoryOutcome ClearClipboardHistory(bool live);

} // namespace sweepora
