#include "platform/CodePage.h"

#include <cstdint>

namespace platform {

namespace {
// Code points of the bytes 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

char CodeOrQuestion(char32_t c) {
    int b = UnicodeToCp1252(c);
    return static_cast<char>(b < 0 ? '?' : b);
}
}  // namespace

char32_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

int UnicodeToCp1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == code) return 0x80 + i;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<uint8_t>(ch)));
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<uint8_t>(utf8[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= utf8.size() + (extra == 0 ? 1 : 0)) {
            out += '?';
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto cont = static_cast<uint8_t>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cont & 0x3F);
        }
        // Overlong forms and surrogates are malformed too: an overlong "/" must not turn into a real one.
        constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < kSmallest[extra] || (c >= 0xD800 && c < 0xE000)) {
            out += '?';
            ++i;
            continue;
        }
        out += CodeOrQuestion(c);
        i += extra + 1;
    }
    return out;
}

std::string Utf16ToCp1252(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        out += CodeOrQuestion(c);
    }
    return out;
}

std::string Cp1252ToUpper(std::string_view bytes) {
    std::string out(bytes);
    for (char& ch : out) {
        auto b = static_cast<uint8_t>(ch);
        if (b >= 'a' && b <= 'z')
            b -= 32;
        else if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
            b -= 32;
        else if (b == 0x9A || b == 0x9C || b == 0x9E)  // š œ ž
            b -= 16;
        else if (b == 0xFF)  // ÿ
            b = 0x9F;
        ch = static_cast<char>(b);
    }
    return out;
}

}  // namespace platform
