#pragma once

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace platform_test {

// One QApplication for the whole test program, created the first time a test needs Qt and kept
// until the program ends (Qt does not allow a second one). It is never destroyed: among the exit
// handlers it would delete the pointing device that the first mouse event made after Qt's list of
// devices is already gone, and crash.
inline void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// A fresh directory under the system's temporary folder, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumeo-platform-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Creates a file (and its folders) at a path relative to the directory; returns its full path.
    std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes = {'x'}) const {
        std::filesystem::path full = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return full.string();
    }
    std::string MakeDir(const std::string& relative) const {
        std::filesystem::path full = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(full);
        return full.string();
    }

  private:
    std::string path_;
};

}  // namespace platform_test
