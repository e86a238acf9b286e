#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/Archive.h"
#include "archive/OwnedArray.h"
#include "tests/support/Bytes.h"
#include "tests/support/Streams.h"

namespace {

using namespace test_support;

// Small persistent classes that exercise the object stream without the title records.
class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
  public:
    explicit CTestItem(uint32_t v = 0) : value(v) {}
    void Serialize(CArchive& ar) override {
        if (ar.IsLoading()) schemaSeen = ar.GetObjectSchema();
        ar.Io(value);
    }
    uint32_t value;
    uint32_t schemaSeen = 0;
};
IMPLEMENT_SERIAL(CTestItem, CObject, 3)

class CTestOther : public CObject {
    DECLARE_SERIAL(CTestOther)
  public:
    void Serialize(CArchive& ar) override { ar.Io(value); }
    uint16_t value = 0;
};
IMPLEMENT_SERIAL(CTestOther, CObject, 0)

class CTestNotStorable : public CObject {
    DECLARE_SERIAL(CTestNotStorable)
};
IMPLEMENT_SERIAL(CTestNotStorable, CObject, 0xFFFF)

class CTestBag : public COwnedArray<CTestItem> {
    DECLARE_SERIAL(CTestBag)
};
IMPLEMENT_SERIAL(CTestBag, CObject, 1)

void RegisterTestClasses() {
    ClassRegistry::Instance().Register(RUNTIME_CLASS(CTestItem));
    ClassRegistry::Instance().Register(RUNTIME_CLASS(CTestOther));
    ClassRegistry::Instance().Register(RUNTIME_CLASS(CTestBag));
}

// Runs `read` over the bytes: "" when nothing was thrown, "format" for a fault of the stream's content
// (what a document open reports as an unexpected format), "other" for anything else.
template <class F>
std::string Outcome(const Bytes& bytes, F read) {
    platform::MemoryFile file(bytes, "TITULO.FCA");
    CArchive ar(file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        return CArchiveException::IsFormatError(e.cause) ? "format" : "other";
    } catch (...) {
        return "other";
    }
    return "";
}

CArchiveException::Cause CauseOf(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
    platform::MemoryFile file(bytes, "TITULO.FCA");
    CArchive ar(file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        return e.cause;
    }
    return CArchiveException::none;
}

const std::string kBadFormat = "format";

class ArchiveTest : public testing::Test {
  protected:
    void SetUp() override { RegisterTestClasses(); }
};

TEST_F(ArchiveTest, PrimitivesAreLittleEndianWithoutPadding) {
    Bytes b = Store([](CArchive& ar) {
        ar.WriteByte(0xAB);
        ar.WriteWord(0x1234);
        ar.WriteDword(0x89ABCDEF);
        ar.WriteLong(-2);
        platform::Rect r{-1, 2, 300, 0x01020304};
        ar.Io(r);
    });
    EXPECT_EQ(b, (Bytes{0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                        0xFF, 2,    0,    0,    0,    0x2C, 1,    0,    0,    4,    3,    2,    1}));
    platform::MemoryFile file(b);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadByte(), 0xAB);
    EXPECT_EQ(ar.ReadWord(), 0x1234);
    EXPECT_EQ(ar.ReadDword(), 0x89ABCDEFu);
    EXPECT_EQ(ar.ReadLong(), -2);
    platform::Rect r;
    ar.Io(r);
    EXPECT_EQ(r, (platform::Rect{-1, 2, 300, 0x01020304}));
}

