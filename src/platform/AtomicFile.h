#pragma once
// The program's own files (reports, the theme manifest, the safe lists), replaced whole so that
// a reader copying one at any moment gets the old document or the new one, never a mix or a cut.
#include <windows.h>

#include <functional>
#include <string>

namespace sweepora {

// Writes all of the bytes to the open temporary file: ERROR_SUCCESS or the system's error.
// Tests put a disk that fills up part way here.
using AtomicWriteStep = std::function<DWORD(HANDLE file, const std::string& bytes)>;

// Writes `bytes` to a new file beside `path` (same folder, so same volume), flushes it,
// then moves it over `path` with MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH). A reader
// holding `path` open delays the move briefly; it is retried for a short while.
// False when it could not be done: `path` is then as it was and the temporary file is gone.
// Without a step, WriteOpenFile writes.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, const AtomicWriteStep& write = {});

} // namespace sweepora
