// sweepora-shots FOLDER: shows the controls in every look and each small window, and
// saves what the screen shows of each as a PNG in FOLDER, for the README.
#include "controls/ControlMessages.h"
#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "controls/XpRadioButton.h"
#include "engine/CleaningRun.h"
#include "engine/SilentDesktop.h"
#include "platform/Paths.h"
#include "platform/UrlHistory.h"
#include "platform/WideText.h"
#include "settings/SettingsStore.h"
#include "shell/AboutWindow.h"
#include "shell/LoadingWindow.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxWindow.h"
#include "shell/WindowParts.h"

#include <wincodec.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace sweepora;

namespace {

void Pump(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(10);
    } while (::GetTickCount() - start < milliseconds);
}

// Paints everything pending without running timers, then copies the client area off the
// screen (Xvfb has no window manager to draw a title bar).
bool SavePng(HWND window, const std::string& path)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    ::GetClientRect(window, &r);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<BYTE> pixels(static_cast<std::size_t>(((w * 3 + 3) & ~3) * h));
    {
        ScreenDc screen;
        UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
        UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
        {
            SelectedObject selected(memory.get(), bitmap.get());
            ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
        }
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        if (::GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, h, pixels.data(), &info, DIB_RGB_COLORS) != h)
            return false;
    }
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const std::wstring file = WideFromAnsi(path);
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(factory.put()))) &&
           SUCCEEDED(factory.get()->CreateStream(stream.put())) &&
           SUCCEEDED(stream.get()->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory.get()->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
           SUCCEEDED(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder.get()->CreateNewFrame(frame.put(), nullptr)) && SUCCEEDED(frame.get()->Initialize(nullptr)) &&
           SUCCEEDED(frame.get()->SetSize(w, h)) && SUCCEEDED(frame.get()->SetPixelFormat(&format)) &&
           SUCCEEDED(frame.get()->WritePixels(h, (w * 3 + 3) & ~3, static_cast<UINT>(pixels.size()), pixels.data())) &&
           SUCCEEDED(frame.get()->Commit()) && SUCCEEDED(encoder.get()->Commit());
}

