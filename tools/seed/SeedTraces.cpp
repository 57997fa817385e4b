// sweepora-seed seed|list: puts browser and clipboard traces into the current prefix,
// or prints the ones that are there, so a demo can show what a run left behind.
#include "CacheSeeding.h"
#include "platform/UniqueHandle.h"
#include "platform/UrlHistory.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using sweepora::ComApartment;
using sweepora::CURLHistory;

using namespace sweepora::seed;

bool SetClipboardText(const std::string& text)
{
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool done = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard not available)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

int Seed()
{
    int failures = 0;
    auto check = [&](bool ok, const char* what) {
        std::printf("  %-44s %s\n", what, ok ? "seeded" : "FAILED");
        if (!ok) ++failures;
    };
    check(!AddContent("http://news.example/front.htm", "<html>front page</html>").empty(), "cache page http://news.example/front.htm");
    check(!AddContent("http://shop.example/basket.htm", "<html>basket</html>").empty(), "cache page http://shop.example/basket.htm");
    check(AddCookie("http://shop.example/", "basket=3-items"), "cookie shop.example");
    check(AddCookie("http://bank.example/", "session=kept"), "cookie bank.example");
    check(AddVisited("file:///C:/Work/scratch/notes.txt"), "visited file:///C:/Work/scratch/notes.txt");
    check(AddVisited("http://forum.example/thread.htm"), "visited http://forum.example/thread.htm");
    bool historyAdded = false;
    try {
        ComApartment com;
        CURLHistory history;
        history.AddURL("http://news.example/front.htm", "Front page", 0);
        history.AddURL("http://private.example/diary.htm", "Diary", 0);
        historyAdded = true;
    } catch (const std::exception& e) {
        std::printf("  history: %s\n", e.what());
    }
    check(historyAdded, "history two addresses");
    check(SetClipboardText("account number 12-3456-789"), "clipboard text");
    return failures == 0 ? 0 : 1;
}

int List()
{
    std::printf("  URL cache:\n");
    for (const CacheEntry& e : CacheEntries(nullptr)) {
        const char* kind = (e.type & COOKIE_CACHE_ENTRY) ? "cookie " : (e.type & URLHISTORY_CACHE_ENTRY) ? "visited" : "page   ";
        const std::size_t slash = e.file.find_last_of('\\');
        const std::string file = slash == std::string::npos ? e.file : e.file.substr(slash + 1);
        // The cookie's file name is what its safe list holds.
        if (e.type & COOKIE_CACHE_ENTRY)
            std::printf("    %s %s  (file %s)\n", kind, e.url.c_str(), file.c_str());
        else
            std::printf("    %s %s\n", kind, e.url.c_str());
    }
    std::printf("  history:\n");
    try {
        ComApartment com;
        CURLHistory history;
        for (std::int32_t i = 1; i <= history.Count(); ++i) std::printf("    %s\n", history.Item(i).URL().c_str());
    } catch (const std::exception& e) {
        std::printf("    (%s)\n", e.what());
    }
    std::printf("  clipboard: \"%s\"\n", ClipboardText().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed") return Seed();
    if (mode == "list") return List();
    std::fprintf(stderr, "usage: sweepora-seed seed|list\n");
    return 2;
}
