#include "shell/LoadingWindow.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
}

} // namespace

TEST(LoadingBar, PaintsTwoBlocksATickAndStopsAtItsRightEnd)
{
    LoadingBar bar(50);
    EXPECT_EQ(bar.Tick(), (std::vector<int>{4, 14}));
    EXPECT_EQ(bar.Tick(), (std::vector<int>{24, 34}));
    EXPECT_TRUE(bar.Running()); // 45 is not yet less than 44
    EXPECT_EQ(bar.Tick(), (std::vector<int>{44, 54}));
    EXPECT_FALSE(bar.Running());
    EXPECT_TRUE(bar.Tick().empty());
    EXPECT_EQ(bar.NextPosition(), 64);

    LoadingBar tiny(3); // narrower than its own frame: one tick, then still
    EXPECT_EQ(tiny.Tick().size(), 2u);
    EXPECT_FALSE(tiny.Running());
}

TEST(LoadingWindow, FillsOnItsTimerAndStaysStoppedWhileLoadingGoesOn)
{
    LoadingWindow loading(::GetModuleHandleA(nullptr));
    ASSERT_NE(loading.Handle(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(loading.Handle()));
    EXPECT_EQ(::GetWindowLongA(loading.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    // 300 units fill in 8 ticks of 50 ms; waiting a good deal longer shows that it stops.
    const DWORD start = ::GetTickCount();
    while (loading.Bar().Running() && ::GetTickCount() - start < 5000) PumpFor(20);
    ASSERT_FALSE(loading.Bar().Running());
    const int stoppedAt = loading.Bar().NextPosition();
    EXPECT_EQ(stoppedAt, 304);
    PumpFor(300);
    EXPECT_EQ(loading.Bar().NextPosition(), stoppedAt);
}
