#pragma once
// A run host that does nothing: the benches time the cleaners, not a window.
#include "engine/RunHost.h"

namespace sweepora::bench {

class QuietHost final : public RunHost {
public:
    void YieldToQueue() override {}
    void SelectStatusTab() override {}
    void RunStarted() override {}
    void RunFinished(bool) override {}
};

} // namespace sweepora::bench
