#include "core/TextRules.h"

#include <charconv>

#include "core/Errors.h"

namespace vexilo {

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value") {}

std::string LowerAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

std::string Trim(std::string_view text) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  size_t firstDigit = (!plus && !text.empty() && text.front() == '-') ? 1 : 0;
  if (text.size() <= firstDigit || text[firstDigit] < '0' || text[firstDigit] > '9') {
    return std::nullopt;
  }
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::int32_t ToWholeNumber(std::string_view text) {
  std::optional<std::int32_t> value = ParseWholeNumber(text);
  if (!value) throw ConversionError(std::string(text));
  return *value;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace vexilo
