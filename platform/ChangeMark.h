#pragma once

#include <cstdint>

namespace platform {

// A new change mark: a number larger than every mark handed out before, in the whole program. Objects
// that keep what was made of them (an image's encoded bytes, a card's stored form) take one at every
// change, so that one comparison tells whether anything changed since, and the largest mark of a group
// of objects tells it for the whole group.
uint64_t NewChangeMark();

}  // namespace platform
