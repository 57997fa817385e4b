#pragma once
#include "erasure/EraseContext.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace sweepora {

// What emptying the Recycle Bin did, as the shell counts its items before and after.
struct RecycleBinOutcome {
    bool counted = false;      // the shell could count the items (before and after)
    std::int64_t before = 0;   // items in the bin before
    std::int64_t after = 0;    // items still there after (a test run: as before)
    std::int64_t bytes = 0;    // their size before
    HRESULT result = S_OK;     // the shell's answer to the emptying (S_OK in a test run)
};

// Empties the Recycle Bin of `root` ("D:\"), or of every drive for an empty root, with the
// SHERB_ `flags`. Nothing is asked of the shell when the bin is known to be empty, and a
// test run only counts.
RecycleBinOutcome EraseRecycleBin(const EraseContext& context, const std::string& root, DWORD flags);

} // namespace sweepora
