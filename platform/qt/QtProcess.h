#pragma once

#include "platform/Process.h"

namespace platform {

// Starts programs with QProcess::startDetached: the new process outlives the one that started it and
// gets its arguments as they are.
class QtProcessStarter : public ProcessStarter {
  public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace platform
