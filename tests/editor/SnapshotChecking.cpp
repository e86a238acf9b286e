#include "model/FichaDoc.h"

namespace {
// Every undo snapshot these tests take is also stored the plain way and compared, so that a command
// that changes a stored member without its change mark fails here instead of losing an author's work.
const bool kSnapshotsChecked = [] {
    CFichaDoc::CheckSnapshotsAgainstStore(true);
    return true;
}();
}  // namespace
