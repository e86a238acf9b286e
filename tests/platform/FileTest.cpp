#include <gtest/gtest.h>

#include "platform/File.h"
#include "tests/support/ScratchFolder.h"

using namespace platform;
using test_support::ScratchFolder;

TEST(MemoryFile, ReadsWritesSeeksAndGrows) {
    MemoryFile file(std::vector<uint8_t>{1, 2, 3, 4});
    uint8_t buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(file.Remaining(), 1u);
    EXPECT_EQ(file.Read(buffer, 8), 1u);  // only what is left
    EXPECT_EQ(file.Read(buffer, 8), 0u);  // at the end
    file.Seek(10);                        // past the end: reads nothing, writing fills the gap
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_EQ(file.Remaining(), 0u);
    const uint8_t more[] = {9, 9};
    file.Write(more, 2);
    ASSERT_EQ(file.Length(), 12u);
    EXPECT_EQ(file.Bytes()[4], 0);
    EXPECT_EQ(file.Bytes()[11], 9);
    file.Seek(1);
    file.Write(more, 1);
    EXPECT_EQ(file.Bytes()[1], 9);
    EXPECT_EQ(file.Length(), 12u);
}

TEST(MemoryFile, WritingAtAnImpossiblePositionFailsAsAFullDisk) {
    MemoryFile file;
    file.Seek(UINT64_MAX - 1);
    try {
        file.Write("abc", 3);
        FAIL() << "a write that wraps around must not succeed";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause, FileError::diskFull);
    }
    file.Seek(uint64_t{1} << 40);
    EXPECT_THROW(file.Write("a", 1), FileException);
    EXPECT_EQ(file.Length(), 0u);
}

TEST(DiskFile, WritesThenReadsBack) {
    ScratchFolder dir;
    const std::string path = dir.Path() + "/data.bin";
    {
        DiskFile out;
        ASSERT_EQ(out.Open(path, DiskFile::Mode::write), FileError::none);
        out.Write("hello world", 11);
        EXPECT_EQ(out.Position(), 11u);
    }
    DiskFile in;
    ASSERT_EQ(in.Open(path, DiskFile::Mode::read), FileError::none);
    EXPECT_EQ(in.Length(), 11u);
    EXPECT_EQ(in.Path(), path);
    in.Seek(6);
    char buffer[16] = {};
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_THROW(in.Write("x", 1), FileException);  // opened for reading only
}

TEST(DiskFile, PositionAndLengthFollowEveryReadWriteAndSeek) {
    ScratchFolder dir;
    const std::string path = dir.Path() + "/data.bin";
    DiskFile file;
    ASSERT_EQ(file.Open(path, DiskFile::Mode::readWrite), FileError::none);
    file.Write("abcdef", 6);
    file.Seek(2);
    file.Write("XY", 2);  // overwriting inside keeps the length
    EXPECT_EQ(file.Position(), 4u);
    EXPECT_EQ(file.Length(), 6u);
    file.Seek(8);
    file.Write("Z", 1);  // writing past the end extends it
    EXPECT_EQ(file.Length(), 9u);
    file.Seek(3);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(file.Position(), 9u);
    EXPECT_EQ(file.Remaining(), 0u);
    file.Close();

    DiskFile again;  // an existing file opened for reading and writing keeps its bytes and length
    ASSERT_EQ(again.Open(path, DiskFile::Mode::readWrite), FileError::none);
    EXPECT_EQ(again.Length(), 9u);
    EXPECT_EQ(again.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "abXY");
}

TEST(DiskFile, OpenReportsTheCauseOfFailure) {
    ScratchFolder dir;
    DiskFile file;
    EXPECT_EQ(file.Open(dir.Path() + "/missing.fca", DiskFile::Mode::read), FileError::fileNotFound);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open(dir.Path(), DiskFile::Mode::read), FileError::accessDenied);
    EXPECT_EQ(file.Open(dir.Path(), DiskFile::Mode::write), FileError::accessDenied);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open("", DiskFile::Mode::read), FileError::badPath);
    const std::string plain = dir.Write("plain.txt");
    EXPECT_EQ(file.Open(plain + "/below", DiskFile::Mode::read), FileError::badPath);
}

TEST(SharedMemoryFile, ReadsInPlaceAndAFileReadWholeComesWithinItsLimit) {
    ScratchFolder dir;
    const std::string path = dir.Write("whole.bin", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
    FileError error = FileError::generic;
    SharedBytes bytes = ReadWholeFile(path, 10, &error);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(error, FileError::none);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "0123456789");

    SharedMemoryFile file(bytes, path);
    EXPECT_EQ(file.Shared(), bytes) << "the same bytes, not a copy";
    file.Seek(7);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "789");
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_THROW(file.Write("x", 1), FileException);
    EXPECT_EQ(MemoryFile().Shared(), nullptr);

    // Larger than the limit: nothing, and no error, so that the caller reads it piece by piece.
    error = FileError::generic;
    EXPECT_EQ(ReadWholeFile(path, 9, &error), nullptr);
    EXPECT_EQ(error, FileError::none);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/missing.bin", 10, &error), nullptr);
    EXPECT_EQ(error, FileError::fileNotFound);
}
