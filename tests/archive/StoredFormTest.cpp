#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "archive/OwnedArray.h"
#include "platform/ChangeMark.h"
#include "platform/PieceFile.h"
#include "tests/support/Bytes.h"
#include "tests/support/Streams.h"

namespace {

using namespace test_support;

class CFormLeaf : public CObject {
    DECLARE_SERIAL(CFormLeaf)
  public:
    explicit CFormLeaf(uint32_t v = 0) : value(v) {}
    void Serialize(CArchive& ar) override { ar.Io(value); }
    uint32_t value;
};
IMPLEMENT_SERIAL(CFormLeaf, CObject, 1)

class CFormLeaves : public COwnedArray<CFormLeaf> {
    DECLARE_SERIAL(CFormLeaves)
};
IMPLEMENT_SERIAL(CFormLeaves, CObject, 1)

// A record that keeps its stored form, as cards and sprites do: its own value, owned leaves (new classes
// the first time, class references after) and, optionally, a reference to an object stored before it.
class CFormRecord : public CObject {
    DECLARE_SERIAL(CFormRecord)
  public:
    void Serialize(CArchive& ar) override {
        ++serialized;
        ar.Io(value);
        leaves.Serialize(ar);
        if (ar.IsStoring()) ar.WriteObject(earlier);
    }
    StoredForm* GetStoredForm() override { return keepsForm ? &form : nullptr; }
    uint64_t StoredChangeMark() const override { return std::max(changeMark, leaves.ChangeMark()); }
    void Set(uint32_t v) {
        value = v;
        changeMark = platform::NewChangeMark();
    }

    uint32_t value = 0;
    CFormLeaves leaves;
    const CObject* earlier = nullptr;
    uint64_t changeMark = 0;
    int serialized = 0;
    bool keepsForm = true;
    StoredForm form;
};
IMPLEMENT_SERIAL(CFormRecord, CObject, 1)

class CFormRecords : public COwnedArray<CFormRecord> {
    DECLARE_SERIAL(CFormRecords)
};
IMPLEMENT_SERIAL(CFormRecords, CObject, 1)

class StoredFormTest : public testing::Test {
  protected:
    void SetUp() override {
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CFormLeaf));
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CFormLeaves));
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CFormRecord));
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CFormRecords));
    }

    std::unique_ptr<CFormRecord> Record(uint32_t value, int leaves) {
        auto record = std::make_unique<CFormRecord>();
        record->value = value;
        for (int i = 0; i < leaves; ++i) record->leaves.Add(std::make_unique<CFormLeaf>(value * 10 + i));
        return record;
    }

    // The records stored the plain way and into pieces; the pieces must hold the same bytes.
    platform::PieceBytes StoreBoth(const std::vector<std::unique_ptr<CFormRecord>>& records) {
        auto write = [&](CArchive& ar) {
            ar.WriteCount(static_cast<uint32_t>(records.size()));
            for (const auto& record : records) ar.WriteObject(record.get());
        };
        const Bytes plain = Store(write);
        platform::PieceFile file;
        {
            CArchive ar(file, CArchive::store);
            write(ar);
            ar.Close();
        }
        platform::PieceBytes pieces = file.Take();
        const platform::SharedBytes joined = pieces.Joined();
        EXPECT_EQ(*joined, plain);
        return pieces;
    }

    static std::vector<int> SerializedCounts(const std::vector<std::unique_ptr<CFormRecord>>& records) {
        std::vector<int> counts;
        for (const auto& record : records) counts.push_back(record->serialized);
        return counts;
    }
};

