#include "erasure/FolderWalk.h"

#include "erasure/FileEraser.h"
#include "erasure/MatchingFiles.h"
#include "erasure/RefusalText.h"
#include "platform/ErrorText.h"
#include "platform/FolderListing.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/WideText.h"

#include <set>

namespace sweepora {

namespace {

std::string NotRemovedReason(DWORD error)
{
    if (error == ERROR_DIR_NOT_EMPTY) return "Not removed: not empty, something inside was kept";
    return "Not removed: " + ErrorText(error);
}

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

class Walk {
public:
    Walk(EraseContext& c, const WalkRequest& r) : c_(c), r_(r)
    {
        // "*.*" names every file on this system, dots or not.
        for (const std::wstring& mask : r.masks) masks_.push_back(mask == L"*.*" ? L"*" : mask);
    }

    WalkOutcome Run()
    {
        outcome_.emptied = Folder(r_.display, r_.folder, {}, true, r_.removeFolder);
        return outcome_;
    }

private:
    // What applies in one folder: the masks that may take files, whether the walk goes
    // below, whether the folder may go, and the exclusions' masks.
    struct Here {
        std::vector<std::wstring> masks;
        bool recurse = true;
        bool remove = true;
        std::vector<std::wstring> kept; // masks of kept files; empty text keeps everything
        bool keptWhole = false;
    };

    // The guard names folders by their canonical (upper-case) form; the line names this
    // one as the walk shows it.
    void Refused(const std::string& reason, const std::wstring& canonical, const std::string& shown)
    {
        const std::string why = SpelledRefusal(reason, canonical, shown);
        if (said_.insert(why).second) c_.log.AddLogEntry(r_.refusalTask, "Refused: " + why);
    }

    Here Judge(const std::wstring& canonical, const std::string& shown)
    {
        Here h;
        h.masks = masks_;
        h.recurse = r_.recurse;
        if (r_.guard) {
            FolderVerdict v = r_.guard->JudgeFolder(canonical, masks_, r_.recurse, r_.removeFolder || r_.removeSubfolders);
            for (const std::string& why : v.refusals) Refused(why, canonical, shown);
            h.masks = std::move(v.masks);
            outcome_.judged = true;
            outcome_.masksAllowed = outcome_.masksAllowed || !h.masks.empty();
            for (std::wstring& mask : h.masks)
                if (mask == L"*.*") mask = L"*";
            h.recurse = r_.recurse && v.recurse;
            h.remove = v.remove;
        }
        for (const KeptPlace& k : r_.kept) {
            if (!CanonicalFolderMatches(canonical, k.folder, k.orBelow)) continue;
            h.kept.push_back(k.mask);
            h.keptWhole = h.keptWhole || k.mask.empty() || k.mask == L"*" || k.mask == L"*.*";
        }
        return h;
    }

    bool Wanted(const std::wstring& name, const Here& h) const
    {
        if (masks_.empty() && !r_.guard && h.kept.empty()) return true;
        const std::wstring upper = UpperCaseWide(name);
        bool match = masks_.empty() && !r_.guard;
        for (const std::wstring& mask : h.masks) match = match || UpperNameMatches(upper, mask);
        if (!match) return false;
        for (const std::wstring& mask : h.kept)
            if (mask.empty() || UpperNameMatches(upper, mask == L"*.*" ? L"*" : mask)) return false;
        return true;
    }

    // A walked folder goes once its walk is over; in a test run it is taken as gone when
    // its contents would all have gone, and otherwise `notEmptied` says why it would stay.
    bool Remove(const std::string& display, const std::wstring& longPath, bool emptied, DWORD notEmptied)
    {
        if (c_.run.live) {
            if (!::RemoveDirectoryW(longPath.c_str())) {
                c_.log.AddLogEntry(display, NotRemovedReason(::GetLastError()));
                return false;
            }
        } else if (!emptied) {
            c_.log.AddLogEntry(display, NotRemovedReason(notEmptied));
            return false;
        }
        RememberGone(c_.run, longPath);
        c_.log.AddLogEntry(display, TimestampText());
        return true;
    }

