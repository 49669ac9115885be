#pragma once
// The disk's file layer with a fault at one chosen operation, counted from 1: the operation
// fails with FileError, or the program "stops" there, as if killed: Killed is thrown before
// the operation runs (a file is left half written) and nothing after it runs, since the code
// under test catches only FileError. It can also act as a file system that cannot swap folders.

#include <cstddef>

#include "core/FileLayer.h"

namespace vexilo::test {

// Not a std::exception, so that no handler of the code under test takes it.
struct Killed {};

class FaultyFileLayer final : public FileLayer {
 public:
  enum class Fault { kNone, kFail, kStop };

  void InjectAt(std::size_t operation, Fault fault);
  void SetExchangeRefused(bool refused) { mExchangeRefused = refused; }
  // The operations run or tried since the last InjectAt.
  std::size_t Operations() const { return mCount; }

  bool CreateFolder(const std::filesystem::path& folder, std::optional<mode_t> mode) override;
  void WriteNewFile(const std::filesystem::path& file, std::string_view text, mode_t mode) override;
  void AppendToFile(const std::filesystem::path& file, std::string_view text) override;
  void ReplaceFile(const std::filesystem::path& file, std::string_view text) override;
  bool Exchange(const std::filesystem::path& a, const std::filesystem::path& b) override;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  void RemoveFile(const std::filesystem::path& file) override;
  void RemoveFolder(const std::filesystem::path& folder) override;

 private:
  // Counts the operation on path and throws when it is the chosen one.
  void Step(const std::filesystem::path& path);

  std::size_t mCount = 0;
  std::size_t mAt = 0;
  Fault mFault = Fault::kNone;
  bool mExchangeRefused = false;
};

}  // namespace vexilo::test
