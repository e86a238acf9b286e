#pragma once

#include <optional>
#include <string>

namespace platform {

// Resolves a file name stored in a title (a Windows path in Windows-1252 bytes) to a real path on this
// file system. Both separators are accepted, a drive letter is dropped, and every component is matched
// against the real directory entries without regard to letter case, as the Windows file system did.
// Relative names resolve against baseDirectory (the current directory when it is empty). An absolute name
// that does not exist as it stands is looked for under baseDirectory too, dropping its leading folders
// one by one, because titles made for a CD keep the CD's drive and folders in their file names.
// Returns the real path (UTF-8) of an existing regular file, or nothing.
std::optional<std::string> ResolveWindowsPath(const std::string& storedName,
                                              const std::string& baseDirectory);

// The same resolution for a folder (the slide show names folders): returns the real path of an existing
// directory, or nothing.
std::optional<std::string> ResolveWindowsDirectory(const std::string& storedName,
                                                   const std::string& baseDirectory);

// The folder part and the name part of a path of this file system ("/a/b.fca" gives "/a" and "b.fca";
// "b.fca" gives "" and "b.fca"; "/b.fca" gives "/" and "b.fca").
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

}  // namespace platform
