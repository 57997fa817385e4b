#include "shell/AboutWindow.h"
#include "shell/SystemInfoTool.h"

#include "support/TestSupport.h"

using namespace sweepora;

namespace {

std::string Text(HWND window, int id)
{
    char text[256] = {};
    ::GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

void Press(HWND window, int id)
{
    HWND button = ::GetDlgItem(window, id);
    ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

} // namespace

TEST(AboutWindow, ShowsTheVersionAndReachesOutOnlyThroughTheDesktop)
{
    test::FakeDesktop desktop;
    const char* scratch = "Software\\SweeporaTests\\About"; // no system-information tool here
    test::ScratchKey cleanup{scratch};
    HKEY root = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, scratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
              ERROR_SUCCESS);
    AboutWindow about(desktop, root);
    ASSERT_TRUE(about.Create(nullptr));
    HWND w = about.Handle();
    char caption[64] = {};
    ::GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(caption, "About Sweepora");
    EXPECT_EQ(Text(w, AboutWindow::kTitleId) + "|" + Text(w, AboutWindow::kVersionId), "Sweepora|Version 2.0.0");
    EXPECT_EQ(Text(w, AboutWindow::kOkId) + Text(w, AboutWindow::kSysInfoId) + Text(w, AboutWindow::kSupportId),
              "&Ok&System Info...Su&pport");

    // The program's own icon, on the window and in the picture.
    const HICON icon = reinterpret_cast<HICON>(::SendMessageA(w, WM_GETICON, ICON_BIG, 0));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(::SendDlgItemMessageA(w, AboutWindow::kIconId, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
    ICONINFO parts = {};
    ASSERT_TRUE(::GetIconInfo(icon, &parts));
    BITMAP colour = {};
    ::GetObjectA(parts.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, ::GetSystemMetrics(SM_CXICON));
    ::DeleteObject(parts.hbmColor);
    ::DeleteObject(parts.hbmMask);

    Press(w, AboutWindow::kSysInfoId);
    ASSERT_EQ(desktop.asked.size(), 1u);
    EXPECT_EQ(desktop.asked[0].prompt, kSysInfoUnavailable);
    Press(w, AboutWindow::kSupportId);
    ASSERT_EQ(desktop.launched.size(), 1u);
    EXPECT_EQ(desktop.launched[0].file + "|" + std::to_string(desktop.launched[0].showCommand),
              std::string(kProductPage) + "|" + std::to_string(SW_SHOWMAXIMIZED));
    Press(w, AboutWindow::kOkId);
    EXPECT_FALSE(::IsWindow(w));
    ::RegCloseKey(root);
}
