#pragma once
// The program's own output files (reports, the theme manifest), replaced whole so that a reader copying one
// at any moment gets the old document or the new one, never a mix or a cut.
#include <string>

namespace sweepora {

// Writes `bytes` to a new file beside `path` (same folder, so same volume), flushes it,
// then moves it over `path` with MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH). A reader
// holding `path` open delays the move briefly; it is retried for a short while.
// False when it could not be done: `path` is then as it was and the temporary file is gone.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

} // namespace sweepora
