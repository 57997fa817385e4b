#include "platform/WritePoints.h"

#include <atomic>

namespace sweepora {

namespace {
std::atomic<WritePointHook> g_hook{nullptr};
}

void SetWritePointHook(WritePointHook hook) { g_hook.store(hook); }

void PassWritePoint(const char* step)
{
    if (const WritePointHook hook = g_hook.load()) hook(step);
}

} // namespace sweepora
