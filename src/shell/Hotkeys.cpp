#include "shell/Hotkeys.h"

namespace sweepora {

std::array<bool, 3> Hotkeys::Start(HWND window)
{
    Stop();
    window_ = window;
    bool poll = false;
    for (Combination c : {kUnhide, kActions}) {
        registered_[c] = ::RegisterHotKey(window, c, MOD_CONTROL | MOD_ALT, Letter(c)) != FALSE;
        polled_[c] = !registered_[c];
        poll = poll || polled_[c];
    }
    if (poll) ::SetTimer(window, kPollTimer, kPollMilliseconds, nullptr);
    return polled_;
}

void Hotkeys::Stop()
{
    if (window_ == nullptr) return;
    for (Combination c : {kUnhide, kActions})
        if (registered_[c]) ::UnregisterHotKey(window_, c);
    ::KillTimer(window_, kPollTimer);
    ::KillTimer(window_, kReleaseTimer);
    registered_ = {};
    polled_ = {};
    held_ = {};
    watching_ = false;
    window_ = nullptr;
}

bool Hotkeys::Down(Combination c) const
{
    return (keyState_(VK_CONTROL) & keyState_(VK_MENU) & keyState_(Letter(c)) & 0x8000) != 0;
}

Hotkeys::Combination Hotkeys::OnHotKey(WPARAM id)
{
    if (id != kUnhide && id != kActions) return kNone;
    const auto c = static_cast<Combination>(id);
    if (!registered_[c] || held_[c]) return kNone;
    held_[c] = true;
    WatchRelease();
    // Both at once: only the way back runs.
    if (c == kActions && (held_[kUnhide] || Down(kUnhide))) return kNone;
    return c;
}

Hotkeys::Combination Hotkeys::OnTimer(UINT_PTR timer)
{
    if (timer == kReleaseTimer) {
        bool any = false;
        for (Combination c : {kUnhide, kActions}) {
            if (registered_[c] && held_[c] && !LetterDown(c)) held_[c] = false;
            any = any || (registered_[c] && held_[c]);
        }
        if (!any) {
            ::KillTimer(window_, kReleaseTimer);
            watching_ = false;
        }
        return kNone;
    }
    if (timer != kPollTimer) return kNone;
    Combination pressed = kNone;
    for (Combination c : {kUnhide, kActions}) {
        if (!polled_[c]) continue;
        const bool down = Down(c);
        if (down && !held_[c] && pressed == kNone && !(c == kActions && Down(kUnhide))) pressed = c;
        held_[c] = down;
    }
    return pressed;
}

void Hotkeys::WatchRelease()
{
    if (watching_) return;
    watching_ = ::SetTimer(window_, kReleaseTimer, kReleaseMilliseconds, nullptr) != 0;
}

void RestoreWindow(HWND window)
{
    if (!::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOW);
    if (::IsIconic(window)) ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    ::SetForegroundWindow(window);
}

void HideWindow(HWND window)
{
    if (::IsWindowVisible(window)) ::ShowWindow(window, SW_HIDE);
    if (!::IsIconic(window)) ::SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

} // namespace sweepora
