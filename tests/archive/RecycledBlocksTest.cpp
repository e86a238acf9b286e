#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "archive/RecycledBlocks.h"

namespace {

struct Element {
    DECLARE_RECYCLED(Element)
    virtual ~Element() = default;
    int64_t value[4] = {};
};

// A derived class is larger than the blocks its base class keeps.
struct LargerElement : Element {
    int64_t more[16] = {};
};

TEST(RecycledBlocks, ADerivedObjectNeverGetsTheSmallerBlockOfItsBase) {
    std::vector<std::unique_ptr<Element>> freed;
    for (int i = 0; i < 4; ++i) freed.push_back(std::make_unique<Element>());
    std::vector<const void*> blocks;
    for (auto& e : freed) blocks.push_back(e.get());
    freed.clear();
    // Deleted through the base, the derived object goes back by its own size.
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<Element> larger = std::make_unique<LargerElement>();
        for (const void* block : blocks) EXPECT_NE(static_cast<const void*>(larger.get()), block);
        static_cast<LargerElement&>(*larger).more[15] = i;
    }
    // Objects of the class itself are made in any of them, on any thread, and freed on another.
    std::unique_ptr<Element> made;
    std::thread other([&] { made = std::make_unique<Element>(); });
    other.join();
    made->value[3] = 7;
    made.reset();
    std::thread freeing([&] { std::make_unique<Element>(); });
    freeing.join();
}

}  // namespace
