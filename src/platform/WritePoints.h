#pragma once
// The points between the durable steps of an edit that must survive a crash: before and
// after a file is written, flushed or renamed. Tests stop the process at each in turn to
// see every store left whole; the program itself installs no hook.
namespace sweepora {

using WritePointHook = void (*)(const char* step);

void SetWritePointHook(WritePointHook hook);
void PassWritePoint(const char* step);

} // namespace sweepora
