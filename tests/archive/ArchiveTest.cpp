#include <gtest/gtest.h>

#include "model/Archive.h"

TEST(ArchiveSmoke, WritesAndReadsAString) {
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        ar.WriteString("hola");
        ar.Close();
    }
    file.Seek(0);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadString(), "hola");
}
