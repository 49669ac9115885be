#pragma once
// The text rules every part of the program shares: ASCII-only lower-casing, trimming of
// control characters and blanks, and whole numbers in plain decimal.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// Lower-cases the letters A to Z only; every other byte (UTF-8 included) stays.
std::string LowerAscii(std::string_view text);

// Removes characters with codes 0 to 32 from both ends.
std::string Trim(std::string_view text);

// True when part occurs in text, byte for byte.
bool Contains(std::string_view text, std::string_view part);

// A 32-bit whole number in decimal with an optional sign, nothing else around it;
// std::nullopt for anything else (blanks, hex, overflow).
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// Like ParseWholeNumber, but raises ConversionError for a text that is not a number.
std::int32_t ToWholeNumber(std::string_view text);

}  // namespace vexilo
