#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/MessageBox.h"

// Readers show message boxes on some failures; under a fuzzer they are recorded and forgotten, so
// that nothing is printed and nothing piles up between inputs.
inline void QuietMessages() {
    static platform::RecordingMessageBox boxes;
    static bool installed = (platform::SetMessageBox(&boxes), true);
    (void)installed;
    boxes.shown.clear();
}
