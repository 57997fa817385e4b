#include "support/WindowTesting.h"

#include <gtest/gtest.h>

using namespace sweepora;
using namespace sweepora::test;

namespace {

bool On(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

} // namespace

TEST(XpRadioButton, EachArrayIsAGroupOfItsOwn)
{
    Host host;
    // Two arrays on one window, as the security levels and the schedules are.
    HWND low = host.Add("Low", 1, 5, nullptr, kXpRadioButtonClass, WS_GROUP);
    HWND high = host.Add("High", 2, 20, nullptr, kXpRadioButtonClass);
    HWND daily = host.Add("Daily", 3, 20, nullptr, kXpRadioButtonClass, WS_GROUP);
    HWND weekly = host.Add("Weekly", 4, 20, nullptr, kXpRadioButtonClass);
    RECT r;
    ::GetClientRect(low, &r);
    EXPECT_EQ(r.bottom, 5); // no minimum height

    Click(high);
    Click(daily);
    EXPECT_TRUE(On(high) && On(daily));
    EXPECT_FALSE(On(low) || On(weekly));
    Click(weekly);
    EXPECT_TRUE(On(high) && On(weekly) && !On(daily));
    Click(weekly); // on stays on
    EXPECT_TRUE(On(weekly));
    EXPECT_EQ(Cell(weekly), 4);
    EXPECT_EQ(Cell(low), 0);

    // By program, only the one button changes, and nothing is told.
    const std::size_t told = host.notes.size();
    ::SendMessageA(low, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(On(low) && On(high));
    EXPECT_EQ(host.notes.size(), told);
    Click(low);
    EXPECT_TRUE(On(low) && !On(high) && On(weekly));
    EXPECT_EQ(host.notes.back(), std::make_pair(1, static_cast<int>(BN_CLICKED)));

    ::SendMessageA(high, WM_MOUSEMOVE, 0, kInside);
    EXPECT_EQ(Cell(high), 1);
    ::EnableWindow(low, FALSE);
    EXPECT_EQ(Cell(low), 7);
}
