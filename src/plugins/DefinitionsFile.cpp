#include "plugins/DefinitionsFile.h"

#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "plugins/DefinitionVariables.h"
#include "plugins/Detection.h"

#include <algorithm>
#include <atomic>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_set>

namespace sweepora {

namespace {

using View = std::string_view;

enum class KeyKind {
    LangSecRef, Section, Detect, DetectFile, DetectOS, FileKey, RegKey, ExcludeKey, Warning, NotifyShell, Other
};

struct KnownKey {
    const char* name; // upper case
    KeyKind kind;
    bool numbered;
};

const KnownKey kKnownKeys[] = {
    {"LANGSECREF", KeyKind::LangSecRef, false}, {"SECTION", KeyKind::Section, false},
    {"DETECT", KeyKind::Detect, true},          {"DETECTFILE", KeyKind::DetectFile, true},
    {"DETECTOS", KeyKind::DetectOS, false},     {"FILEKEY", KeyKind::FileKey, true},
    {"REGKEY", KeyKind::RegKey, true},          {"EXCLUDEKEY", KeyKind::ExcludeKey, true},
    {"WARNING", KeyKind::Warning, false},       {"NOTIFYSHELL", KeyKind::NotifyShell, false},
};

// The community file's group numbers, under names of our own.
const std::pair<int, const char*> kGroups[] = {
    {3001, "Browsers"},  {3021, "Applications"}, {3022, "Internet"}, {3023, "Multimedia"}, {3024, "Utilities"},
    {3025, "System"},    {3026, "Browsers"},     {3027, "Browsers"}, {3028, "Browsers"},   {3029, "Browsers"},
};
constexpr const char* kOtherGroup = "Other";

constexpr const char* kDuplicateName = "another entry has this name";
constexpr const char* kNotInstalled = "not installed";
// Detection waits on the system far more than it computes: a few lookups run side by side.
constexpr std::size_t kDetectThreads = 4;
constexpr std::size_t kEntriesPerThread = 64;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

View Trim(View text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameAscii(View a, const char* upper)
{
    std::size_t i = 0;
    for (; i < a.size() && upper[i]; ++i)
        if (UpperAscii(a[i]) != upper[i]) return false;
    return i == a.size() && !upper[i];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "FileKey12" -> FileKey, 12; a key standing without its number sorts before "1".
KeyKind Classify(View key, long long& number)
{
    std::size_t digits = key.size();
    while (digits > 0 && IsDigit(key[digits - 1])) --digits;
    const View name = key.substr(0, digits);
    number = 0;
    for (std::size_t i = digits; i < key.size(); ++i) number = std::min(number * 10 + (key[i] - '0'), 1LL << 40);
    for (const KnownKey& known : kKnownKeys) {
        if (!SameAscii(name, known.name)) continue;
        if (digits < key.size() && !known.numbered) return KeyKind::Other;
        return known.kind;
    }
    return KeyKind::Other;
}

void Split(View text, char separator, std::vector<View>& fields)
{
    fields.clear();
    for (;;) {
        const std::size_t at = text.find(separator);
        fields.push_back(Trim(text.substr(0, at)));
        if (at == View::npos) return;
        text.remove_prefix(at + 1);
    }
}

bool HasSeparator(View mask) { return mask.find_first_of("\\/") != View::npos; }

bool ParseVersion(View text, int& major, int& minor)
{
    const std::size_t dot = text.find('.');
    const View majorText = text.substr(0, dot), minorText = dot == View::npos ? View("0") : text.substr(dot + 1);
    if (majorText.empty() || minorText.empty() || majorText.size() > 4 || minorText.size() > 4) return false;
    major = minor = 0;
    for (char c : majorText) {
        if (!IsDigit(c)) return false;
        major = major * 10 + (c - '0');
    }
    for (char c : minorText) {
        if (!IsDigit(c)) return false;
        minor = minor * 10 + (c - '0');
    }
    return true;
}

std::string VersionText(int major, int minor) { return std::to_string(major) + "." + std::to_string(minor); }

bool IsValidUtf8(View text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        unsigned min;
        unsigned code;
        if ((c & 0xE0) == 0xC0) extra = 1, min = 0x80, code = c & 0x1F;
        else if ((c & 0xF0) == 0xE0) extra = 2, min = 0x800, code = c & 0x0F;
        else if ((c & 0xF8) == 0xF0) extra = 3, min = 0x10000, code = c & 0x07;
        else return false;
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

struct NumberedKey {
    long long number;
    View value;
};

// One section's keys as read, before any of them is looked at: numbered keys are taken in
// numeric order, whatever order the file lists them in. Reused from entry to entry.
struct Section {
    View name;
    View group;
    bool groupFromSection = false;
    View detectOS;
    bool hasDetectOS = false;
    View warning;
    bool notifyShell = false;
    std::vector<NumberedKey> detects, detectFiles, fileKeys, regKeys, excludeKeys;
    int badLines = 0;
    int ignored = 0;

    void Clear()
    {
        name = group = detectOS = warning = View();
        groupFromSection = hasDetectOS = notifyShell = false;
        detects.clear();
        detectFiles.clear();
        fileKeys.clear();
        regKeys.clear();
        excludeKeys.clear();
        badLines = ignored = 0;
    }
};

class Loader {
public:
    Loader(const std::string& source, const DefinitionEnvironment& environment)
        : source_(source), environment_(environment)
    {
    }

    DefinitionsLoad Parse(View text);

private:
    void Add(View key, View value);
    void Finish();
    std::string Group() const;
    void ReadFileKey(View value, CleaningEntry& entry);
    void ReadRegKey(View value, CleaningEntry& entry);
    void ReadExcludeKey(View value, CleaningEntry& entry);
    // The expansions of a folder, each a full path; false (and counted) when there are none.
    bool ExpandFolder(View folder, std::vector<std::string>& folders);
    std::string OsReason();
    // The entry's detect keys, each read and a bad one counted; false when it has none.
    bool ReadDetectKeys(std::vector<std::string>& keys, std::vector<std::string>& paths);
    // Looks up the entries that wait on their detect keys, several at a time, then counts them.
    void Resolve();

    const std::string& source_;
    const DefinitionEnvironment& environment_;
    DefinitionsLoad load_;
    Section section_;
    bool inSection_ = false;
    Detector detector_;
    // An entry whose offer depends on whether its application is here.
    struct Pending {
        std::size_t index;
        std::vector<std::string> keys, paths;
        bool found = false;
    };
    std::vector<Pending> pending_;
    std::unordered_set<std::string> names_;
    std::vector<View> fields_, masks_;
    std::vector<std::string> expanded_;
};

DefinitionsLoad Loader::Parse(View text)
{
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const View line = Trim(text.substr(0, end));
        text.remove_prefix(end == View::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            if (inSection_) Finish();
            section_.Clear();
            inSection_ = true;
            // "[Name *]": the community marks its entries with a trailing star.
            View name = Trim(line.substr(1, line.size() - 2));
            if (!name.empty() && name.back() == '*') name = Trim(name.substr(0, name.size() - 1));
            section_.name = name;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection_) {
            ++load_.report.ignoredKeys; // before the first entry: belongs to none
        } else if (equals == View::npos || equals == 0) {
            ++section_.badLines;
        } else {
            Add(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
        }
    }
    if (inSection_) Finish();
    Resolve();
    return std::move(load_);
}

void Loader::Add(View key, View value)
{
    long long number = 0;
    switch (Classify(key, number)) {
    case KeyKind::LangSecRef:
        if (!section_.groupFromSection) section_.group = value;
        break;
    case KeyKind::Section:
        section_.group = value;
        section_.groupFromSection = true;
        break;
    case KeyKind::Detect: section_.detects.push_back({number, value}); break;
    case KeyKind::DetectFile: section_.detectFiles.push_back({number, value}); break;
    case KeyKind::DetectOS:
        section_.detectOS = value;
        section_.hasDetectOS = true;
        break;
    case KeyKind::FileKey: section_.fileKeys.push_back({number, value}); break;
    case KeyKind::RegKey: section_.regKeys.push_back({number, value}); break;
    case KeyKind::ExcludeKey: section_.excludeKeys.push_back({number, value}); break;
    case KeyKind::Warning: section_.warning = value; break;
    case KeyKind::NotifyShell:
        // Only "1" asks; anything else is a mistake worth counting, not a silent no.
        if (value == "1")
            section_.notifyShell = true;
        else if (value != "0")
            ++load_.report.badKeys;
        break;
    case KeyKind::Other: ++section_.ignored; break;
    }
}

std::string Loader::Group() const
{
    if (section_.groupFromSection && !section_.group.empty()) return std::string(section_.group);
    int number = 0;
    bool isNumber = !section_.group.empty() && section_.group.size() < 9;
    for (char c : section_.group) {
        isNumber = isNumber && IsDigit(c);
        number = number * 10 + (c - '0');
    }
    if (isNumber)
        for (const auto& group : kGroups)
            if (group.first == number) return group.second;
    return kOtherGroup;
}

bool Loader::ExpandFolder(View folder, std::vector<std::string>& folders)
{
    folders.clear();
    if (folder.empty()) {
        ++load_.report.badKeys;
        return false;
    }
    std::vector<std::string> expansions = ExpandDefinitionVariables(folder, environment_);
    if (expansions.empty()) {
        ++load_.report.unknownVariableKeys;
        return false;
    }
    for (std::string& path : expansions) {
        // A relative folder would be taken against whatever the current folder is.
        if (!IsAbsolutePath(path)) {
            ++load_.report.badKeys;
            folders.clear();
            return false;
        }
        folders.push_back(WithoutBackslash(std::move(path)));
    }
    return true;
}

void Loader::ReadFileKey(View value, CleaningEntry& entry)
{
    Split(value, '|', fields_);
    if (fields_.size() < 2) {
        ++load_.report.badKeys;
        return;
    }
    bool recurse = false, removeSelf = false;
    for (std::size_t i = 2; i < fields_.size(); ++i) {
        if (SameAscii(fields_[i], "RECURSE")) recurse = true;
        else if (SameAscii(fields_[i], "REMOVESELF")) removeSelf = true;
        else if (!fields_[i].empty()) {
            ++load_.report.badKeys;
            return;
        }
    }
    Split(fields_[1], ';', masks_);
    for (View mask : masks_) {
        if (mask.empty() || HasSeparator(mask)) {
            ++load_.report.badKeys;
            return;
        }
    }
    if (!ExpandFolder(fields_[0], expanded_)) return;
    for (std::string& folder : expanded_) {
        FileTarget target;
        target.folder = WideFromUtf8(folder);
        for (View mask : masks_) target.masks.push_back(WideFromUtf8(std::string(mask)));
        target.recurse = recurse;
        target.removeSelf = removeSelf;
        target.text = std::string(value);
        entry.files.push_back(std::move(target));
    }
}

void Loader::ReadRegKey(View value, CleaningEntry& entry)
{
    const std::size_t bar = value.find('|');
    RegistryTarget target;
    if (ParseRegistryKey(Trim(value.substr(0, bar)), target.key) == nullptr) {
        ++load_.report.badKeys;
        return;
    }
    if (bar != View::npos) {
        const View name = Trim(value.substr(bar + 1));
        // "key|" names no value: deleting the whole key instead would take more than asked.
        if (name.empty()) {
            ++load_.report.badKeys;
            return;
        }
        target.action = RegistryAction::DeleteValue;
        target.value = std::string(name);
    }
    target.text = std::string(value);
    entry.registry.push_back(std::move(target));
}

void Loader::ReadExcludeKey(View value, CleaningEntry& entry)
{
    const std::size_t bar = value.find('|');
    const View kind = Trim(value.substr(0, bar));
    const View rest = bar == View::npos ? View() : value.substr(bar + 1);
    if (SameAscii(kind, "REG")) {
        const std::size_t valueBar = rest.find('|');
        Exclusion exclusion;
        exclusion.kind = Exclusion::Kind::Registry;
        if (ParseRegistryKey(Trim(rest.substr(0, valueBar)), exclusion.key) == nullptr) {
            ++load_.report.badKeys;
            return;
        }
        if (valueBar != View::npos) exclusion.value = std::string(Trim(rest.substr(valueBar + 1)));
        entry.exclusions.push_back(std::move(exclusion));
        return;
    }
    const bool isFile = SameAscii(kind, "FILE");
    if ((!isFile && !SameAscii(kind, "PATH")) || bar == View::npos) {
        ++load_.report.badKeys;
        return;
    }
    Split(rest, '|', fields_);
    // FILE names what to keep; PATH without a mask keeps the whole folder.
    if (fields_.size() > 2 || (isFile && (fields_.size() < 2 || fields_[1].empty()))) {
        ++load_.report.badKeys;
        return;
    }
    masks_.clear();
    if (fields_.size() == 2 && !fields_[1].empty()) Split(fields_[1], ';', masks_);
    for (View mask : masks_) {
        if (mask.empty() || HasSeparator(mask)) {
            ++load_.report.badKeys;
            return;
        }
    }
    if (masks_.empty()) masks_.push_back(View());
    if (!ExpandFolder(fields_[0], expanded_)) return;
    for (const std::string& folder : expanded_) {
        for (View mask : masks_) {
            Exclusion exclusion;
            exclusion.kind = isFile ? Exclusion::Kind::File : Exclusion::Kind::Path;
            exclusion.folder = WideFromUtf8(folder);
            exclusion.mask = WideFromUtf8(std::string(mask));
            entry.exclusions.push_back(std::move(exclusion));
        }
    }
}

// Why this Windows is outside the entry's DetectOS range; empty when it is inside.
std::string Loader::OsReason()
{
    if (!section_.hasDetectOS) return {};
    Split(section_.detectOS, '|', fields_);
    int minMajor = 0, minMinor = 0, maxMajor = 0, maxMinor = 0;
    const bool hasMin = fields_.size() == 2 && !fields_[0].empty();
    const bool hasMax = fields_.size() == 2 && !fields_[1].empty();
    if (fields_.size() != 2 || (hasMin && !ParseVersion(fields_[0], minMajor, minMinor)) ||
        (hasMax && !ParseVersion(fields_[1], maxMajor, maxMinor))) {
        ++load_.report.badKeys;
        return {};
    }
    const std::pair<int, int> here{environment_.windowsMajor, environment_.windowsMinor};
    if (hasMin && here < std::make_pair(minMajor, minMinor))
        return "needs Windows " + VersionText(minMajor, minMinor) + " or later";
    if (hasMax && here > std::make_pair(maxMajor, maxMinor))
        return "needs Windows " + VersionText(maxMajor, maxMinor) + " or earlier";
    return {};
}

// Every detect key is read (and a bad one counted) before any is looked up, so that the
// report does not depend on which one happened to answer first.
bool Loader::ReadDetectKeys(std::vector<std::string>& keys, std::vector<std::string>& paths)
{
    for (const NumberedKey& detect : section_.detects) {
        std::string key;
        if (ParseRegistryKey(detect.value, key) == nullptr) ++load_.report.badKeys;
        else keys.push_back(std::move(key));
    }
    for (const NumberedKey& detect : section_.detectFiles) {
        std::vector<std::string> expansions = ExpandDefinitionVariables(detect.value, environment_);
        const bool full = std::all_of(expansions.begin(), expansions.end(), [](const std::string& path) {
            return IsAbsolutePath(path);
        });
        if (detect.value.empty() || !full) ++load_.report.badKeys;
        else if (expansions.empty()) ++load_.report.unknownVariableKeys;
        else
            for (std::string& path : expansions) paths.push_back(std::move(path));
    }
    return !section_.detects.empty() || !section_.detectFiles.empty();
}

void Loader::Resolve()
{
    std::atomic<std::size_t> next{0};
    const auto work = [this, &next] {
        for (std::size_t i = next++; i < pending_.size(); i = next++) {
            Pending& p = pending_[i];
            for (const std::string& key : p.keys)
                if ((p.found = detector_.KeyExists(key))) break;
            if (p.found) continue;
            for (const std::string& path : p.paths)
                if ((p.found = detector_.PathExists(path))) break;
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (std::size_t t = 1; t < kDetectThreads && t * kEntriesPerThread < pending_.size(); ++t)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads, or none: this one does the rest.
    }
    work();
    for (std::thread& helper : helpers) helper.join();
    DefinitionsReport& report = load_.report;
    for (const Pending& p : pending_) {
        LoadedDefinition& loaded = load_.definitions[p.index];
        loaded.offered = p.found;
        if (p.found) {
            ++report.offered;
        } else {
            loaded.notOfferedReason = kNotInstalled;
            ++report.notOffered;
            ++report.notOfferedReasons[kNotInstalled];
        }
    }
    pending_.clear();
}

void Loader::Finish()
{
    DefinitionsReport& report = load_.report;
    report.badKeys += section_.badLines;
    report.ignoredKeys += section_.ignored;
    const auto byNumber = [](const NumberedKey& a, const NumberedKey& b) { return a.number < b.number; };
    for (auto* keys : {&section_.detects, &section_.detectFiles, &section_.fileKeys, &section_.regKeys,
                       &section_.excludeKeys})
        std::stable_sort(keys->begin(), keys->end(), byNumber);

    LoadedDefinition loaded;
    CleaningEntry& entry = loaded.entry;
    entry.name = std::string(section_.name);
    entry.group = Group();
    entry.source = source_;
    entry.warning = std::string(section_.warning);
    entry.notifyShell = section_.notifyShell;
    for (const NumberedKey& key : section_.fileKeys) ReadFileKey(key.value, entry);
    for (const NumberedKey& key : section_.regKeys) ReadRegKey(key.value, entry);
    for (const NumberedKey& key : section_.excludeKeys) ReadExcludeKey(key.value, entry);

    const std::string osReason = OsReason();
    ++report.entries;
    // The first of two entries of one name wins: ticks are kept by name.
    const bool duplicate = !entry.name.empty() && !names_.insert(UpperCaseUtf8(entry.name)).second;
    const bool unusable = entry.name.empty() || (entry.files.empty() && entry.registry.empty());
    std::vector<std::string> keys, paths;
    const bool detects = ReadDetectKeys(keys, paths);
    if (duplicate) {
        loaded.notOfferedReason = kDuplicateName;
    } else if (unusable) {
        loaded.unusable = true;
    } else if (!osReason.empty()) {
        loaded.notOfferedReason = osReason;
    } else if (detects) {
        // Counted once its detect keys are looked up, with the other entries' at the end.
        pending_.push_back({load_.definitions.size(), std::move(keys), std::move(paths)});
        load_.definitions.push_back(std::move(loaded));
        return;
    } else {
        loaded.offered = true;
    }
    if (loaded.offered) ++report.offered;
    else if (loaded.unusable) ++report.unusable;
    else {
        ++report.notOffered;
        ++report.notOfferedReasons[loaded.notOfferedReason];
    }
    load_.definitions.push_back(std::move(loaded));
}

} // namespace

DefinitionsLoad ParseDefinitions(const std::string& text, const std::string& source,
                                 const DefinitionEnvironment& environment)
{
    return Loader(source, environment).Parse(text);
}

DefinitionsLoad ReadDefinitions(const std::string& path, const std::string& source,
                                const DefinitionEnvironment& environment)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        DefinitionsLoad failed;
        failed.error = "Cannot read \"" + path + "\": " + ErrorText(::GetLastError());
        return failed;
    }
    std::string text;
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        // Notepad's "Unicode": UTF-16 little-endian.
        text = Utf8FromWide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (IsValidUtf8(bytes)) {
        text.swap(bytes);
    } else {
        text = Utf8FromAnsi(bytes);
    }
    return ParseDefinitions(text, source, environment);
}

} // namespace sweepora
