#include "imaging/FileEndings.h"

namespace {

// Only ASCII letters change: file endings are ASCII, and the bytes of other Windows-1252 letters must
// not depend on the locale the program happens to run in.
char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string ExtensionOf(std::string_view path) {
    std::string tail(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    for (char& c : tail) c = AsciiUpper(c);
    return tail;
}

bool EndsWithNoCase(std::string_view path, std::string_view ending) {
    if (path.size() < ending.size()) return false;
    const std::string_view tail = path.substr(path.size() - ending.size());
    for (size_t i = 0; i < ending.size(); ++i)
        if (AsciiUpper(tail[i]) != AsciiUpper(ending[i])) return false;
    return true;
}