TEST_F(ArchiveTest, StringPrefixesGrowAt255And0xFFFE) {
    struct Case {
        size_t length;
        Bytes prefix;
    } cases[] = {{0, {0x00}},
                 {254, {0xFE}},
                 {255, {0xFF, 0xFF, 0x00}},
                 {0xFFFD, {0xFF, 0xFD, 0xFF}},
                 {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                 {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}}};
    for (const Case& c : cases) {
        std::string s(c.length, 'x');
        if (!s.empty()) s.back() = '\xE9';  // a Windows-1252 byte travels unchanged
        Bytes b = Store([&](CArchive& ar) { ar.WriteString(s); });
        ASSERT_EQ(b.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Bytes(b.begin(), b.begin() + c.prefix.size()), c.prefix) << c.length;
        platform::MemoryFile file(b);
        CArchive ar(file, CArchive::load);
        EXPECT_EQ(ar.ReadString(), s) << c.length;
        EXPECT_EQ(ar.BytesRemaining(), 0u);
    }
}

TEST_F(ArchiveTest, CountsTakeADwordFrom65535) {
    EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(65534); }), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(65535); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(0); }), (Bytes{0x00, 0x00}));

    // Each counted element needs at least two bytes, so the stream must hold them for the count to pass.
    Bytes big = Concat({{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}, Bytes(65535 * 2, 0)});
    platform::MemoryFile file(big);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadCount(), 65535u);
}

TEST_F(ArchiveTest, ReadsTheWideStringMarkerIntoWindows1252) {
    // 0xFF, WORD 0xFFFE, then a second prefix counting UTF-16 units: "Añ€" (U+20AC is 0x80 in 1252).
    Bytes shortForm = {0xFF, 0xFE, 0xFF, 0x03, 'A', 0x00, 0xF1, 0x00, 0xAC, 0x20};
    platform::MemoryFile file(Concat({shortForm, {0x02, 'o', 'k'}}));
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadString(), "A\xF1\x80");
    EXPECT_EQ(ar.ReadString(), "ok");

    Bytes wordForm = Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01}, Bytes(0x100 * 2, 0)});
    for (size_t i = 6; i < wordForm.size(); i += 2) wordForm[i] = 'z';
    platform::MemoryFile file2(wordForm);
    CArchive ar2(file2, CArchive::load);
    EXPECT_EQ(ar2.ReadString(), std::string(0x100, 'z'));
}

TEST_F(ArchiveTest, ObjectPointersCarryClassTagsAndBackReferences) {
    CTestItem a(5), b(6);
    Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(&a);
        ar.WriteObject(&b);
        ar.WriteObject(&a);
        ar.WriteObject(nullptr);
    });
    Bytes expected = Concat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00},
                             Text("CTestItem"),
                             {5, 0, 0, 0},  // a takes index 2, after its class
                             {0x01, 0x80, 6, 0, 0, 0},
                             {0x02, 0x00},
                             {0x00, 0x00}});
    EXPECT_EQ(bytes, expected);

    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    CArchive::ObjectRead ra = ar.ReadObject(RUNTIME_CLASS(CTestItem));
    CArchive::ObjectRead rb = ar.ReadObject(RUNTIME_CLASS(CTestItem));
    CArchive::ObjectRead again = ar.ReadObject(RUNTIME_CLASS(CTestItem));
    CArchive::ObjectRead none = ar.ReadObject(RUNTIME_CLASS(CTestItem));
    ASSERT_TRUE(ra.created && rb.created);
    EXPECT_EQ(static_cast<CTestItem*>(ra.object)->value, 5u);
    EXPECT_EQ(static_cast<CTestItem*>(rb.object)->value, 6u);
    EXPECT_EQ(again.object, ra.object);  // one shared instance
    EXPECT_FALSE(again.created);
    EXPECT_EQ(none.object, nullptr);
}

TEST_F(ArchiveTest, TheObjectSchemaIsTheOneReadWithTheClassWhileItsObjectLoads) {
    Bytes bytes = Concat(
        {{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, Text("CTestItem"), {1, 0, 0, 0}, {0x01, 0x80}, {2, 0, 0, 0}});
    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    auto first = ar.ReadOwned<CTestItem>();
    auto second = ar.ReadOwned<CTestItem>();
    EXPECT_EQ(first->schemaSeen, 3u);
    EXPECT_EQ(second->schemaSeen, 3u);
    EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);  // no object is being read any more
}

