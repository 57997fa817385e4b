#include "platform/UniqueHandle.h"
#include "settings/AppSettings.h"
#include "shell/AboutWindow.h"
#include "shell/LoadingWindow.h"
#include "shell/MessageBoxWindow.h"
#include "shell/SystemInfoTool.h"
#include "shell/WebPages.h"

#include "support/TestSupport.h"
#include "support/WindowTesting.h"

using namespace sweepora;
using test::Click;
using test::ItemText;

namespace {

// The program ends under the box: its main window is gone and the quit is posted.
void CALLBACK QuitUnderTheBox(HWND owner, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(owner, id);
    ::PostQuitMessage(3);
}

} // namespace

TEST(LoadingWindow, FillsUntilItsRightEndAndStops)
{
    LoadingWindow loading(::GetModuleHandleA(nullptr));
    EXPECT_TRUE(::IsWindowVisible(loading.Handle()));
    EXPECT_EQ(::GetWindowLongA(loading.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    for (DWORD start = ::GetTickCount(); loading.Bar().Running() && ::GetTickCount() - start < 5000;) test::Pump(20);
    test::Pump(300); // the timer is off: nothing more is painted
    EXPECT_EQ(loading.Bar().NextPosition(), 304);
}

TEST(MessageBoxWindow, TheBoxSavesAtOnceAndOkClosesTheModalBox)
{
    test::ScratchKey key{"Software\\SweeporaTests\\MessBox"};
    RegistrySettingsStore store{"Software\\SweeporaTests\\MessBox"};
    MessageBoxWindow box(store, "HotKey Information", "Press CTRL+ALT+U to unhide.");
    ASSERT_TRUE(box.Create(nullptr));
    EXPECT_EQ(ItemText(box.Handle(), MessageBoxWindow::kMessageId), "Press CTRL+ALT+U to unhide.");
    HWND dontShow = ::GetDlgItem(box.Handle(), MessageBoxWindow::kDontShowId);
    Click(dontShow);
    EXPECT_EQ(store.Get(kSectionStartup, "DonotShowMessBox", ""), "1");
    Click(dontShow); // ticked and unticked again before OK
    EXPECT_EQ(store.Get(kSectionStartup, "DonotShowMessBox", ""), "0");
    Click(::GetDlgItem(box.Handle(), IDOK));
    EXPECT_EQ(box.Handle(), nullptr);

    // Modal over its owner is the tray tests' case. A quit ends the box's loop and is left for
    // the program's own, which would wait forever otherwise.
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    ::SetTimer(owner, 2, 50, QuitUnderTheBox);
    box.ShowModal(owner);
    MSG quit = {};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    box.Close();
    ::DestroyWindow(owner);
}

TEST(AboutWindow, ShowsTheVersionAndReachesOutOnlyThroughTheDesktop)
{
    test::FakeDesktop desktop;
    test::ScratchKey scratch{"Software\\SweeporaTests\\About"}; // no system-information tool here
    UniqueKey root;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SweeporaTests\\About", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      root.put(), nullptr);
    AboutWindow about(desktop, root.get());
    ASSERT_TRUE(about.Create(nullptr));
    HWND w = about.Handle();
    EXPECT_EQ(ItemText(w, AboutWindow::kVersionId), "Version 2.0.0");
    const LRESULT icon = ::SendMessageA(w, WM_GETICON, ICON_BIG, 0);
    EXPECT_TRUE(icon != 0 && ::SendDlgItemMessageA(w, AboutWindow::kIconId, STM_GETICON, 0, 0) == icon);

    Click(::GetDlgItem(w, AboutWindow::kSysInfoId));
    Click(::GetDlgItem(w, AboutWindow::kSupportId));
    ASSERT_TRUE(desktop.asked.size() == 1 && desktop.launched.size() == 1);
    EXPECT_EQ(desktop.asked[0].prompt, kSysInfoUnavailable);
    EXPECT_EQ(desktop.launched[0].file + "|" + std::to_string(desktop.launched[0].showCommand),
              std::string(kSupportPage) + "|" + std::to_string(SW_SHOWMAXIMIZED));
    Click(::GetDlgItem(w, AboutWindow::kOkId));
    EXPECT_FALSE(::IsWindow(w));
}
