#include "platform/ChangeMark.h"

#include <atomic>

namespace platform {

uint64_t NewChangeMark() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace platform
