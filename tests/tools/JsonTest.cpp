#include <gtest/gtest.h>

#include "tools/Json.h"

namespace {

TEST(Json, ObjectsKeepTheirKeyOrderAndSetReplacesInPlace) {
    json::Value v = json::Value::Object();
    v.Set("zeta", 1);
    v.Set("alpha", "a");
    v.Set("mid", nullptr);
    v.Set("zeta", 2);
    EXPECT_EQ(json::Write(v), "{\n  \"zeta\": 2,\n  \"alpha\": \"a\",\n  \"mid\": null\n}\n");
}

TEST(Json, FlatArraysStayOnOneLineNestedOnesAreIndented) {
    json::Value rect = json::Value::Array();
    for (int n : {0, -5, 100, 2147483647}) rect.Append(n);
    json::Value outer = json::Value::Array();
    outer.Append(json::Value::Object()).Set("rect", rect);
    EXPECT_EQ(json::Write(outer), "[\n  {\n    \"rect\": [0, -5, 100, 2147483647]\n  }\n]\n");
}

TEST(Json, StringsEscapeControlsAndKeepUtf8) {
    json::Value v("a\"b\\c\r\n\x01\xC3\xB1");
    EXPECT_EQ(json::Write(v), "\"a\\\"b\\\\c\\r\\n\\u0001\xC3\xB1\"\n");
    json::Value back;
    std::string error;
    ASSERT_TRUE(json::Parse(json::Write(v), back, error)) << error;
    EXPECT_EQ(back, v);
}

TEST(Json, ParsesWhatItWritesAndUnicodeEscapes) {
    std::string error;
    json::Value v;
    ASSERT_TRUE(
        json::Parse(R"( {"a": [1, -2, 3e2, true, false, null], "s": "\u00f1\ud83d\ude00\/"} )", v, error))
        << error;
    ASSERT_TRUE(v.IsObject());
    const json::Value* a = v.Find("a");
    ASSERT_TRUE(a && a->IsArray());
    ASSERT_EQ(a->Size(), 6u);
    EXPECT_EQ(a->Items()[1].AsInteger(), -2);
    EXPECT_EQ(a->Items()[2].AsInteger(), 300);
    EXPECT_TRUE(a->Items()[3].IsBoolean());
    EXPECT_TRUE(a->Items()[5].IsNull());
    EXPECT_EQ(v.Find("s")->AsString(), "\xC3\xB1\xF0\x9F\x98\x80/");
    json::Value again;
    ASSERT_TRUE(json::Parse(json::Write(v), again, error)) << error;
    EXPECT_EQ(again, v);
}

TEST(Json, RejectsMalformedTextWithAnOffset) {
    json::Value v = 7;
    std::string error;
    for (const char* bad : {"", "{", "[1,", "{\"a\" 1}", "{\"a\":1,}", "\"open", "tru", "1.5", "01x", "[1] 2",
                            "\"\\q\"", "\"\\u12\"", "1e400"}) {
        error.clear();
        EXPECT_FALSE(json::Parse(bad, v, error)) << bad;
        EXPECT_NE(error.find("at byte"), std::string::npos) << bad;
    }
    EXPECT_EQ(v, json::Value(7)) << "a failed parse leaves the output alone";
}

TEST(Json, DeepNestingIsRefusedNotRecursedIntoForever) {
    std::string deep(100000, '[');
    json::Value v;
    std::string error;
    EXPECT_FALSE(json::Parse(deep, v, error));
    EXPECT_NE(error.find("nesting"), std::string::npos);
}

}  // namespace
