#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The Windows-1252 code page, both ways. The model keeps Windows-1252 bytes exactly as read; the user
// interface and JSON see Unicode through these functions only.

// The Unicode code point of one Windows-1252 byte (the five unassigned bytes map to the C1 controls,
// as Windows does, so that every byte survives a round trip).
char32_t Cp1252ToUnicode(uint8_t byte);
// The Windows-1252 byte of a code point, or -1 when the code page has none.
int UnicodeToCp1252(char32_t code);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t code);

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters the code page lacks become '?'; malformed UTF-8 sequences become '?' too.
std::string Utf8ToCp1252(std::string_view utf8);
std::string Utf16ToCp1252(std::u16string_view units);

// Upper case as the ANSI CharUpper does it on this code page (letters with accents included).
std::string Cp1252ToUpper(std::string_view bytes);

}  // namespace platform
