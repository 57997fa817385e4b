#pragma once
// The main window over a scratch settings store and the desktop double.
#include "platform/RegistryAccess.h"
#include "platform/WideText.h"
#include "shell/MainWindow.h"
#include "support/TestSupport.h"
#include "support/WindowTesting.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace sweepora {

inline constexpr const char* kStoreKey = "Software\\SweeporaTests\\Main";

struct MainWindowTest : ::testing::Test {
    test::ScratchKey storeKey{kStoreKey};
    RegistrySettingsStore store{kStoreKey};
    test::FakeDesktop desktop;
    test::TempFolder folder;
    std::unique_ptr<MainWindow> window;

    MainWindow& Open(MainWindowOptions options = {})
    {
        window.reset();
        test::Pump(0); // takes the quit the last window posted, which would end a modal loop
        window = std::make_unique<MainWindow>(store, desktop, folder.File("sweepora.exe"), options);
        EXPECT_TRUE(window->Create());
        return *window;
    }
    HWND C(int id) const { return window->Control(id); }
    Session& S() { return window->GetSession(); }
    bool Enabled(int id) const { return ::IsWindowEnabled(C(id)) != FALSE; }
    int Check(int id) const { return static_cast<int>(::SendMessageA(C(id), BM_GETCHECK, 0, 0)); }
    int Tab(int id) const { return static_cast<int>(::SendMessageA(C(id), TCM_GETCURSEL, 0, 0)); }
    void Tell(int id, int code) // a control's notification, as the control sends it
    {
        ::SendMessageA(::GetParent(C(id)), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(C(id)));
    }
    void Choose(int listId, int index)
    {
        ::SendMessageA(C(listId), LB_SETCURSEL, index, 0);
        Tell(listId, LBN_SELCHANGE);
    }
    // A list box's entries, read in UTF-16 and given back in UTF-8.
    std::vector<std::string> ListItems(int id) const
    {
        std::vector<std::string> items;
        const int n = static_cast<int>(::SendMessageW(C(id), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[512] = {};
            ::SendMessageW(C(id), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(Utf8FromWide(text));
        }
        return items;
    }
    int LogRows() const { return static_cast<int>(::SendMessageA(C(ids::kLog), LVM_GETITEMCOUNT, 0, 0)); }
    // One cell of the Status list, in UTF-8.
    std::string LogCell(int row, int column) const
    {
        wchar_t text[512] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        ::SendMessageW(C(ids::kLog), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return Utf8FromWide(text);
    }
    // Runs ended with their summary line.
    int Runs()
    {
        int n = 0;
        for (const LogLine& line : S().log.Lines()) n += line.task.find("Finished :- ") != std::string::npos;
        return n;
    }
    void Close()
    {
        ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(window->Handle(), nullptr);
    }
    // Everything off but the clipboard, so a live run touches nothing a test keeps.
    void OnlyClipboard()
    {
        test::Click(C(ids::kDeselectAll));
        test::Click(C(ids::kCleanFirst + 10));
    }
};

} // namespace sweepora
