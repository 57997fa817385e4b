#include "engine/JumpListFile.h"
#include "engine/RecentItems.h"
#include "platform/Paths.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <map>

using namespace sweepora;
using test::Texts;

namespace {

constexpr const char* kRecentDocs = "Software\\SweeporaTests\\RecentDocs";

template <typename T>
void Put(std::string& bytes, std::size_t at, T value)
{
    std::memcpy(&bytes[at], &value, sizeof value);
}

// One DestList entry as Windows writes it: distinct filler where the hash and identifiers
// are, so that a kept entry can be compared byte for byte.
std::string Entry(std::uint32_t version, std::uint32_t number, std::int32_t pin, const std::wstring& path)
{
    const std::size_t lengthAt = version == 1 ? 112 : 128, trailer = version == 1 ? 0 : 4;
    std::string e(lengthAt + 2 + 2 * path.size() + trailer, '\0');
    for (std::size_t i = 0; i < 88; ++i) e[i] = static_cast<char>(number * 7 + i);
    Put(e, 88, number);
    Put(e, 100, std::uint64_t(133000000000000000ull + number)); // last used
    Put(e, 108, pin);
    Put(e, lengthAt, static_cast<std::uint16_t>(path.size()));
    std::memcpy(&e[lengthAt + 2], path.data(), 2 * path.size());
    return e;
}

std::string Header(std::uint32_t version, std::uint32_t entries, std::uint32_t pinned, std::uint32_t revision)
{
    std::string h(32, '\0');
    Put(h, 0, version);
    Put(h, 4, entries);
    Put(h, 8, pinned);
    Put(h, 12, 1.5f);
    Put(h, 16, std::uint32_t(40)); // last entry number
    Put(h, 24, revision);
    return h;
}

struct Item {
    std::uint32_t number;
    std::int32_t pin;
};

std::string DestListOf(std::uint32_t version, const std::vector<Item>& items, bool onlyPinned = false,
                       std::uint32_t revision = 9)
{
    std::string entries;
    std::uint32_t count = 0, pinned = 0;
    for (const Item& i : items) {
        if (onlyPinned && i.pin == -1) continue;
        entries += Entry(version, i.number, i.pin, L"C:\\Users\\ann\\doc" + std::to_wstring(i.number) + L".txt");
        ++count;
        pinned += i.pin != -1;
    }
    return Header(version, count, pinned, revision) + entries;
}

std::string StreamBytes(std::uint32_t number) { return "shortcut of item " + std::to_string(number); }

// Writes a compound file with these streams through ole32, as the shell does.
void WriteCompound(const std::string& path, const std::map<std::wstring, std::string>& streams)
{
    IStorage* storage = nullptr;
    ASSERT_EQ(::StgCreateDocfile(WideFromUtf8(path).c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                 &storage),
              S_OK);
    for (const auto& [name, bytes] : streams) {
        IStream* stream = nullptr;
        ASSERT_EQ(storage->CreateStream(name.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream),
                  S_OK);
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream->Release();
    }
    storage->Release();
}

// Every stream of a compound file by name; empty when it cannot be opened.
std::map<std::wstring, std::string> ReadCompound(const std::string& path)
{
    std::map<std::wstring, std::string> streams;
    IStorage* storage = nullptr;
    if (::StgOpenStorage(WideFromUtf8(path).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                         &storage) != S_OK)
        return streams;
    IEnumSTATSTG* list = nullptr;
    storage->EnumElements(0, nullptr, 0, &list);
    STATSTG stat{};
    while (list->Next(1, &stat, nullptr) == S_OK) {
        IStream* stream = nullptr;
        std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
        if (storage->OpenStream(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream) == S_OK) {
            stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), nullptr);
            stream->Release();
        }
        streams[stat.pwcsName] = bytes;
        ::CoTaskMemFree(stat.pwcsName);
    }
    list->Release();
    storage->Release();
    return streams;
}

