#include "erasure/RegistryGuard.h"

#include "erasure/MatchingFiles.h"
#include "platform/RegistryAccess.h"
#include "platform/TaskScheduler.h"
#include "platform/Text.h"

#include <initializer_list>

namespace sweepora {

namespace {

using Parts = std::vector<std::string>;

// OtherUser: another user's hive, the default profile's, the system's, or one a wildcard picks.
enum class Hive { Machine, User, AllUsers, OtherUser };

struct Key {
    Hive hive = Hive::Machine;
    std::string root; // the root's full name, a user's SID after HKEY_USERS
    Parts parts;      // below the root, upper case
    bool wildHive = false; // OtherUser: a wildcard stands for the hive
};

// This user's SID, upper case; empty when the token cannot be read (then no hive is this user's).
const std::string& OwnSid()
{
    static const std::string sid = UpperCaseUtf8(CurrentUserSid());
    return sid;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

Parts Split(const std::string& key)
{
    Parts parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = key.find('\\', start);
        const std::size_t length = slash == std::string::npos ? std::string::npos : slash - start;
        const std::string part = Trimmed(key.substr(start, length));
        if (!part.empty()) parts.push_back(UpperCaseUtf8(part));
        if (slash == std::string::npos) return parts;
        start = slash + 1;
    }
}

bool In(const std::string& part, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (part == name) return true;
    return false;
}

Key Make(Hive hive, std::string root, std::initializer_list<const char*> first, const Parts& rest, std::size_t from)
{
    Key k{hive, std::move(root), {}};
    for (const char* part : first) k.parts.emplace_back(part);
    for (std::size_t i = from; i < rest.size(); ++i)
        // The 32-bit view of a key is judged, and excluded, as the key itself.
        if (rest[i] != "WOW6432NODE") k.parts.push_back(rest[i]);
    return k;
}

std::vector<Key> Parse(const std::string& text)
{
    const Parts parts = Split(text);
    if (parts.empty()) return {};
    const RegistryRoot* found = FindRegistryRoot(parts[0], true);
    const HKEY root = found ? found->handle : nullptr;
    if (root == HKEY_LOCAL_MACHINE) return {Make(Hive::Machine, "HKEY_LOCAL_MACHINE", {}, parts, 1)};
    if (root == HKEY_CURRENT_USER) return {Make(Hive::User, "HKEY_CURRENT_USER", {}, parts, 1)};
    if (root == HKEY_CLASSES_ROOT)
        return {Make(Hive::User, "HKEY_CURRENT_USER", {"SOFTWARE", "CLASSES"}, parts, 1),
                Make(Hive::Machine, "HKEY_LOCAL_MACHINE", {"SOFTWARE", "CLASSES"}, parts, 1)};
    if (root == HKEY_CURRENT_CONFIG)
        return {Make(Hive::Machine, "HKEY_LOCAL_MACHINE", {"SYSTEM", "CURRENTCONTROLSET", "HARDWARE PROFILES", "CURRENT"},
                     parts, 1)};
    if (root != HKEY_USERS) return {};
    if (parts.size() == 1) return {Key{Hive::AllUsers, "HKEY_USERS", {}}};
    const std::string& sid = parts[1];
    const std::string classes = "_CLASSES";
    const bool ofClasses =
        sid.size() > classes.size() && sid.compare(sid.size() - classes.size(), classes.size(), classes) == 0;
    const std::string owner = ofClasses ? sid.substr(0, sid.size() - classes.size()) : sid;
    const Hive hive = !OwnSid().empty() && owner == OwnSid() ? Hive::User : Hive::OtherUser;
    Key k = ofClasses ? Make(hive, "HKEY_USERS\\" + owner, {"SOFTWARE", "CLASSES"}, parts, 2)
                      : Make(hive, "HKEY_USERS\\" + sid, {}, parts, 2);
    k.wildHive = HasWildcard(std::string_view(sid));
    return {k};
}

// How much of a key an entry may take.
enum class Level {
    Free,      // anything
    Values,    // its named values, and what lies below it; never the key whole
    Container, // only what lies below it
    Whole      // nothing, at any depth
};

struct Verdict {
    Level level = Level::Free;
    const char* why = "";
};

constexpr const char* kHiveRoot = "the root of a hive";
constexpr const char* kHiveChild = "a key directly below the root of a hive";
constexpr const char* kShared = "a key Windows and many programs share";
constexpr const char* kWindowsOwn = "Windows' own settings";
constexpr const char* kShellOwn = "where the shell keeps its own settings";
constexpr const char* kClients = "the registration of browsers, mail and media programs";

struct Tree {
    const char* name;
    const char* why;
};

// Below Software\Microsoft\Windows\CurrentVersion: nothing at any depth.
constexpr Tree kCurrentVersionTrees[] = {
    {"RUN", "what starts with Windows is never erased"},
    {"RUNONCE", "what starts with Windows is never erased"},
    {"RUNONCEEX", "what starts with Windows is never erased"},
    {"RUNSERVICES", "what starts with Windows is never erased"},
    {"RUNSERVICESONCE", "what starts with Windows is never erased"},
    {"POLICIES", "the administrator's policies are never erased"},
    {"GROUP POLICY", "the administrator's policies are never erased"},
    {"INSTALLER", "Windows' record of installed programs and components is never erased"},
    {"SIDEBYSIDE", "Windows' record of installed programs and components is never erased"},
    {"COMPONENT BASED SERVICING", "Windows' record of installed programs and components is never erased"},
    {"AUTHENTICATION", "how users log on is never erased"},
    {"WINEVT", "Windows' own configuration is never erased"}};

// Below Software\Microsoft\Windows NT\CurrentVersion: nothing at any depth.
constexpr Tree kNtCurrentVersionTrees[] = {
    {"WINLOGON", "how users log on is never erased"},
    {"PROFILELIST", "how users log on is never erased"},
    {"FONTS", "the installed fonts are never erased"},
    {"FONTSUBSTITUTES", "the installed fonts are never erased"},
    {"SVCHOST", "Windows' own configuration is never erased"},
    {"WINDOWS", "Windows' own configuration is never erased"}};

// Below Software\Microsoft\Windows\CurrentVersion\Explorer: nothing at any depth.
constexpr const char* kExplorerTrees[] = {"ADVANCED", "SHELL FOLDERS", "USER SHELL FOLDERS", "FOLDERDESCRIPTIONS"};

// `s` from `i` on lies below a Software key (of a hive, or the shell's own in Local Settings).
Verdict SoftwareVerdict(const Parts& s, std::size_t i)
{
    const std::size_t m = s.size() - i;
    if (m == 0) return {Level::Container, kHiveChild};
    const std::string& top = s[i];
    if (top == "CLASSES") {
        if (m >= 2 && s[i + 1] == "LOCAL SETTINGS") {
            if (m == 2 || (m == 3 && s[i + 2] == "SOFTWARE")) return {Level::Container, kShellOwn};
            // The shell's own Software tree, with the same keys to keep as any other.
            if (s[i + 2] == "SOFTWARE") return SoftwareVerdict(s, i + 3);
            return {};
        }
        return {Level::Whole, "the registered file types, programs and components are never erased"};
    }
    if (top == "POLICIES") return {Level::Whole, "the administrator's policies are never erased"};
    if (top == "CLIENTS") return m <= 2 ? Verdict{Level::Values, kClients} : Verdict{};
    if (top == "REGISTEREDAPPLICATIONS") return m == 1 ? Verdict{Level::Values, kClients} : Verdict{};
    if (top != "MICROSOFT") return {};
    if (m == 1) return {Level::Container, kShared};
    const std::string& product = s[i + 1];
    if (In(product, {"CRYPTOGRAPHY", "SYSTEMCERTIFICATES", "ENTERPRISECERTIFICATES"}))
        return {Level::Whole, "the system's cryptography and certificates are never erased"};
    if (product == "WINDOWS DEFENDER") return {Level::Whole, "the security software's settings are never erased"};
    if (In(product, {"OLE", "RPC"})) return {Level::Whole, "Windows' own configuration is never erased"};
    const bool windows = product == "WINDOWS";
    if (!windows && product != "WINDOWS NT") return m == 2 ? Verdict{Level::Values, kShared} : Verdict{};
    if (m == 2) return {Level::Container, kWindowsOwn};
    if (s[i + 2] != "CURRENTVERSION") return {};
    if (m == 3) return {Level::Container, kWindowsOwn};
    const std::string& child = s[i + 3];
    if (windows) {
        for (const Tree& tree : kCurrentVersionTrees)
            if (child == tree.name) return {Level::Whole, tree.why};
        if (child == "EXPLORER" && m >= 5)
            for (const char* tree : kExplorerTrees)
                if (s[i + 4] == tree)
                    return {Level::Whole, "where the user's folders are and how Explorer shows them are never erased"};
    } else {
        for (const Tree& tree : kNtCurrentVersionTrees)
            if (child == tree.name) return {Level::Whole, tree.why};
    }
    return m == 4 ? Verdict{Level::Values, kWindowsOwn} : Verdict{};
}

Verdict KeyVerdict(const Key& k)
{
    if (k.hive == Hive::AllUsers) return {Level::Whole, "the hives of every user are never erased"};
    if (k.hive == Hive::OtherUser)
        return {Level::Whole, k.wildHive ? "a wildcard may not stand for a user's hive: only this user's own is erased"
                                         : "another user's hive (or the default or a service profile's) is never erased"};
    if (k.parts.empty()) return {Level::Container, kHiveRoot};
    if (k.hive == Hive::Machine) {
        // SYSTEM, SAM, SECURITY, HARDWARE, BCD, COMPONENTS, DRIVERS, SCHEMA: Windows itself.
        if (k.parts[0] != "SOFTWARE")
            return {Level::Whole, "this part of the registry belongs to Windows itself and is never erased"};
        return SoftwareVerdict(k.parts, 1);
    }
    if (In(k.parts[0], {"CONTROL PANEL", "ENVIRONMENT", "VOLATILE ENVIRONMENT", "KEYBOARD LAYOUT", "PRINTERS", "NETWORK",
                        "CONSOLE"}))
        return {Level::Whole, "the user's Windows settings are never erased"};
    if (k.parts.size() == 1) return {Level::Container, kHiveChild};
    if (k.parts[0] == "SOFTWARE") return SoftwareVerdict(k.parts, 1);
    return {};
}

std::string Reason(const Verdict& v)
{
    switch (v.level) {
    case Level::Values:
        return std::string(v.why) + "; only its named values and what lies below it may go";
    case Level::Container:
        return std::string(v.why) + "; only what lies below it may go";
    case Level::Whole:
    case Level::Free:
        break;
    }
    return v.why;
}

std::string What(RegistryAction action, const std::string& key, const std::string& value)
{
    const std::string shown = value.empty() ? std::string("(default)") : "\"" + value + "\"";
    switch (action) {
    case RegistryAction::DeleteKey:
        return "deleting " + key;
    case RegistryAction::DeleteSubkeys:
        return "deleting the subkeys of " + key;
    case RegistryAction::DeleteAllValues:
        return "deleting the values of " + key;
    case RegistryAction::DeleteValue:
        return "deleting the value " + shown + " of " + key;
    case RegistryAction::DeleteNumberedValue:
        return "deleting the values " + shown + " and its numbered companions of " + key;
    }
    return "erasing " + key;
}

} // namespace

std::vector<std::string> CanonicalRegistryKeys(const std::string& key)
{
    std::vector<std::string> forms;
    for (const Key& k : Parse(key)) {
        std::string form = k.root;
        for (const std::string& part : k.parts) form += "\\" + part;
        forms.push_back(form);
    }
    return forms;
}

std::string RegistryRefusal(RegistryAction action, const std::string& key, const std::string& value)
{
    const std::string shown = Trimmed(key);
    const std::vector<Key> keys = Parse(key);
    if (keys.empty()) return "\"" + shown + "\" is not a key of a known registry root";
    const bool valueAction = action == RegistryAction::DeleteValue || action == RegistryAction::DeleteNumberedValue;
    // HKEY_CLASSES_ROOT is the user's and the machine's: both halves must allow it.
    for (const Key& k : keys) {
        const Verdict v = KeyVerdict(k);
        if (v.level == Level::Free || (v.level == Level::Values && valueAction)) continue;
        return What(action, shown, value) + ": " + Reason(v);
    }
    return {};
}

} // namespace sweepora