// With more than 0x7FFE numbers handed out, references and class tags take the big form: WORD 0x7FFF and
// a DWORD, with bit 31 set for a class.
TEST_F(ArchiveTest, BigTagsAreWrittenAndReadBeyondIndex0x7FFE) {
    constexpr size_t kItems = 0x7FFF;  // class index 1, items 2 .. 0x8000
    std::vector<std::unique_ptr<CTestItem>> items;
    for (size_t i = 0; i < kItems; ++i)
        items.push_back(std::make_unique<CTestItem>(static_cast<uint32_t>(i)));
    CTestOther first, second;
    first.value = 0x1111;
    second.value = 0x2222;
    Bytes bytes = Store([&](CArchive& ar) {
        for (auto& item : items) ar.WriteObject(item.get());
        ar.WriteObject(items[0x7FFD].get());  // index 0x7FFF: big
        ar.WriteObject(items[0x7FFC].get());  // index 0x7FFE: still a WORD
        ar.WriteObject(&first);               // class index 0x8001, object 0x8002
        ar.WriteObject(&second);              // big class reference
    });
    size_t tail = 6 + 9 + 4 + (kItems - 1) * 6;
    Bytes expectedTail = Concat({{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00},
                                 {0xFE, 0x7F},
                                 {0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00},
                                 Text("CTestOther"),
                                 {0x11, 0x11},
                                 {0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80, 0x22, 0x22}});
    ASSERT_EQ(bytes.size(), tail + expectedTail.size());
    EXPECT_EQ(Bytes(bytes.begin() + tail, bytes.end()), expectedTail);

    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    std::vector<std::unique_ptr<CTestItem>> loaded;
    for (size_t i = 0; i < kItems; ++i) loaded.push_back(ar.ReadOwned<CTestItem>());
    EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CTestItem)).object, loaded[0x7FFD].get());
    EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CTestItem)).object, loaded[0x7FFC].get());
    auto a = ar.ReadOwned<CTestOther>();
    auto b = ar.ReadOwned<CTestOther>();
    EXPECT_EQ(a->value, 0x1111);
    EXPECT_EQ(b->value, 0x2222);
    EXPECT_EQ(loaded[1234]->value, 1234u);
}

// An object that reads its own data straight from the file leaves it exactly after that data; the
// archive's read-ahead must not swallow it.
TEST_F(ArchiveTest, DirectFileAccessAfterFlushKeepsTheStreamInStep) {
    Bytes bytes = Store([](CArchive& ar) {
        ar.WriteDword(0xCAFEBABE);
        ar.Flush();
        const uint8_t direct[3] = {1, 2, 3};
        ar.GetFile().Write(direct, 3);
        ar.WriteWord(0xBEEF);
        ar.WriteString("fin");
    });
    EXPECT_EQ(bytes, (Bytes{0xBE, 0xBA, 0xFE, 0xCA, 1, 2, 3, 0xEF, 0xBE, 3, 'f', 'i', 'n'}));
    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadDword(), 0xCAFEBABEu);
    ar.Flush();
    uint8_t direct[3] = {};
    ASSERT_EQ(ar.GetFile().Read(direct, 3), 3u);
    EXPECT_EQ(direct[2], 3);
    EXPECT_EQ(ar.ReadWord(), 0xBEEF);
    EXPECT_EQ(ar.ReadString(), "fin");
}

