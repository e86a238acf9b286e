#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The small JSON model of fcatool. Objects keep their keys in insertion order, because the title's JSON
// is read by people and diffed by scripts, and both expect the fields in the order the title stores
// them. Strings are UTF-8; numbers are integers (a title holds no other kind), although the parser
// accepts fractions and exponents when the value is a whole number.
namespace json {

class Value {
  public:
    enum class Type { null, boolean, number, string, array, object };
    using Member = std::pair<std::string, Value>;

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : type_(Type::boolean), number_(b ? 1 : 0) {}
    Value(int v) : type_(Type::number), number_(v) {}
    Value(int64_t v) : type_(Type::number), number_(v) {}
    Value(uint32_t v) : type_(Type::number), number_(v) {}
    Value(const char* s) : type_(Type::string), string_(s) {}
    Value(std::string s) : type_(Type::string), string_(std::move(s)) {}

    static Value Array() { return Value(Type::array); }
    static Value Object() { return Value(Type::object); }

    Type GetType() const { return type_; }
    bool IsNull() const { return type_ == Type::null; }
    bool IsNumber() const { return type_ == Type::number; }
    bool IsString() const { return type_ == Type::string; }
    bool IsArray() const { return type_ == Type::array; }
    bool IsObject() const { return type_ == Type::object; }
    bool IsBoolean() const { return type_ == Type::boolean; }

    int64_t AsInteger() const { return number_; }
    const std::string& AsString() const { return string_; }

    // Arrays.
    Value& Append(Value v);
    const std::vector<Value>& Items() const { return items_; }
    size_t Size() const { return type_ == Type::object ? members_.size() : items_.size(); }

    // Objects: Set appends a new key or replaces the value of an existing one, keeping its place.
    Value& Set(const std::string& key, Value v);
    const Value* Find(std::string_view key) const;
    const std::vector<Member>& Members() const { return members_; }

    friend bool operator==(const Value&, const Value&) = default;

  private:
    explicit Value(Type t) : type_(t) {}

    Type type_ = Type::null;
    int64_t number_ = 0;
    std::string string_;
    std::vector<Value> items_;
    std::vector<Member> members_;
};

// Writes the value as indented JSON text ending in a newline. Arrays whose items are all numbers or
// strings stay on one line, which keeps rectangles and argument lists readable.
std::string Write(const Value& value);

// Parses a whole JSON text. On failure returns false and describes the fault with its byte offset.
// Nesting is limited so that hostile input cannot exhaust the stack.
bool Parse(std::string_view text, Value& out, std::string& error);

}  // namespace json
