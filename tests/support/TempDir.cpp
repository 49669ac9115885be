#include "support/TempDir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vexilo::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vexilo-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  mPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests make files read-only; give the owner its rights back so the folder can go.
  for (auto it = std::filesystem::recursive_directory_iterator(mPath, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(mPath, ec);
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path TestData(const std::string& relative) {
  const std::filesystem::path root(VEXILO_TESTDATA_DIR);
  // A missing file reads as "", which a refusal test would take for a refused picture.
  if (!std::filesystem::is_directory(root)) {
    throw std::runtime_error("test data folder missing: " + root.string());
  }
  return root / relative;
}

}  // namespace vexilo::test
