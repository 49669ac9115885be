#include "pictures/ColourProfile.h"

#include <lcms2.h>
#include <xxhash.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vexilo {
namespace {

struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

struct ProfileDeleter {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileDeleter>;

// No transform when the profile leaves every sampled colour as it is: an sRGB profile, as most
// cameras and editors embed, costs nothing then.
bool LeavesColoursAlone(cmsHTRANSFORM transform) {
  constexpr int kSteps = 16;
  std::array<std::uint8_t, 3 * kSteps * kSteps * kSteps> in{}, out{};
  std::size_t i = 0;
  for (int r = 0; r < kSteps; ++r) {
    for (int g = 0; g < kSteps; ++g) {
      for (int b = 0; b < kSteps; ++b) {
        in[i++] = static_cast<std::uint8_t>(b * 17);
        in[i++] = static_cast<std::uint8_t>(g * 17);
        in[i++] = static_cast<std::uint8_t>(r * 17);
      }
    }
  }
  cmsDoTransform(transform, in.data(), out.data(), kSteps * kSteps * kSteps);
  return in == out;
}

// Null for a profile that needs none or cannot be used.
Transform MakeTransform(std::string_view iccProfile) {
  Profile in(
      cmsOpenProfileFromMem(iccProfile.data(), static_cast<cmsUInt32Number>(iccProfile.size())));
  if (!in || cmsGetColorSpace(in.get()) != cmsSigRgbData) return nullptr;
  Profile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return nullptr;
  // Without LittleCMS's one-pixel cache a transform may run on several threads at once.
  Transform transform(cmsCreateTransform(in.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8,
                                         INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
  if (!transform || LeavesColoursAlone(transform.get())) return nullptr;
  return transform;
}

class TransformCache {
 public:
  // The transform of the profile, made on its first use; null when it needs none.
  cmsHTRANSFORM For(std::string_view iccProfile) {
    const std::uint64_t key = XXH3_64bits(iccProfile.data(), iccProfile.size());
    std::lock_guard lock(mMutex);
    auto found = mTransforms.find(key);
    if (found == mTransforms.end()) {
      // A folder of pictures from a few devices has a few profiles: more is unusual.
      if (mTransforms.size() >= kMostProfiles) mTransforms.clear();
      found = mTransforms.emplace(key, MakeTransform(iccProfile)).first;
    }
    return found->second.get();
  }

 private:
  static constexpr std::size_t kMostProfiles = 32;
  std::mutex mMutex;
  std::unordered_map<std::uint64_t, Transform> mTransforms;
};

TransformCache& Transforms() {
  static TransformCache cache;
  return cache;
}

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

}  // namespace

void ConvertToSrgb(std::string_view iccProfile, Bitmap24& pixels) {
  if (iccProfile.empty() || pixels.Empty()) return;
  cmsHTRANSFORM transform = Transforms().For(iccProfile);
  if (!transform) return;
  for (int y = 0; y < pixels.Height(); ++y) {
    std::uint8_t* row = pixels.Row(y);
    cmsDoTransform(transform, row, row, static_cast<cmsUInt32Number>(pixels.Width()));
  }
}

std::string PngColourProfile(std::string_view file) {
  // Profiles are kilobytes; a bound keeps a hostile chunk from inflating without end.
  constexpr std::size_t kLargestProfile = 4 << 20;
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  std::size_t at = 8;  // past the signature
  while (at + 12 <= file.size()) {
    const std::uint32_t length = BigEndian32(bytes + at);
    if (length > file.size() - at - 12) return {};
    const unsigned char* type = bytes + at + 4;
    const unsigned char* data = bytes + at + 8;
    if (std::memcmp(type, "IDAT", 4) == 0) return {};  // iCCP comes before the image data
    if (std::memcmp(type, "iCCP", 4) == 0) {
      // A name of 1 to 79 bytes, its end, the compression method (0), the deflated profile.
      const auto* end = static_cast<const unsigned char*>(std::memchr(data, 0, length));
      if (end == nullptr || end + 2 > data + length || end[1] != 0) return {};
      z_stream stream{};
      if (inflateInit(&stream) != Z_OK) return {};
      stream.next_in = const_cast<unsigned char*>(end + 2);
      stream.avail_in = static_cast<uInt>(data + length - (end + 2));
      std::string profile;
      int result = Z_OK;
      while (result == Z_OK && profile.size() < kLargestProfile) {
        const std::size_t had = profile.size();
        profile.resize(had + 16384);
        stream.next_out = reinterpret_cast<unsigned char*>(profile.data() + had);
        stream.avail_out = 16384;
        result = inflate(&stream, Z_NO_FLUSH);
        profile.resize(had + 16384 - stream.avail_out);
      }
      inflateEnd(&stream);
      return result == Z_STREAM_END ? profile : std::string();
    }
    at += 12 + std::size_t{length};
  }
  return {};
}

}  // namespace vexilo
