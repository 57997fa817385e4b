#pragma once
#include "platform/UniqueHandle.h"

namespace sweepora {

// One program per user session: the first holder of the named mutex runs, any later
// start sees it taken and ends.
constexpr const char* kSingleInstanceMutex = "Local\\Sweepora.SingleInstance";

class SingleInstance {
public:
    SingleInstance();
    // False when another copy already holds the mutex.
    bool First() const { return first_; }

private:
    UniqueKernelHandle mutex_;
    bool first_ = false;
};

} // namespace sweepora
