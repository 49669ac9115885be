#include "gallery/HtmlText.h"

#include <cstdint>

#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendPercent(std::string& out, unsigned char c) {
  out += '%';
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xF];
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and the C1 controls are no text a page may carry.
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF) || (code >= 0x80 && code <= 0x9F) ||
      (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE) {
    return 0;
  }
  return length;
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string AddressSegment(std::string_view name) {
  static constexpr std::string_view kKept = "-._~!$'()*+,;=:@";
  std::string segment;
  segment.reserve(name.size());
  for (unsigned char c : name) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      kKept.find(static_cast<char>(c)) != std::string_view::npos;
    if (kept) {
      segment += static_cast<char>(c);
    } else {
      AppendPercent(segment, c);
    }
  }
  return segment;
}

std::string PageText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8Length(text, i);
    if (c == '\t' || c == '\n' || c == '\r') {
      out += ' ';
      ++i;
    } else if (length == 0 || c < 0x20 || c == 0x7F) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string WebAddressHref(std::string_view address) {
  const std::string lower = LowerAscii(std::string(address.substr(0, 8)));
  if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0) return "";
  static constexpr std::string_view kEncoded = " \"<>\\^`{|}";
  std::string href;
  href.reserve(address.size());
  for (std::size_t i = 0; i < address.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(address[i]);
    const bool escapeStart = c == '%' && i + 2 < address.size() && IsHexDigit(address[i + 1]) &&
                             IsHexDigit(address[i + 2]);
    if (c <= 0x20 || c >= 0x7F || kEncoded.find(static_cast<char>(c)) != std::string_view::npos ||
        (c == '%' && !escapeStart)) {
      AppendPercent(href, c);
    } else {
      href += static_cast<char>(c);
    }
  }
  // "&" is the one byte left that an attribute would read as markup.
  return HtmlEscaped(href);
}

}  // namespace vexilo
