#include "platform/Shell.h"

#include <cctype>
#include <string>

namespace platform {

namespace {

NoShell noShell;
Shell* current = nullptr;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

bool HasControlCharacter(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// "http://" or "https://" followed by at least one character of a host.
bool IsWebAddress(std::string_view s) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")})
        if (StartsWithNoCase(s, scheme)) {
            const std::string_view rest = s.substr(scheme.size());
            return !rest.empty() && rest.front() != '/';
        }
    return false;
}

// The name of a query parameter with its percent escapes decoded and in lower case.
std::string ParameterName(std::string_view parameter) {
    const std::string_view name = parameter.substr(0, parameter.find('='));
    std::string decoded;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            decoded += static_cast<char>(std::stoi(std::string(name.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            decoded += name[i];
        }
    }
    for (char& c : decoded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return decoded;
}

// Some mail programs attach the files that an "attach" parameter names, so a title could mail away
// the reader's files; such forms are not opened.
bool AttachesFiles(std::string_view mailto) {
    const size_t query = mailto.find('?');
    if (query == std::string_view::npos) return false;
    std::string_view rest = mailto.substr(query + 1);
    while (!rest.empty()) {
        const size_t end = rest.find('&');
        const std::string name = ParameterName(rest.substr(0, end));
        if (name == "attach" || name == "attachment") return true;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

std::optional<std::string> DesktopUrl(std::string_view target) {
    const std::string_view t = Trimmed(target);
    if (t.empty() || HasControlCharacter(t)) return std::nullopt;
    // Checked before the scheme: "www.example.com:8080" would otherwise read as a scheme of its own.
    if (StartsWithNoCase(t, "www.") && t.size() > 4) return "http://" + std::string(t);
    if (IsWebAddress(t)) return std::string(t);
    if (StartsWithNoCase(t, "mailto:") && !AttachesFiles(t)) return std::string(t);
    return std::nullopt;
}

bool Shell::Open(std::string_view target) {
    const std::optional<std::string> url = DesktopUrl(target);
    return url && OpenDesktopUrl(*url);
}

Shell& Shells() {
    return current ? *current : noShell;
}
void SetShell(Shell* shell) {
    current = shell;
}

}  // namespace platform
