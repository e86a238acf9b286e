#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The address that may be handed to the desktop for a target that a title or a link names, or nothing
// when it must not be: only web addresses ("http:", "https:", or a bare "www." address, which the
// Windows shell opened as a web address too) and e-mail forms ("mailto:") are opened. A title could
// otherwise name a program, a script or a document to be run, and the shell would run it; for the same
// reason an e-mail form that asks to attach files is refused. Surrounding blanks are dropped; control
// characters refuse the whole target.
std::optional<std::string> DesktopUrl(std::string_view target);

// The shell's "open" of web addresses and e-mail forms: the system's browser or mail program takes them.
// Targets are UTF-8.
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens the target with the system's handler when DesktopUrl accepts it; true when it was handed
    // over. A refused target is not opened and reports false, as a target the shell could not open.
    bool Open(std::string_view target);

  protected:
    // Hands an address that DesktopUrl gave to the desktop; true when the desktop took it.
    virtual bool OpenDesktopUrl(const std::string& url) = 0;
};

// Without a desktop nothing opens.
class NoShell : public Shell {
  protected:
    bool OpenDesktopUrl(const std::string&) override { return false; }
};

// Test double: records the addresses that reached the desktop and answers `succeed`.
class RecordingShell : public Shell {
  public:
    std::vector<std::string> opened;
    bool succeed = true;

  protected:
    bool OpenDesktopUrl(const std::string& url) override {
        opened.push_back(url);
        return succeed;
    }
};

// The shell every layer opens addresses through; NoShell until a program installs one. nullptr restores
// that.
Shell& Shells();
void SetShell(Shell* shell);

}  // namespace platform