    // True when the folder's contents are all gone (or, in a test run, would be).
    bool Folder(const std::string& display, const std::wstring& longPath, const std::wstring& canonicalIn, bool top,
                bool removeThis)
    {
        if (GoneInPreview(c_.run, longPath)) return true;
        // The program's own walks let the window breathe before each folder; an entry's
        // walk does so after each file it erased.
        if (!r_.guard) c_.yield();
        // The start is judged before anything is listed, so that an entry aimed at a
        // protected place is refused whether or not the place holds anything today.
        const bool needCanonical = r_.guard || !r_.kept.empty();
        std::wstring canonical = canonicalIn;
        Here h{masks_, r_.recurse, true, {}, false};
        if (top && needCanonical) {
            canonical = CanonicalFolder(longPath);
            h = Judge(canonical, display);
            if (r_.guard && h.masks.empty() && !h.recurse) {
                outcome_.refused = true;
                return false;
            }
        }
        FolderListing listing = ListFolder(longPath);
        // What a file of unknown origin names but this machine lacks is simply nothing to do.
        if (top && r_.guard && IsNotFound(listing.error)) return true;
        if (listing.isLink) {
            c_.log.AddLogEntry(display, "Not cleaned: the folder is a link, which is never followed");
            return false;
        }
        // Below the start every name comes from a listing, so the system's own name for
        // the folder must be the one the walk built; anything else came through a link.
        if (!top && !listing.finalPath.empty() && !SamePath(listing.finalPath, longPath)) {
            c_.log.AddLogEntry(display, "Not cleaned: reached through a link to " + DisplayPath(listing.finalPath));
            return false;
        }
        const std::wstring base = listing.finalPath.empty() ? longPath : listing.finalPath;
        // The start as the file system spells it, for every line below, when the request
        // names it in another case only (a caller may show a folder under another name on
        // purpose). Below it, names come from listings already.
        std::string shown = display;
        if (top && !listing.finalPath.empty()) {
            const std::string spelled = AddBackslash(DisplayPath(listing.finalPath));
            if (SamePath(WideFromUtf8(spelled), WideFromUtf8(display))) shown = spelled;
        }
        if (needCanonical && !top) {
            h = Judge(canonical, shown);
        } else if (needCanonical && !listing.finalPath.empty()) {
            // Changed between the judgement and the listing (a link put in its place): the
            // folder listed is the one that counts.
            const std::wstring listed = UpperCaseWide(AddBackslashW(listing.finalPath));
            if (listed != canonical) {
                canonical = listed;
                h = Judge(canonical, shown);
            }
        }
        bool emptied = listing.error == ERROR_SUCCESS && !h.keptWhole;
        // Each subfolder's own verdict decides whether it may go; a trace folder may
        // stay while all below it goes.
        const bool removeBelow = r_.removeSubfolders && h.recurse;
        for (const ListedEntry& entry : listing.entries) {
            if (c_.run.abort) break;
            const DWORD never = r_.hiddenFiles ? FILE_ATTRIBUTE_SYSTEM : FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
            if (entry.attributes & never) {
                emptied = false;
                continue;
            }
            ListedFile f{shown + Utf8FromWide(entry.name), AddBackslashW(base) + entry.name, entry};
            const bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                f.display += "\\";
                emptied = (removeBelow && !h.keptWhole && RemoveFolderLink(c_, f)) && emptied;
            } else if (isFolder) {
                if (!h.recurse) {
                    emptied = false;
                    continue;
                }
                const std::wstring below = canonical.empty() ? std::wstring() : canonical + UpperCaseWide(entry.name) + L"\\";
                emptied = Folder(f.display + "\\", f.longPath, below, false, removeBelow) && removeBelow && emptied;
            } else if (Wanted(entry.name, h)) {
                const std::string refusal = r_.guard ? r_.guard->FileRefusal(canonical, entry.name) : std::string();
                if (!refusal.empty()) {
                    Refused(refusal, canonical, shown);
                    ++outcome_.filesRefused;
                    emptied = false;
                    continue;
                }
                ++outcome_.filesAllowed;
                const DWORD error = EraseListedFile(c_, f);
                if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) outcome_.inUse = true;
                emptied = error == ERROR_SUCCESS && emptied;
            } else {
                emptied = false;
            }
            c_.yield();
        }
        listing.handle.reset();
        if (!removeThis || !h.remove || c_.run.abort) return false;
        if (h.keptWhole) {
            c_.log.AddLogEntry(shown, "Not removed: an exclusion keeps it");
            return false;
        }
        return Remove(shown, longPath, emptied,
                      listing.error == ERROR_SUCCESS ? ERROR_DIR_NOT_EMPTY : listing.error);
    }

    EraseContext& c_;
    const WalkRequest& r_;
    std::vector<std::wstring> masks_;
    WalkOutcome outcome_;
    std::set<std::string> said_;
};

} // namespace

bool CanonicalFolderMatches(const std::wstring& canonicalFolder, const std::wstring& pattern, bool orBelow)
{
    const std::vector<std::wstring_view> have = PathParts(canonicalFolder), want = PathParts(pattern);
    if (want.empty() || have.size() < want.size() || (!orBelow && have.size() != want.size())) return false;
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!UpperNameMatches(std::wstring(have[i]), std::wstring(want[i]))) return false;
    return true;
}

WalkOutcome WalkFolder(EraseContext& context, const WalkRequest& request)
{
    if (request.folder.empty()) return {};
    return Walk(context, request).Run();
}

} // namespace sweepora
