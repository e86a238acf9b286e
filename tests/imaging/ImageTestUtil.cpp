#include "tests/imaging/ImageTestUtil.h"

#include <filesystem>

namespace imaging_test {

std::string ScratchDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::path(LUMEO_BINARY_DIR) / "test-scratch" / "imaging" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

}  // namespace imaging_test
