#pragma once
// The error every picture decoder, writer and the thumbnail maker raise; the text says what
// was wrong with which file.

#include <stdexcept>

namespace vexilo {

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vexilo
