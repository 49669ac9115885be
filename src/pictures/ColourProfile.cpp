#include "pictures/ColourProfile.h"

#include <lcms2.h>
#include <xxhash.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

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

// No transform when the profile leaves every sampled colour as it is, give or take a step: an
// sRGB profile, as most cameras and editors embed, costs nothing then.
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
  // Two sRGB profiles' tables round a few colours apart by one step: nobody sees that.
  return std::equal(in.begin(), in.end(), out.begin(),
                    [](std::uint8_t a, std::uint8_t b) { return std::abs(a - b) <= 1; });
}

// An RGB profile, or null; empty means sRGB.
Profile OpenRgbProfile(std::string_view iccProfile) {
  Profile profile(iccProfile.empty()
                      ? cmsCreate_sRGBProfile()
                      : cmsOpenProfileFromMem(iccProfile.data(),
                                              static_cast<cmsUInt32Number>(iccProfile.size())));
  if (!profile || cmsGetColorSpace(profile.get()) != cmsSigRgbData) return nullptr;
  return profile;
}

// Null for a pair that needs none or cannot be used.
Transform MakeTransform(std::string_view from, std::string_view to) {
  const Profile in = OpenRgbProfile(from);
  const Profile out = OpenRgbProfile(to);
  if (!in || !out) return nullptr;
  // Without LittleCMS's one-pixel cache a transform may run on several threads at once.
  Transform transform(cmsCreateTransform(in.get(), TYPE_BGR_8, out.get(), TYPE_BGR_8,
                                         INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
  if (!transform || LeavesColoursAlone(transform.get())) return nullptr;
  return transform;
}

class TransformCache {
 public:
  // The transform between the profiles (empty: sRGB), made on its first use; null when it
  // needs none.
  cmsHTRANSFORM For(std::string_view from, std::string_view to) {
    const std::pair key{XXH3_64bits(from.data(), from.size()), XXH3_64bits(to.data(), to.size())};
    std::lock_guard lock(mMutex);
    auto found = mTransforms.find(key);
    if (found == mTransforms.end()) {
      // A folder of pictures from a few devices has a few profiles: more is unusual.
      if (mTransforms.size() >= kMostProfiles) mTransforms.clear();
      found = mTransforms.emplace(key, MakeTransform(from, to)).first;
    }
    return found->second.get();
  }

 private:
  struct KeyHash {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& key) const {
      return static_cast<std::size_t>(key.first ^ (key.second * 0x9E3779B97F4A7C15ull));
    }
  };
  static constexpr std::size_t kMostProfiles = 32;
  std::mutex mMutex;
  std::unordered_map<std::pair<std::uint64_t, std::uint64_t>, Transform, KeyHash> mTransforms;
};

TransformCache& Transforms() {
  static TransformCache cache;
  return cache;
}

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Set once at start-up, before any picture is decoded for the screen; empty while it is sRGB.
std::mutex gScreenMutex;
std::string gScreenProfile;

std::string ScreenProfile() {
  std::lock_guard lock(gScreenMutex);
  return gScreenProfile;
}

void Convert(std::string_view from, std::string_view to, Bitmap24& pixels) {
  if (from == to || pixels.Empty()) return;
  cmsHTRANSFORM transform = Transforms().For(from, to);
  if (!transform) return;
  for (int y = 0; y < pixels.Height(); ++y) {
    std::uint8_t* row = pixels.Row(y);
    cmsDoTransform(transform, row, row, static_cast<cmsUInt32Number>(pixels.Width()));
  }
}

}  // namespace

void ConvertToSrgb(std::string_view iccProfile, Bitmap24& pixels) {
  Convert(iccProfile, {}, pixels);
}

void ConvertForScreen(std::string_view iccProfile, Bitmap24& pixels) {
  Convert(iccProfile, ScreenProfile(), pixels);
}

void UseScreenProfile(std::string_view iccProfile) {
  // A profile that shows sRGB unchanged, or cannot be used, leaves the screen sRGB.
  const bool own = !iccProfile.empty() && Transforms().For({}, iccProfile) != nullptr;
  std::lock_guard lock(gScreenMutex);
  gScreenProfile = own ? std::string(iccProfile) : std::string();
}

bool ScreenHasOwnColours() {
  std::lock_guard lock(gScreenMutex);
  return !gScreenProfile.empty();
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
