#pragma once

#include "platform/Cursor.h"

namespace platform {

// The wait cursor of the programs with a window: Qt's application-wide override cursor, which covers
// every window of the program and stacks, as nested waits need.
class QtCursor : public CursorService {
  public:
    void BeginWait() override;
    void EndWait() override;
};

}  // namespace platform