std::map<std::wstring, std::string> JumpListStreams(std::uint32_t version, const std::vector<Item>& items)
{
    std::map<std::wstring, std::string> streams{{L"DestList", DestListOf(version, items)}};
    for (const Item& i : items) streams[EntryStreamName(i.number)] = StreamBytes(i.number);
    return streams;
}

FILETIME WriteTime(const std::string& path)
{
    FILETIME time{};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) time = data.ftLastWriteTime;
    return time;
}

struct RecentItemsFixture : test::SessionFixture {
    test::ScratchKey key{kRecentDocs};
    std::string recent = folder.File("Roaming\\Microsoft\\Windows\\Recent");
    std::string office = folder.File("Roaming\\Microsoft\\Office\\Recent");
    std::string automatic = recent + "\\AutomaticDestinations\\";
    RecentScope scope{recent, office, HKEY_CURRENT_USER, kRecentDocs};

    RecentItemsFixture()
    {
        ::SHCreateDirectoryExA(nullptr, automatic.c_str(), nullptr);
        ::SHCreateDirectoryExA(nullptr, (recent + "\\CustomDestinations").c_str(), nullptr);
        ::SHCreateDirectoryExA(nullptr, office.c_str(), nullptr);
    }
    std::string JumpList(const std::string& appId) const { return automatic + appId + ".automaticDestinations-ms"; }
    std::string Status(const std::string& task) const
    {
        for (const LogLine& line : session.log.Lines())
            if (line.task == task || line.task == kTestingPrefix + task) return line.status;
        return "(no line)";
    }
};

const std::vector<Item> kQuickAccess{{1, -1}, {2, 0}, {0xa, -1}, {0x1f, 1}, {0x20, -1}};

} // namespace