TEST_F(StoredFormTest, UnchangedRecordsAreNotStoredAgainAndAChangedOneIs) {
    std::vector<std::unique_ptr<CFormRecord>> records;
    for (uint32_t i = 0; i < 4; ++i) records.push_back(Record(i, 2));
    StoreBoth(records);
    // The plain storing stores each once, the first into pieces once more.
    EXPECT_EQ(SerializedCounts(records), (std::vector<int>{2, 2, 2, 2}));
    const platform::PieceBytes first = StoreBoth(records);
    EXPECT_EQ(SerializedCounts(records), (std::vector<int>{3, 3, 3, 3}));

    records[2]->Set(99);
    records[3]->leaves.Add(std::make_unique<CFormLeaf>(7));
    const platform::PieceBytes second = StoreBoth(records);
    EXPECT_EQ(SerializedCounts(records), (std::vector<int>{4, 4, 5, 5}));
    EXPECT_FALSE(first == second);
    // After the count, the unchanged records' bytes are the very bytes of the first storing, not copies.
    ASSERT_GE(first.Pieces().size(), 2u);
    ASSERT_GE(second.Pieces().size(), 2u);
    EXPECT_EQ(first.Pieces()[1].data, second.Pieces()[1].data);
}

TEST_F(StoredFormTest, ARecordInsertedInFrontShiftsTheClassIndicesOfTheOnesAfterIt) {
    // The first record enters the leaf classes and refers to them by index; a record put before it takes
    // those classes over, so the old first record's bytes are no longer right and must be stored again.
    std::vector<std::unique_ptr<CFormRecord>> records;
    records.push_back(Record(1, 3));
    records.push_back(Record(2, 2));
    StoreBoth(records);
    StoreBoth(records);
    records.insert(records.begin(), Record(0, 1));
    StoreBoth(records);
    records.erase(records.begin());
    StoreBoth(records);
    // An empty record in front enters only its own class: the indices after it move by one.
    records.insert(records.begin(), Record(5, 0));
    StoreBoth(records);
    StoreBoth(records);
}

TEST_F(StoredFormTest, ARecordThatRefersToAnEarlierObjectKeepsNoForm) {
    // Only objects without a form can be referred to: the objects of a reused form are not entered in the
    // store map (titles never refer to an object twice: every object is an owned element).
    std::vector<std::unique_ptr<CFormRecord>> records;
    records.push_back(Record(1, 1));
    records.push_back(Record(2, 1));
    records.push_back(Record(3, 1));
    records[0]->keepsForm = false;
    records[1]->earlier = records[0].get();
    StoreBoth(records);
    StoreBoth(records);
    StoreBoth(records);
    // The reference is an index that depends on what came before, so the record is stored every time,
    // and the record after it still keeps its form.
    EXPECT_EQ(SerializedCounts(records), (std::vector<int>{6, 6, 4}));
}

TEST_F(StoredFormTest, AnArrayOfRecordsIsAppendedWholeUntilAnElementChanges) {
    CFormRecords array;
    for (uint32_t i = 0; i < 3; ++i) array.Add(Record(i, 1));
    auto counts = [&] {
        std::vector<int> c;
        for (const CFormRecord* record : array) c.push_back(record->serialized);
        return c;
    };
    auto storeBoth = [&] {
        const Bytes plain = StoreEmbedded(array);
        platform::PieceFile file;
        {
            CArchive ar(file, CArchive::store);
            array.Serialize(ar);
            ar.Close();
        }
        EXPECT_EQ(*file.Take().Joined(), plain);
    };
    storeBoth();
    storeBoth();
    EXPECT_EQ(counts(), (std::vector<int>{3, 3, 3}));
    // One changed element: the array is recorded again around the other elements' forms.
    array.GetAt(1)->Set(50);
    storeBoth();
    EXPECT_EQ(counts(), (std::vector<int>{4, 5, 4}));
    // An element taken out is a change of the array itself. The new first element now enters the
    // classes and is stored again; the last one finds the classes as they were and keeps its form.
    std::unique_ptr<CFormRecord> taken = array.RemoveAt(0);
    storeBoth();
    storeBoth();
    EXPECT_EQ(counts(), (std::vector<int>{8, 6}));
    // An element that keeps no form leaves the array without one; the others keep theirs.
    array.GetAt(0)->keepsForm = false;
    storeBoth();
    storeBoth();
    EXPECT_EQ(counts(), (std::vector<int>{12, 8}));
}

