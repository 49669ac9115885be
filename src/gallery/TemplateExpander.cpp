#include "gallery/TemplateExpander.h"

#include "core/TextRules.h"

namespace vexilo {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// The words of a tag's inside, split at blanks.
std::vector<std::string_view> Words(std::string_view inside) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < inside.size()) {
    while (at < inside.size() && IsBlank(inside[at])) ++at;
    const size_t start = at;
    while (at < inside.size() && !IsBlank(inside[at])) ++at;
    if (at > start) words.push_back(inside.substr(start, at - start));
  }
  return words;
}

TemplateTag ParseTag(std::string_view inside) {
  TemplateTag tag;
  const std::vector<std::string_view> words = Words(inside);
  // "<#" is followed directly by the name: a blank there means a tag without a name.
  size_t first = 0;
  if (!inside.empty() && !IsBlank(inside.front()) && !words.empty()) {
    tag.Name = std::string(words.front());
    first = 1;
  }
  tag.IsImage = LowerAscii(tag.Name) == "image";
  for (size_t i = first; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string_view::npos) {
      tag.Parameters.emplace_back(std::string(words[i]), std::string());
    } else {
      tag.Parameters.emplace_back(std::string(words[i].substr(0, equals)),
                                  std::string(words[i].substr(equals + 1)));
    }
  }
  return tag;
}

}  // namespace

const std::string* TemplateTag::Parameter(std::string_view name) const {
  const std::string wanted = LowerAscii(name);
  for (const auto& [key, value] : Parameters) {
    if (LowerAscii(key) == wanted) return &value;
  }
  return nullptr;
}

std::string ExpandTemplate(std::string_view text, const TagHandler& handler) {
  static constexpr std::string_view kOpen = "<#";
  std::string result;
  result.reserve(text.size());
  size_t from = 0;
  while (from < text.size()) {
    const size_t open = text.find(kOpen, from);
    const size_t close = open == std::string_view::npos ? open : text.find('>', open);
    if (close == std::string_view::npos) break;
    result.append(text.substr(from, open - from));
    const size_t inside = open + kOpen.size();
    result.append(handler(ParseTag(text.substr(inside, close - inside))));
    from = close + 1;
  }
  result.append(text.substr(std::min(from, text.size())));
  return result;
}

}  // namespace vexilo
