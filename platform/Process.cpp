#include "platform/Process.h"

namespace platform {

namespace {

NoProcessStarter noStarter;
ProcessStarter* current = nullptr;

}  // namespace

ProcessStarter& Processes() {
    return current ? *current : noStarter;
}

void SetProcessStarter(ProcessStarter* starter) {
    current = starter;
}

}  // namespace platform
