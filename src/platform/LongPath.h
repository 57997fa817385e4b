#pragma once
// Paths travel through the engine as UTF-8 in the usual "C:\dir\name" spelling; they
// become "\\?\" paths in UTF-16 only where they reach the file system, so that any name
// NTFS allows and any length up to 32 767 characters works.
#include <string>

namespace sweepora {

// The "\\?\" form of a path: "C:\a\b" -> "\\?\C:\a\b", "\\srv\share\a" -> "\\?\UNC\srv\share\a".
// Separators are made backslashes and "." and ".." are resolved here, since the file
// system takes a "\\?\" path literally; names keep their trailing blanks and dots.
// A relative path is made absolute against the current folder.
std::wstring LongPath(const std::string& path);
std::wstring LongPath(std::wstring path);

// The usual spelling back from a "\\?\" path, as UTF-8, for the log and the views.
std::string DisplayPath(const std::wstring& longPath);

// A folder's final path after every link and spelling is resolved ("\\?\", UNC to an
// administrative share of this machine, "\\?\Volume{...}\", junctions, relative, "..",
// case): the long form, upper-cased, with one trailing backslash. The part of the path
// that does not exist yet is resolved lexically below its nearest existing ancestor.
std::wstring CanonicalFolder(const std::string& folder);
std::wstring CanonicalFolder(const std::wstring& folder);

// True when `inner` is `outer` or lies below it; both canonical.
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer);

// "\\?\C:\", "\\?\UNC\SRV\SHARE\" and "\\?\VOLUME{...}\" are roots; canonical input.
bool IsVolumeRoot(const std::wstring& canonical);

// The path with one trailing backslash.
std::wstring AddBackslashW(const std::wstring& path);

// True for "C:\x", "\\srv\share", "\\?\..." paths; false for "x", "C:x" and "\x".
bool IsAbsolutePath(const std::string& path);
bool IsAbsolutePath(const std::wstring& path);

} // namespace sweepora
