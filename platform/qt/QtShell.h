#pragma once

#include "platform/Shell.h"

namespace platform {

// The shell of the programs with a window: the desktop's handler for the address (QDesktopServices),
// the browser for web addresses and the mail program for "mailto:".
class QtShell : public Shell {
  protected:
    bool OpenDesktopUrl(const std::string& url) override;
};

}  // namespace platform
