#include "shell/MessageBoxWindow.h"
#include "controls/ControlMessages.h"
#include "storage/AppSettings.h"

#include "support/TestSupport.h"

using namespace sweepora;

namespace {

void Click(HWND control)
{
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

struct Probe {
    MessageBoxWindow* box;
    HWND owner;
    bool* disabled;
};

void CALLBACK PressOkOnceShown(HWND w, UINT, UINT_PTR id, DWORD)
{
    auto* p = static_cast<Probe*>(::GetPropA(w, "probe"));
    if (p->box->Handle() == nullptr) return;
    ::KillTimer(w, id);
    *p->disabled = !::IsWindowEnabled(p->owner);
    ::PostMessageA(p->box->Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

} // namespace

TEST(MessageBoxWindow, TheBoxSavesAtOnceAndOkCloses)
{
    test::ScratchKey key{"Software\\SweeporaTests\\MessBox"};
    RegistrySettingsStore store{"Software\\SweeporaTests\\MessBox"};
    MessageBoxWindow box(store, "HotKey Information", "Press CTRL+ALT+U to unhide.");
    ASSERT_TRUE(box.Create(nullptr));
    char text[128] = {};
    ::GetWindowTextA(box.Handle(), text, sizeof text);
    EXPECT_STREQ(text, "HotKey Information");
    ::GetDlgItemTextA(box.Handle(), MessageBoxWindow::kMessageId, text, sizeof text);
    EXPECT_STREQ(text, "Press CTRL+ALT+U to unhide.");

    HWND dontShow = ::GetDlgItem(box.Handle(), MessageBoxWindow::kDontShowId);
    ::GetWindowTextA(dontShow, text, sizeof text);
    EXPECT_STREQ(text, "Don't show this message again.");
    Click(dontShow);
    EXPECT_EQ(store.Get(kSectionStartup, "DonotShowMessBox", ""), "1");
    Click(dontShow); // ticked and unticked again before OK
    EXPECT_EQ(store.Get(kSectionStartup, "DonotShowMessBox", ""), "0");

    HWND window = box.Handle();
    Click(::GetDlgItem(window, IDOK));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(box.Handle(), nullptr);
}

TEST(MessageBoxWindow, ModalKeepsTheOwnerDisabledUntilClosed)
{
    test::ScratchKey key{"Software\\SweeporaTests\\MessBox"};
    RegistrySettingsStore store{"Software\\SweeporaTests\\MessBox"};
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                   nullptr);
    MessageBoxWindow box(store, "Caption", "Text");
    bool ownerWasDisabled = false;
    // Once the box is up, a timer of the owner checks the owner and presses OK.
    Probe probe{&box, owner, &ownerWasDisabled};
    ::SetPropA(owner, "probe", &probe);
    ::SetTimer(owner, 1, 100, PressOkOnceShown);
    box.ShowModal(owner);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(store.Get(kSectionStartup, "DonotShowMessBox", "untouched"), "untouched");
    ::RemovePropA(owner, "probe");
    ::DestroyWindow(owner);
}
