#pragma once
// The errors the logic raises. Commands catch them at their edge and show the text.

#include <stdexcept>
#include <string>

namespace vexilo {

// A file or folder could not be read, written or created.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that should hold a whole number does not.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const std::string& text);
};

// An operation was refused because its input cannot be used (the text says why).
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vexilo
