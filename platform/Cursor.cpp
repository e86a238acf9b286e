#include "platform/Cursor.h"

namespace platform {

namespace {
NoCursor noCursor;
CursorService* current = nullptr;
}  // namespace

void RecordingCursor::BeginWait() {
    calls.push_back("begin");
    ++depth;
}

void RecordingCursor::EndWait() {
    calls.push_back("end");
    --depth;
}

CursorService& Cursors() {
    return current ? *current : noCursor;
}
void SetCursorService(CursorService* service) {
    current = service;
}

WaitCursor::WaitCursor() : service_(Cursors()) {
    service_.BeginWait();
}
WaitCursor::~WaitCursor() {
    service_.EndWait();
}

}  // namespace platform
