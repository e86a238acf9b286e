#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tests/support/Bytes.h"

// Files that tests write: a scratch folder per test, and whole files read and written as bytes.
namespace test_support {

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A fresh folder under the system's temporary folder, removed with everything in it afterwards. Its name
// is unique across processes, so test programs running side by side never share one. When no folder can
// be made the constructor throws, rather than let the test write beside itself in the working folder.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumeo-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder could be made");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder itself, or the path of `relative` inside it (nothing is made).
    std::string Path(const std::string& relative = "") const {
        return relative.empty() ? path_ : (std::filesystem::path(path_) / relative).string();
    }
    // The path of a file that the test is about to write, with the folders it lies in made.
    std::string PathFor(const std::string& relative) const {
        const std::string full = Path(relative);
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        return full;
    }
    // Creates a file (and its folders) inside the folder; returns its full path.
    std::string Write(const std::string& relative, const Bytes& bytes = {'x'}) const {
        const std::string full = PathFor(relative);
        WriteFileBytes(full, bytes);
        return full;
    }
    std::string MakeDir(const std::string& relative) const {
        const std::string full = Path(relative);
        std::filesystem::create_directories(full);
        return full;
    }

  private:
    std::string path_;
};

// One file in a scratch folder of its own, for tests that need nothing but the file.
class ScratchFile {
  public:
    ScratchFile(const Bytes& bytes, const std::string& name) : path_(folder_.Write(name, bytes)) {}
    const std::string& Path() const { return path_; }

  private:
    ScratchFolder folder_;
    std::string path_;
};

}  // namespace test_support
