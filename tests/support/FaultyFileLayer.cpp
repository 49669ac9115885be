#include "support/FaultyFileLayer.h"

#include "core/Errors.h"

namespace vexilo::test {

void FaultyFileLayer::InjectAt(std::size_t operation, Fault fault) {
  mCount = 0;
  mAt = operation;
  mFault = fault;
}

void FaultyFileLayer::Step(const std::filesystem::path& path) {
  if (++mCount != mAt) return;
  if (mFault == Fault::kFail) throw FileError("Injected failure at \"" + path.string() + "\".");
  if (mFault == Fault::kStop) throw Killed{};
}

bool FaultyFileLayer::CreateFolder(const std::filesystem::path& folder,
                                   std::optional<mode_t> mode) {
  Step(folder);
  return DiskFileLayer().CreateFolder(folder, mode);
}

void FaultyFileLayer::WriteNewFile(const std::filesystem::path& file, std::string_view text,
                                   mode_t mode) {
  if (mCount + 1 == mAt && mFault == Fault::kStop) {
    DiskFileLayer().WriteNewFile(file, text.substr(0, text.size() / 2), mode);
  }
  Step(file);
  DiskFileLayer().WriteNewFile(file, text, mode);
}

void FaultyFileLayer::AppendToFile(const std::filesystem::path& file, std::string_view text) {
  Step(file);
  DiskFileLayer().AppendToFile(file, text);
}

void FaultyFileLayer::ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  Step(file);
  DiskFileLayer().ReplaceFile(file, text);
}

bool FaultyFileLayer::Exchange(const std::filesystem::path& a, const std::filesystem::path& b) {
  Step(b);
  return !mExchangeRefused && DiskFileLayer().Exchange(a, b);
}

void FaultyFileLayer::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  Step(to);
  DiskFileLayer().Rename(from, to);
}

void FaultyFileLayer::RemoveFile(const std::filesystem::path& file) {
  Step(file);
  DiskFileLayer().RemoveFile(file);
}

void FaultyFileLayer::RemoveFolder(const std::filesystem::path& folder) {
  Step(folder);
  DiskFileLayer().RemoveFolder(folder);
}

}  // namespace vexilo::test
