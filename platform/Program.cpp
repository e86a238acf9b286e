#include "platform/Program.h"

namespace platform {

namespace {
Program current = Program::player;
}

Program CurrentProgram() { return current; }
void SetCurrentProgram(Program program) { current = program; }

}  // namespace platform
