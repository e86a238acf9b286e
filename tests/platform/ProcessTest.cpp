#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/Process.h"
#include "platform/qt/QtProcess.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::string ReadWhenWritten(const std::string& path) {
    for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The writer may still be closing the file.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(QtProcessStarter, EachArgumentArrivesWholeBlanksAndQuotesIncluded) {
    test_support::EnsureQtApplication();
    test_support::ScratchFolder dir;
    const std::string out = dir.Path() + "/out.txt";
    platform::QtProcessStarter starter;
    // The started shell writes its first argument, bracketed, and how many arguments it got.
    ASSERT_TRUE(starter.StartDetached(
        "/bin/sh", {"-c", "printf '[%s] %s' \"$1\" \"$#\" > \"$2\"", "sh", "my \"odd\" title.fca", out}));
    EXPECT_EQ(ReadWhenWritten(out), "[my \"odd\" title.fca] 2");
}

TEST(QtProcessStarter, AProgramThatDoesNotExistDoesNotStart) {
    test_support::EnsureQtApplication();
    platform::QtProcessStarter starter;
    EXPECT_FALSE(starter.StartDetached("/no/such/program/lumeo", {"x.fca"}));
}

TEST(ProcessStarters, NothingStartsUntilAProgramInstallsABackend) {
    EXPECT_FALSE(platform::Processes().StartDetached("/bin/true", {}));
    platform::RecordingProcessStarter recording;
    platform::SetProcessStarter(&recording);
    EXPECT_TRUE(platform::Processes().StartDetached("lumeo", {"a b.fca"}));
    platform::SetProcessStarter(nullptr);
    ASSERT_EQ(recording.started.size(), 1u);
    EXPECT_EQ(recording.started[0].arguments, (std::vector<std::string>{"a b.fca"}));
    EXPECT_FALSE(platform::Processes().StartDetached("/bin/true", {}));
}