// Values that straddle the edge of the archive's 4096-byte buffer, and blocks larger than it, read back the
// same through the buffer (a file) and in place (shared bytes), also around direct file access; a stream
// cut anywhere inside them is an end-of-file error either way.
TEST_F(ArchiveTest, ValuesAcrossTheBufferEdgeReadTheSameThroughTheBufferAndInPlace) {
    const std::string longText(300, 'L');
    const Bytes block(2 * CArchive::kBufferSize + 5, 0x5A);
    for (size_t lead = CArchive::kBufferSize - 6; lead <= CArchive::kBufferSize + 1; ++lead) {
        const Bytes filler(lead, 0x11);
        Bytes bytes = Store([&](CArchive& ar) {
            ar.Write(filler.data(), filler.size());
            ar.WriteDword(0x01020304);
            ar.WriteWord(0xA1B2);
            ar.WriteString("abc");
            ar.WriteString(longText);
            ar.Flush();
            const uint8_t direct[2] = {0xD1, 0xD2};
            ar.GetFile().Write(direct, 2);
            ar.WriteByte(0x7F);
            ar.Write(block.data(), block.size());
            ar.WriteCount(70000);
        });
        ASSERT_EQ(bytes.size(), lead + 4 + 2 + 4 + 303 + 2 + 1 + block.size() + 6) << lead;
        EXPECT_EQ(DwordAt(bytes, lead), 0x01020304u) << lead;

        auto readAll = [&](platform::File& file) {
            CArchive ar(file, CArchive::load);
            Bytes skipped(lead);
            ar.ReadExact(skipped.data(), lead);
            EXPECT_EQ(skipped, filler);
            EXPECT_EQ(ar.ReadDword(), 0x01020304u);
            EXPECT_EQ(ar.ReadWord(), 0xA1B2);
            EXPECT_EQ(ar.ReadString(), "abc");
            EXPECT_EQ(ar.ReadString(), longText);
            ar.Flush();
            EXPECT_EQ(file.Position(), lead + 313) << "the file stands after the last value handed out";
            uint8_t direct[2] = {};
            EXPECT_EQ(file.Read(direct, 2), 2u);
            EXPECT_EQ(direct[1], 0xD2);
            EXPECT_EQ(ar.ReadByte(), 0x7F);
            Bytes read(block.size());
            ar.ReadExact(read.data(), read.size());
            EXPECT_EQ(read, block);
            EXPECT_EQ(ar.ReadCount(0), 70000u);
            EXPECT_EQ(ar.BytesRemaining(), 0u);
        };
        platform::MemoryFile file(bytes);
        readAll(file);
        platform::SharedMemoryFile shared(std::make_shared<const Bytes>(bytes));
        readAll(shared);

        // Cut inside the DWORD, inside the long string, inside the block.
        for (size_t cut : {lead + 2, lead + 100, bytes.size() - 100}) {
            Bytes part(bytes.begin(), bytes.begin() + cut);
            auto readCut = [&](CArchive& ar) {
                Bytes skipped(lead);
                ar.ReadExact(skipped.data(), std::min(lead, cut));
                ar.ReadDword();
                ar.ReadWord();
                ar.ReadString();
                ar.ReadString();
                ar.Flush();
                ar.GetFile().Seek(ar.GetFile().Position() + 2);
                ar.ReadByte();
                Bytes read(block.size());
                ar.ReadExact(read.data(), read.size());
            };
            EXPECT_EQ(CauseOf(part, readCut), CArchiveException::endOfFile) << lead << " " << cut;
            platform::SharedMemoryFile sharedPart(std::make_shared<const Bytes>(part));
            CArchive ar(sharedPart, CArchive::load);
            try {
                readCut(ar);
                ADD_FAILURE() << "a cut stream read whole " << lead << " " << cut;
            } catch (const CArchiveException& e) {
                EXPECT_EQ(e.cause, CArchiveException::endOfFile) << lead << " " << cut;
            }
        }
    }
}

// Shared bytes are for reading only: a storing archive over them fails through the file.
TEST_F(ArchiveTest, SharedBytesRefuseToBeWritten) {
    platform::SharedMemoryFile shared(std::make_shared<const Bytes>(Bytes{1, 2}));
    CArchive ar(shared, CArchive::store);
    ar.WriteDword(7);
    EXPECT_THROW(ar.Close(), platform::FileException);
}

