#pragma once

#include <string>
#include <vector>

namespace platform {

// The mouse cursor of the program's windows, as far as the layers below the user interface need it:
// the hourglass shown while a long operation (loading an image, opening a title) keeps the user waiting.
// Calls nest: the normal cursor comes back after as many EndWait calls as BeginWait calls.
class CursorService {
  public:
    virtual ~CursorService() = default;
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

// Without a window there is no cursor to change.
class NoCursor : public CursorService {
  public:
    void BeginWait() override {}
    void EndWait() override {}
};

// Test double: records every call in order ("begin", "end") and the current nesting depth.
class RecordingCursor : public CursorService {
  public:
    void BeginWait() override;
    void EndWait() override;
    // True while at least one wait is open.
    bool Waiting() const { return depth > 0; }

    std::vector<std::string> calls;
    int depth = 0;
};

// The cursor service every layer uses. Programs install their backend at start; until then nothing is
// shown. Installing nullptr restores that.
CursorService& Cursors();
void SetCursorService(CursorService* service);

// Shows the wait cursor for the lifetime of the guard, so that every way out of the waiting code
// (success, failure, exception) takes it away again. The guard ends the wait on the service it began
// it on, even if another one has been installed meanwhile.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    CursorService& service_;
};

}  // namespace platform
