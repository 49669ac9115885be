#pragma once
// A fresh folder for one test (the program folder, a download folder), removed afterwards.

#include <filesystem>
#include <string>

namespace vexilo::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return mPath; }
  std::filesystem::path operator/(const std::string& name) const { return mPath / name; }

 private:
  std::filesystem::path mPath;
};

// Whole file as bytes; "" when missing.
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

// The shared corpora of real pictures (read-only). Throws when the corpora folder is missing.
std::filesystem::path TestData(const std::string& relative);

}  // namespace vexilo::test