TEST_F(ArchiveTest, AStoringArchiveDestroyedWithoutCloseStillWritesItsBytes) {
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        ar.WriteString("sin cerrar");
    }
    EXPECT_EQ(file.Bytes().size(), 11u);
}

TEST_F(ArchiveTest, OwnedArraysRoundTripAndRefuseSharedOrNullElements) {
    CTestBag bag;
    for (uint32_t v : {7u, 8u, 9u}) bag.Add(std::make_unique<CTestItem>(v));
    Bytes bytes = Store([&](CArchive& ar) { bag.Serialize(ar); });
    EXPECT_EQ(bytes, Concat({{0x03, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00},
                             Text("CTestItem"),
                             {7, 0, 0, 0},
                             {0x01, 0x80, 8, 0, 0, 0, 0x01, 0x80, 9, 0, 0, 0}}));
    CTestBag loaded;
    loaded.Add(std::make_unique<CTestItem>(1));  // what the array held before goes
    EXPECT_EQ(Outcome(bytes, [&](CArchive& ar) { loaded.Serialize(ar); }), "");
    ASSERT_EQ(loaded.GetSize(), 3u);
    EXPECT_EQ(loaded.GetAt(0)->value, 7u);
    EXPECT_EQ(loaded.GetAt(2)->value, 9u);

    Bytes head = Concat({{0x02, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, Text("CTestItem"), {7, 0, 0, 0}});
    // The second element refers back to the first (one owner per object) or is null: the stream is
    // refused, and the array is left empty rather than holding the elements read before the fault.
    for (const Bytes& tail : {Bytes{0x02, 0x00}, Bytes{0x00, 0x00}}) {
        CTestBag refused;
        refused.Add(std::make_unique<CTestItem>(1));
        EXPECT_EQ(Outcome(Concat({head, tail}), [&](CArchive& ar) { refused.Serialize(ar); }), kBadFormat);
        EXPECT_TRUE(refused.IsEmpty());
    }
}

// An element that notes, as it goes, its value and how many elements its array still holds.
struct Farewell {
    uint32_t value;
    size_t left;
};
std::vector<Farewell> farewells;
class CCountedItem : public CTestItem {
  public:
    CCountedItem(uint32_t v, const CTestBag& bag) : CTestItem(v), bag_(bag) {}
    ~CCountedItem() override { farewells.push_back({value, bag_.GetSize()}); }

  private:
    const CTestBag& bag_;
};

TEST_F(ArchiveTest, OwnedArraysHandTheirElementsInAndOut) {
    CTestBag bag;
    EXPECT_FALSE(bag.Add(nullptr));
    EXPECT_FALSE(bag.InsertAt(0, nullptr));
    EXPECT_TRUE(bag.IsEmpty());
    bag.Add(std::make_unique<CCountedItem>(1, bag));
    bag.Add(std::make_unique<CCountedItem>(3, bag));
    bag.InsertAt(1, std::make_unique<CCountedItem>(2, bag));
    bag.InsertAt(99, std::make_unique<CCountedItem>(4, bag));  // past the end: appended
    std::vector<uint32_t> values;
    for (CTestItem* item : bag) values.push_back(item->value);
    EXPECT_EQ(values, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(bag.GetAt(4), nullptr);

    EXPECT_EQ(bag.RemoveAt(4), nullptr);
    std::unique_ptr<CTestItem> second = bag.RemoveAt(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->value, 2u);
    CTestItem* third = bag.GetAt(1);
    std::unique_ptr<CTestItem> taken = bag.Remove(third);
    EXPECT_EQ(taken.get(), third);
    EXPECT_FALSE(bag.Contains(third));
    EXPECT_EQ(bag.Remove(third), nullptr) << "an element no longer held";
    EXPECT_EQ(bag.GetSize(), 2u);

    second.reset();
    taken.reset();
    farewells.clear();
    bag.DeleteAll();
    ASSERT_EQ(farewells.size(), 2u);
    EXPECT_EQ(farewells[0].value, 1u) << "from the front";
    EXPECT_EQ(farewells[1].value, 4u);
    EXPECT_EQ(farewells[0].left, 0u) << "the array is empty while its elements go";
    EXPECT_TRUE(bag.IsEmpty());
}

TEST_F(ArchiveTest, MalformedStreamsAreFormatErrors) {
    auto readItem = [](CArchive& ar) { ar.ReadOwned<CTestItem>(); };
    Bytes itemClass = Concat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, Text("CTestItem")});
    struct Case {
        const char* name;
        Bytes bytes;
        std::function<void(CArchive&)> read;
        CArchiveException::Cause cause;
    } cases[] = {
        {"cut inside a string",
         {0x05, 'a', 'b'},
         [](CArchive& ar) { ar.ReadString(); },
         CArchiveException::endOfFile},
        {"cut inside a word", {0x05}, [](CArchive& ar) { ar.ReadWord(); }, CArchiveException::endOfFile},
        {"string length lying by gigabytes",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'},
         [](CArchive& ar) { ar.ReadString(); },
         CArchiveException::endOfFile},
        {"wide string length lying",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0},
         [](CArchive& ar) { ar.ReadString(); },
         CArchiveException::endOfFile},
        {"count lying",
         {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00},
         [](CArchive& ar) { ar.ReadCount(); },
         CArchiveException::endOfFile},
        {"unknown class", Concat({{0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00}, Text("CNoSuch")}), readItem,
         CArchiveException::badClass},
        {"class name of 64 bytes", Concat({{0xFF, 0xFF, 0x03, 0x00, 0x40, 0x00}, Bytes(64, 'C')}), readItem,
         CArchiveException::badClass},
        {"class name cut short", Concat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, Text("CTest")}), readItem,
         CArchiveException::badClass},
        {"wrong schema", Concat({{0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00}, Text("CTestItem"), {0, 0, 0, 0}}),
         readItem, CArchiveException::badSchema},
        {"object of another class", Concat({{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Text("CTestBag"), {0, 0}}),
         readItem, CArchiveException::badClass},
        {"reference to an index not yet assigned",
         {0x05, 0x00},
         [](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CTestItem)); },
         CArchiveException::badIndex},
        {"big reference to an index not yet assigned",
         {0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00},
         [](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CTestItem)); },
         CArchiveException::badIndex},
        {"class reference to index 0", {0x00, 0x80}, readItem, CArchiveException::badIndex},
        {"class reference to an object", Concat({itemClass, {1, 0, 0, 0}, {0x02, 0x80}}),
         [](CArchive& ar) {
             auto first = ar.ReadOwned<CTestItem>();
             ar.ReadOwned<CTestItem>();
         },
         CArchiveException::badIndex},
        {"object reference to a class", Concat({itemClass, {1, 0, 0, 0}, {0x01, 0x00}}),
         [](CArchive& ar) {
             auto first = ar.ReadOwned<CTestItem>();
             ar.ReadObject(RUNTIME_CLASS(CTestItem));
         },
         CArchiveException::badIndex},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CauseOf(c.bytes, c.read), c.cause) << c.name;
        EXPECT_EQ(Outcome(c.bytes, c.read), kBadFormat) << c.name;
    }
}

TEST_F(ArchiveTest, WritingAClassThatCannotTravelByPointerFails) {
    CTestNotStorable object;
    platform::MemoryFile file;
    CArchive ar(file, CArchive::store);
    try {
        ar.WriteObject(&object);
        FAIL() << "written";
    } catch (const CArchiveException& e) {
        // A generic fault, which a save reports as the plain failure to save, not as a bad format.
        EXPECT_EQ(e.cause, CArchiveException::generic);
    }
}

}  // namespace