TEST(PieceFileTest, KeepsLargeSharedBytesAsPiecesAndCopiesSmallOnes) {
    auto owner = std::make_shared<const std::vector<uint8_t>>(4096, uint8_t{0x5A});
    platform::PieceFile file;
    const uint8_t head[] = {1, 2, 3};
    file.Write(head, sizeof head);
    file.WriteShared(owner, 100, 1000);
    file.WriteShared(owner, 1100, 200);  // continues the piece, but small: copied
    file.WriteShared(owner, 0, 2000);
    EXPECT_EQ(file.Position(), 3u + 1000 + 200 + 2000);
    EXPECT_THROW(file.Seek(0), platform::FileException);
    uint8_t byte;
    EXPECT_THROW(file.Read(&byte, 1), platform::FileException);

    const platform::PieceBytes taken = file.Take();
    EXPECT_EQ(file.Position(), 0u);
    ASSERT_EQ(taken.Pieces().size(), 4u);
    EXPECT_EQ(taken.Pieces()[1].data, owner->data() + 100);
    EXPECT_EQ(taken.Pieces()[3].data, owner->data());
    std::vector<uint8_t> expected = {1, 2, 3};
    expected.resize(expected.size() + 3200, 0x5A);
    EXPECT_EQ(*taken.Joined(), expected);
}

TEST(PieceFileTest, AppendedPiecesJoinWhereTheyContinueAndEqualityIgnoresHowBytesAreSplit) {
    auto owner = std::make_shared<const std::vector<uint8_t>>(Text("abcdefghijklmnopqrstuvwxyz"));
    auto piece = [&](size_t offset, size_t size) {
        return platform::BytePiece{owner.get(), owner->data() + offset, size};
    };
    platform::PieceFile file;
    file.Append({{piece(0, 5), piece(5, 5), piece(20, 6)}, {owner}});
    const platform::PieceBytes joined = file.Take();
    ASSERT_EQ(joined.Pieces().size(), 2u);
    EXPECT_EQ(joined.Pieces()[0].size, 10u);

    platform::PieceFile other;
    other.Write("abc", 3);
    other.Write("defghij", 7);
    other.Write("uvwxyz", 6);
    const platform::PieceBytes written = other.Take();
    EXPECT_TRUE(joined == written);
    EXPECT_EQ(*joined.Joined(), Text("abcdefghijuvwxyz"));

    platform::PieceFile different;
    different.Write("abcdefghijuvwxyZ", 16);
    EXPECT_FALSE(joined == different.Take());
    // One piece that covers its whole buffer is handed out as that buffer.
    platform::PieceFile whole;
    whole.Append({{piece(0, owner->size())}, {owner}});
    EXPECT_EQ(whole.Take().Joined(), owner);
}

TEST(PieceFileTest, AStretchTakenOutIsNotGrownByWhatFollows) {
    auto owner = std::make_shared<const std::vector<uint8_t>>(Text("0123456789"));
    platform::PieceFile file;
    file.Write("x", 1);
    const size_t stretch = file.BeginStretch();
    file.Append({{{owner.get(), owner->data(), 4}}, {owner}});
    const platform::PieceRun taken = file.TakeStretch(stretch);
    file.Append({{{owner.get(), owner->data() + 4, 6}}, {owner}});
    ASSERT_EQ(taken.pieces.size(), 1u);
    EXPECT_EQ(taken.pieces[0].size, 4u);
    EXPECT_EQ(taken.owners, std::vector<platform::SharedBytes>{owner}) << "the stretch holds its buffer";
    const platform::PieceBytes all = file.Take();
    EXPECT_EQ(*all.Joined(), Text("x0123456789"));
    owner.reset();
    EXPECT_EQ(taken.pieces[0].data[3], '3') << "the bytes live on while a stretch or a sequence holds them";
}

}  // namespace
