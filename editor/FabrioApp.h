#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/ChildFrame.h"

class CMainFrame;

// What the command line asks of Fabrio: `fabrio [--no-splash] [FILE...]`.
struct FabrioOptions {
    std::vector<std::string> files;  // each opens in a child window of its own
    bool splash = true;
    bool help = false;
    std::string error;
};
FabrioOptions ParseFabrioOptions(const std::vector<std::string>& arguments);
std::string FabrioHelpText();

// The application object: the program's folder, the child factory and the main frame. Start-up opens
// the files named on the command line, or one new document when none is named.
class CFabrioApp {
  public:
    // `programDirectory` holds the running program (help pages and Lumeo are looked for there first);
    // `settingsFile` empty uses the program's own settings.
    CFabrioApp(std::string programDirectory, ChildFactory factory, const std::string& settingsFile = {});
    ~CFabrioApp();

    // Shows the main frame and opens the documents. False when files were named and none of them opened,
    // as a failed start-up command ends the program.
    bool Start(const FabrioOptions& options);

    CMainFrame& Frame() { return *frame_; }
    const std::string& ProgramDirectory() const { return programDirectory_; }

  private:
    std::string programDirectory_;
    std::unique_ptr<CMainFrame> frame_;
};
