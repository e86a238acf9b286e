#pragma once

#include <string>
#include <vector>

namespace platform {

// Starting another program as a process of its own, shown normally, without waiting for it and without
// anything coming back from it (Fabrio's Test starts Lumeo this way). Each argument reaches the program
// as one argument, whatever blanks or quotes it holds: no command line is put together and split again.
class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    // True when the program was started. `program` is a path or a name looked up on the search path.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// Without a backend nothing starts.
class NoProcessStarter : public ProcessStarter {
  public:
    bool StartDetached(const std::string&, const std::vector<std::string>&) override { return false; }
};

// Test double: records every start and answers `succeed`.
class RecordingProcessStarter : public ProcessStarter {
  public:
    struct Started {
        std::string program;
        std::vector<std::string> arguments;
    };
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override {
        started.push_back({program, arguments});
        return succeed;
    }

    std::vector<Started> started;
    bool succeed = true;
};

// The starter every layer goes through; NoProcessStarter until a program installs one. nullptr restores
// that.
ProcessStarter& Processes();
void SetProcessStarter(ProcessStarter* starter);

}  // namespace platform
