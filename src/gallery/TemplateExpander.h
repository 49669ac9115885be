#pragma once
// Copies a template text, replacing each tag "<#name p1=v1 p2=v2>" by what a handler returns
// for it. Any thread.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexilo {

struct TemplateTag {
  bool IsImage = false;  // the name is "IMAGE", without regard to case
  std::string Name;      // as written
  std::vector<std::pair<std::string, std::string>> Parameters;  // as written, in order

  // The value of the first parameter of that name, compared without regard to case; nullptr
  // when there is none.
  const std::string* Parameter(std::string_view name) const;
};

using TagHandler = std::function<std::string(const TemplateTag&)>;

// A tag is "<#" directly followed by its name, then parameters name=value separated by
// blanks (any character up to code 32), closed by ">". A parameter without "=" has an empty
// value. "<#" without a closing ">" is copied as it stands, with the rest of the text.
// Exceptions of the handler pass through.
std::string ExpandTemplate(std::string_view text, const TagHandler& handler);

}  // namespace vexilo