TEST_F(RecentItemsFixture, APreviewSaysWhatTheRunDoesAndPinsStayByteForByte)
{
    for (const char* name : {"0", "1", "MRUListEx"}) test::WriteString(HKEY_CURRENT_USER, kRecentDocs, name, "x");
    test::WriteString(HKEY_CURRENT_USER, std::string(kRecentDocs) + "\\.txt", "0", "x");
    test::WriteString(HKEY_CURRENT_USER, std::string(kRecentDocs) + "\\Folder", "MRUListEx", "x");
    for (const char* name : {"report.docx.lnk", "Pictures.LNK", "notes.txt", "desktop.ini"})
        test::WriteFileBytes(recent + "\\" + name, name);
    ::SetFileAttributesA((recent + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    test::WriteFileBytes(office + "\\budget.xlsx.LNK", "office");
    test::WriteFileBytes(recent + "\\CustomDestinations\\9b9cdc69c1c24e2b.customDestinations-ms", "tasks");

    const std::string quick = JumpList(kQuickAccessAppId), seven = JumpList("1b4dd67f29cb1962"),
                      pins = JumpList("9d1f905ce5044aee");
    WriteCompound(quick, JumpListStreams(4, kQuickAccess));
    WriteCompound(seven, JumpListStreams(1, {{3, -1}, {4, 0}}));
    WriteCompound(pins, JumpListStreams(3, {{5, 0}, {6, 1}}));
    const std::string quickBefore = test::ReadFileBytes(quick), pinsBefore = test::ReadFileBytes(pins);
    const FILETIME pinsTime = WriteTime(pins);

    CleanRecentItems(session, scope);
    const Texts preview = Tasks();
    EXPECT_EQ(test::ReadFileBytes(quick), quickBefore);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kRecentDocs).size(), 3u);
    EXPECT_TRUE(FileExists(recent + "\\Pictures.LNK"));

    session.log.Clear();
    session.run.live = true;
    ::Sleep(20); // a rewrite would show in the time
    CleanRecentItems(session, scope);
    const Texts run = Tasks();
    ASSERT_EQ(run.size(), preview.size()) << ::testing::PrintToString(run);
    for (std::size_t i = 0; i < run.size(); ++i) EXPECT_EQ(kTestingPrefix + run[i], preview[i]);

    EXPECT_EQ(Status("Recent documents (RecentDocs)"), "5 entries removed from 3 lists, the keys kept");
    EXPECT_EQ(Status("Recent shortcuts " + recent + "\\"), "2 shortcuts removed, other files kept");
    EXPECT_EQ(Status("Office recent shortcuts " + office + "\\"), "1 shortcut removed, other files kept");
    EXPECT_EQ(Status("Jump list f01b4d95cf55d32a (Quick Access)"), "3 recent entries removed, 2 pinned kept");
    EXPECT_EQ(Status("Jump list 1b4dd67f29cb1962"), "1 recent entry removed, 1 pinned kept");
    EXPECT_EQ(Status("Jump list 9d1f905ce5044aee"), "0 recent entries removed, 2 pinned kept");
    EXPECT_EQ(Status("Jump list 9b9cdc69c1c24e2b (custom)").rfind("kept: ", 0), 0u);

    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kRecentDocs).empty());
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, std::string(kRecentDocs) + "\\.txt"));
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, std::string(kRecentDocs) + "\\Folder").empty());
    EXPECT_FALSE(FileExists(recent + "\\report.docx.lnk") || FileExists(recent + "\\Pictures.LNK") ||
                 FileExists(office + "\\budget.xlsx.LNK"));
    EXPECT_EQ(test::ReadFileBytes(recent + "\\notes.txt"), "notes.txt");
    EXPECT_EQ(test::ReadFileBytes(recent + "\\desktop.ini"), "desktop.ini");
    EXPECT_EQ(test::ReadFileBytes(recent + "\\CustomDestinations\\9b9cdc69c1c24e2b.customDestinations-ms"), "tasks");

    // Quick Access: the pinned entries and their streams as they were, the header counting them.
    const std::map<std::wstring, std::string> kept = ReadCompound(quick);
    EXPECT_EQ(kept, (std::map<std::wstring, std::string>{{L"DestList", DestListOf(4, kQuickAccess, true, 10)},
                                                          {L"1f", StreamBytes(0x1f)},
                                                          {L"2", StreamBytes(2)}}));
    EXPECT_EQ(ReadCompound(seven), (std::map<std::wstring, std::string>{
                                       {L"DestList", DestListOf(1, {{4, 0}}, true, 10)}, {L"4", StreamBytes(4)}}));
    EXPECT_EQ(test::ReadFileBytes(pins), pinsBefore);
    const FILETIME pinsTimeAfter = WriteTime(pins);
    EXPECT_EQ(::CompareFileTime(&pinsTime, &pinsTimeAfter), 0);
    EXPECT_FALSE(FileExists(quick + ".sweepora-old") || FileExists(quick + ".sweepora-new"));

    // Nothing left to take: a second run rewrites nothing.
    const std::string quickAfter = test::ReadFileBytes(quick);
    session.log.Clear();
    CleanRecentItems(session, scope);
    EXPECT_EQ(Status("Jump list f01b4d95cf55d32a (Quick Access)"), "0 recent entries removed, 2 pinned kept");
    EXPECT_EQ(session.log.Lines().back().status, "kept: the application's own tasks and lists, which it keeps up itself");
    EXPECT_EQ(test::ReadFileBytes(quick), quickAfter);
}

