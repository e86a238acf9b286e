#include "tools/Json.h"

#include "platform/CodePage.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace json {

Value& Value::Append(Value v) {
    items_.push_back(std::move(v));
    return items_.back();
}

Value& Value::Set(const std::string& key, Value v) {
    for (auto& m : members_)
        if (m.first == key) return m.second = std::move(v);
    members_.emplace_back(key, std::move(v));
    return members_.back().second;
}

const Value* Value::Find(std::string_view key) const {
    for (const auto& m : members_)
        if (m.first == key) return &m.second;
    return nullptr;
}

// ---------------------------------------------------------------- writing

namespace {

void WriteString(std::string& out, const std::string& s) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

bool IsFlat(const Value& v) {
    for (const auto& item : v.Items())
        if (item.IsArray() || item.IsObject()) return false;
    return true;
}

void WriteValue(std::string& out, const Value& v, int depth) {
    const std::string pad(2 * (depth + 1), ' ');
    const std::string closePad(2 * depth, ' ');
    switch (v.GetType()) {
        case Value::Type::null:
            out += "null";
            break;
        case Value::Type::boolean:
            out += v.AsInteger() ? "true" : "false";
            break;
        case Value::Type::number:
            out += std::to_string(v.AsInteger());
            break;
        case Value::Type::string:
            WriteString(out, v.AsString());
            break;
        case Value::Type::array:
            if (v.Items().empty()) {
                out += "[]";
            } else if (IsFlat(v)) {
                out += '[';
                for (size_t i = 0; i < v.Items().size(); ++i) {
                    if (i) out += ", ";
                    WriteValue(out, v.Items()[i], depth + 1);
                }
                out += ']';
            } else {
                out += "[\n";
                for (size_t i = 0; i < v.Items().size(); ++i) {
                    out += pad;
                    WriteValue(out, v.Items()[i], depth + 1);
                    out += i + 1 < v.Items().size() ? ",\n" : "\n";
                }
                out += closePad + "]";
            }
            break;
        case Value::Type::object:
            if (v.Members().empty()) {
                out += "{}";
                break;
            }
            out += "{\n";
            for (size_t i = 0; i < v.Members().size(); ++i) {
                out += pad;
                WriteString(out, v.Members()[i].first);
                out += ": ";
                WriteValue(out, v.Members()[i].second, depth + 1);
                out += i + 1 < v.Members().size() ? ",\n" : "\n";
            }
            out += closePad + "}";
            break;
    }
}

}  // namespace

std::string Write(const Value& value) {
    std::string out;
    WriteValue(out, value, 0);
    out += '\n';
    return out;
}

// ---------------------------------------------------------------- parsing

namespace {

constexpr int kMaxDepth = 64;

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool ParseDocument(Value& out) {
        if (!ParseValue(out, 0)) return false;
        SkipBlanks();
        if (pos_ != text_.size()) return Fail("unexpected text after the value");
        return true;
    }
    std::string error;

  private:
    bool Fail(const std::string& what) {
        if (error.empty()) error = what + " at byte " + std::to_string(pos_);
        return false;
    }
    void SkipBlanks() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return Fail("unknown literal");
        pos_ += word.size();
        return true;
    }

    bool ParseValue(Value& out, int depth) {
        if (depth > kMaxDepth) return Fail("nesting too deep");
        SkipBlanks();
        if (pos_ >= text_.size()) return Fail("unexpected end of text");
        char c = text_[pos_];
        if (c == '{') return ParseObject(out, depth);
        if (c == '[') return ParseArray(out, depth);
        if (c == '"') {
            std::string s;
            if (!ParseString(s)) return false;
            out = Value(std::move(s));
            return true;
        }
        if (c == 't') return Literal("true") && (out = Value(true), true);
        if (c == 'f') return Literal("false") && (out = Value(false), true);
        if (c == 'n') return Literal("null") && (out = Value(), true);
        return ParseNumber(out);
    }

    bool ParseObject(Value& out, int depth) {
        out = Value::Object();
        ++pos_;
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
        for (;;) {
            SkipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("expected a key");
            std::string key;
            if (!ParseString(key)) return false;
            SkipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != ':') return Fail("expected ':'");
            ++pos_;
            Value v;
            if (!ParseValue(v, depth + 1)) return false;
            out.Set(key, std::move(v));
            SkipBlanks();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
            return Fail("expected ',' or '}'");
        }
    }

    bool ParseArray(Value& out, int depth) {
        out = Value::Array();
        ++pos_;
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
        for (;;) {
            Value v;
            if (!ParseValue(v, depth + 1)) return false;
            out.Append(std::move(v));
            SkipBlanks();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
            return Fail("expected ',' or ']'");
        }
    }

    bool ParseNumber(Value& out) {
        size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        size_t digits = pos_;
        while (pos_ < text_.size() &&
               (isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.' ||
                text_[pos_] == 'e' || text_[pos_] == 'E' || text_[pos_] == '+' || text_[pos_] == '-'))
            ++pos_;
        if (pos_ == digits) return Fail("expected a value");
        std::string token(text_.substr(start, pos_ - start));
        char* end = nullptr;
        double d = std::strtod(token.c_str(), &end);
        if (end != token.c_str() + token.size() || !std::isfinite(d)) return Fail("malformed number");
        if (d != std::floor(d) || std::fabs(d) > 9.0e15) return Fail("number is not a whole number in range");
        out = Value(static_cast<int64_t>(d));
        return true;
    }

    bool ReadHex4(uint32_t& v) {
        if (pos_ + 4 > text_.size()) return Fail("short \\u escape");
        v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= c - '0';
            else if (c >= 'a' && c <= 'f')
                v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v |= c - 'A' + 10;
            else
                return Fail("bad \\u escape");
        }
        return true;
    }

    bool ParseEscape(std::string& s) {
        if (pos_ >= text_.size()) return Fail("unterminated string");
        char c = text_[pos_++];
        switch (c) {
            case '"':
                s += '"';
                return true;
            case '\\':
                s += '\\';
                return true;
            case '/':
                s += '/';
                return true;
            case 'b':
                s += '\b';
                return true;
            case 'f':
                s += '\f';
                return true;
            case 'n':
                s += '\n';
                return true;
            case 'r':
                s += '\r';
                return true;
            case 't':
                s += '\t';
                return true;
            case 'u': {
                uint32_t cp;
                if (!ReadHex4(cp)) return false;
                if (cp >= 0xD800 && cp < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
                    pos_ += 2;
                    uint32_t low;
                    if (!ReadHex4(low)) return false;
                    if (low < 0xDC00 || low > 0xDFFF) return Fail("bad surrogate pair");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                platform::AppendUtf8(s, cp);
                return true;
            }
            default:
                return Fail("unknown escape");
        }
    }

    bool ParseString(std::string& s) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') return true;
            if (c == '\\') {
                if (!ParseEscape(s)) return false;
            } else {
                s += c;
            }
        }
        return Fail("unterminated string");
    }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

bool Parse(std::string_view text, Value& out, std::string& error) {
    Parser parser(text);
    Value v;
    if (!parser.ParseDocument(v)) {
        error = parser.error;
        return false;
    }
    out = std::move(v);
    return true;
}

}  // namespace json
