#include "shell/SingleInstance.h"

namespace sweepora {

SingleInstance::SingleInstance() : mutex_(::CreateMutexA(nullptr, TRUE, kSingleInstanceMutex))
{
    // Without a mutex at all there is nothing to compare with: run rather than refuse.
    first_ = !mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

} // namespace sweepora