TEST_F(RecentItemsFixture, AJumpListThatCannotBeReadAsKnownIsLeftAsItWas)
{
    std::map<std::wstring, std::string> missing = JumpListStreams(3, {{1, -1}, {2, 0}});
    missing.erase(L"2");
    std::map<std::wstring, std::string> shortList = JumpListStreams(4, {{1, -1}, {2, 0}});
    shortList[L"DestList"].resize(shortList[L"DestList"].size() - 3);
    std::map<std::wstring, std::string> newer = JumpListStreams(4, {{1, -1}});
    Put(newer[L"DestList"], 0, std::uint32_t(7));
    std::map<std::wstring, std::string> twice = JumpListStreams(1, {{1, -1}});
    twice[L"DestList"] = DestListOf(1, {{1, -1}, {1, 0}});
    const std::vector<std::pair<std::string, std::string>> cases{
        {"0000000000000001", "the stream of item 2 is missing"},
        {"0000000000000002", "its DestList does not add up"},
        {"0000000000000003", "its DestList has version 7, which is not known"},
        {"0000000000000004", "its DestList names an item twice"},
        {"0000000000000005", "it has no readable DestList"},
        {"0000000000000006", "it is not a compound file"}};
    WriteCompound(JumpList(cases[0].first), missing);
    WriteCompound(JumpList(cases[1].first), shortList);
    WriteCompound(JumpList(cases[2].first), newer);
    WriteCompound(JumpList(cases[3].first), twice);
    WriteCompound(JumpList(cases[4].first), {{L"1", StreamBytes(1)}});
    test::WriteFileBytes(JumpList(cases[5].first), "not a compound file at all");
    // Cut short: what the storage library says is its own; the file stays all the same.
    WriteCompound(JumpList("0000000000000007"), JumpListStreams(4, kQuickAccess));
    const std::string cut = test::ReadFileBytes(JumpList("0000000000000007")).substr(0, 1024);
    test::WriteFileBytes(JumpList("0000000000000007"), cut);
    std::vector<std::string> before;
    for (const auto& c : cases) before.push_back(test::ReadFileBytes(JumpList(c.first)));

    session.run.live = true;
    CleanRecentItems(session, scope);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Status("Jump list " + cases[i].first), "Left as it was: " + cases[i].second);
        EXPECT_EQ(test::ReadFileBytes(JumpList(cases[i].first)), before[i]) << cases[i].first;
    }
    EXPECT_EQ(Status("Jump list 0000000000000007").rfind("Left as it was: ", 0), 0u) << Status("Jump list 0000000000000007");
    EXPECT_EQ(test::ReadFileBytes(JumpList("0000000000000007")), cut);
}

TEST(DestListTest, VersionThreeIsReadWithOrWithoutTheBytesAfterThePath)
{
    for (const std::size_t trailer : {4u, 0u}) {
        std::string bytes = Header(3, 2, 1, 1);
        for (const Item& i : std::vector<Item>{{0x10, -1}, {0x11, 2}}) {
            std::string e = Entry(3, i.number, i.pin, L"D:\\x");
            bytes += e.substr(0, e.size() - 4 + trailer);
        }
        DestList list;
        ASSERT_EQ(ParseDestList(bytes, list), "") << trailer;
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_TRUE(list.entries[1].number == 0x11u && list.entries[1].Pinned() && !list.entries[0].Pinned());
        EXPECT_EQ(list.entries[0].path, L"D:\\x");
        EXPECT_EQ(EntryStreamName(list.entries[0].number), L"10");
    }
}

TEST_F(RecentItemsFixture, AJumpListSetAsideByAnInterruptedRunIsPutBackAndCleaned)
{
    const std::string list = JumpList(kQuickAccessAppId);
    WriteCompound(list + ".sweepora-old", JumpListStreams(3, {{1, -1}, {2, 0}}));
    session.run.live = true;
    CleanRecentItems(session, scope);
    EXPECT_EQ(Status("Jump list f01b4d95cf55d32a (Quick Access)"), "1 recent entry removed, 1 pinned kept");
    EXPECT_EQ(ReadCompound(list), (std::map<std::wstring, std::string>{
                                      {L"DestList", DestListOf(3, {{2, 0}}, true, 10)}, {L"2", StreamBytes(2)}}));
    EXPECT_FALSE(FileExists(list + ".sweepora-old"));
}
