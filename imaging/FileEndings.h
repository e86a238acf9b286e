#pragma once

#include <string>
#include <string_view>

// Image files are told apart by how their names end, compared without regard to case as Windows
// compares names. Only the last characters count: there is no search for a dot, so a dotted folder
// name never stands in for the file's own ending.

// The last four characters of `path` in upper case (the whole name when shorter): ".JPG", ".PNG" and
// the like, by which loading by extension and the command-line tool pick a codec.
std::string ExtensionOf(std::string_view path);

// True when `path` ends in `ending`, letters compared without regard to case ("x.Pcx" ends in "PCX").
bool EndsWithNoCase(std::string_view path, std::string_view ending);