LRESULT CALLBACK DemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Rows of check boxes and radio buttons, columns of looks; then the buttons.
HWND MakeDemonstration()
{
    RegisterPopupClass("Sweepora.ControlsDemo", DemoProc);
    HWND demo = CreateCentredPopup("Sweepora.ControlsDemo", "Sweepora controls", 620, 300, nullptr, nullptr);
    const char* looks[] = {"normal", "hover", "pressed", "disabled"};
    for (int look = 0; look < 4; ++look)
        CreateChild(demo, "STATIC", looks[look], SS_LEFT, 0, {130 + 120 * look, 8, 240 + 120 * look, 24});
    const char* rows[] = {"unchecked", "checked", "grayed", "radio off", "radio on"};
    const LPARAM inside = MAKELPARAM(4, 4);
    int id = 1;
    for (int row = 0; row < 5; ++row) {
        CreateChild(demo, "STATIC", rows[row], SS_LEFT, 0, {10, 32 + 28 * row, 120, 50 + 28 * row});
        for (int look = 0; look < 4; ++look) {
            const char* kind = row < 3 ? kXpCheckBoxClass : kXpRadioButtonClass;
            HWND c = CreateChild(demo, kind, row < 3 ? "Check box" : "Option", WS_GROUP, id++,
                                 {130 + 120 * look, 30 + 28 * row, 240 + 120 * look, 52 + 28 * row});
            ::SendMessageA(c, BM_SETCHECK, row < 3 ? row : row - 3, 0);
            ::KillTimer(c, 1); // the looks below must outlive the cursor being elsewhere
            if (look == 1) ::SendMessageA(c, WM_MOUSEMOVE, 0, inside);
            if (look == 2) ::SendMessageA(c, WM_MOUSEMOVE, MK_LBUTTON, inside);
            if (look == 3) ::EnableWindow(c, FALSE);
            ::KillTimer(c, 1);
        }
    }
    const char* faces[] = {"&Normal", "&Pressed", "&Disabled", "&Hover", "&Emphasised"};
    for (int face = 0; face < 5; ++face) {
        const XpControlParams params{face == 4 ? 1 : 0};
        HWND b = ::CreateWindowExA(0, kXpCommandButtonClass, faces[face], WS_CHILD | WS_VISIBLE, 10 + 120 * face, 200,
                                   110, 30, demo, nullptr, ::GetModuleHandleA(nullptr), const_cast<XpControlParams*>(&params));
        ::SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        if (face == 1) ::SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, inside);
        if (face == 2) ::EnableWindow(b, FALSE);
        if (face == 3) ::SendMessageA(b, WM_MOUSEMOVE, 0, inside);
        ::KillTimer(b, 1);
    }
    CreateChild(demo, kXpCheckBoxClass, "A check box with a longer caption, in the window's font", 0, 99,
                {10, 250, 600, 280});
    return demo;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sweepora-shots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    ComApartment com;
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterXpCheckBox(instance);
    RegisterXpRadioButton(instance);
    RegisterXpCommandButton(instance);
    ::SetCursorPos(0, 0);
    int failures = 0;
    const auto save = [&](HWND w, const char* name) {
        const bool ok = SavePng(w, folder + "\\" + name);
        std::printf("%s %s\n", name, ok ? "saved" : "FAILED");
        if (!ok) ++failures;
    };

    HWND demo = MakeDemonstration();
    ::UpdateWindow(demo);
    save(demo, "controls.png");
    ::DestroyWindow(demo);
    {
        LoadingWindow loading(instance);
        Pump(250); // part-way
        save(loading.Handle(), "loading.png");
    }
    {
        RegistrySettingsStore store("Software\\SweeporaShots");
        MessageBoxWindow box(store, "HotKey Information",
                             "Sweepora is hidden. Press CTRL+ALT+U to show it again, CTRL+ALT+H for the panic actions.");
        box.Create(nullptr);
        Pump(200);
        save(box.Handle(), "messagebox.png");
    }
    {
        SilentDesktop desktop;
        AboutWindow about(desktop);
        about.Create(nullptr);
        Pump(200);
        save(about.Handle(), "about.png");
    }
    {
        RegistrySettingsStore store("Software\\SweeporaShots\\Main");
        SilentDesktop desktop;
        MainWindow main(store, desktop, ExecutablePath(), {});
        if (!main.Create()) std::printf("main window: not created\n");
        Pump(300);
        HWND window = main.Handle();
        const char* mainShots[] = {"main-status.png", "main-cleaning.png", "main-more.png", "main-secure.png",
                                   "main-general.png"};
        for (int i = 0; i < 5; ++i) {
            SelectTabAsUser(main.Control(ids::kTabMain), i);
            Pump(150);
            save(window, mainShots[i]);
        }
        SelectTabAsUser(main.Control(ids::kTabMain), 2);
        const char* moreShots[] = {nullptr, "more-typed-urls.png", "more-history.png", "more-plugins.png"};
        for (int i = 1; i < 4; ++i) {
            SelectTabAsUser(main.Control(ids::kTabMore), i);
            Pump(150);
            save(window, moreShots[i]);
        }
        SelectTabAsUser(main.Control(ids::kTabMain), 4);
        const char* generalShots[] = {nullptr, "general-scheduling.png", "general-hotkey.png"};
        for (int i = 1; i < 3; ++i) {
            SelectTabAsUser(main.Control(ids::kTabGeneral), i);
            Pump(150);
            save(window, generalShots[i]);
        }
        // A run in progress: the log filling, Abort shown. The run is a test run: it erases nothing.
        SelectTabAsUser(main.Control(ids::kTabMain), 0);
        main.GetSession().settings.CustomDirs = "0";
        bool taken = false;
        class Observer final : public LogObserver {
        public:
            Observer(std::function<void()> onLine) : onLine_(std::move(onLine)) {}
            void LineAdded(const LogLine&) override { onLine_(); }
            void Cleared() override {}
        private:
            std::function<void()> onLine_;
        } observer([&] {
            if (taken || main.GetSession().log.Lines().size() < 3) return;
            taken = true;
            Pump(100);
            save(window, "main-running.png");
        });
        main.GetSession().log.AddObserver(&observer);
        RunCleaning(main.GetSession());
        main.GetSession().log.RemoveObserver(&observer);
        if (!taken) save(window, "main-running.png");
    }
    {
        // The layout at 120 pixels per inch, with the font grown to match.
        RegistrySettingsStore store("Software\\SweeporaShots\\Main");
        SilentDesktop desktop;
        MainWindowOptions options;
        options.dpi = 120;
        MainWindow main(store, desktop, ExecutablePath(), options);
        if (!main.Create()) std::printf("main window at 120 dpi: not created\n");
        Pump(300);
        save(main.Handle(), "main-cleaning-120dpi.png");
        SelectTabAsUser(main.Control(ids::kTabMain), 2);
        Pump(150);
        save(main.Handle(), "main-more-120dpi.png");
    }
    return failures == 0 ? 0 : 1;
}
