#pragma once
// Small text functions that take addresses apart and find free names in a folder. They
// search plain text by position and do not parse addresses by any standard: their exact
// results decide the scope rules, the save names and the quick-start task names.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// Something other than a folder exists at path (a link is followed).
bool IsFile(const std::filesystem::path& path);

// The address with : / . ? \ & % ' * " < > | made "-", cut to its last 40 bytes, + ".jpg".
std::string SafeFileName(std::string_view address);
// The last two dot-separated labels of the host (with port); everything after the first
// "@" when the address holds one.
std::string SiteOf(std::string_view address);
// The host with its port: the text after "://" (else a colon and two backslashes) up to the
// first "/", "\", "?" or "#", without a "user@" in front. Empty when the address names none
// ("file:///x", "http://").
std::string HostOf(std::string_view address);
// The address without the "user:password@" in front of its host: all up to the last "@"
// before the first "/", "?" or "#" after "://" (else a colon and two backslashes).
std::string WithoutCredentials(std::string_view address);
// The address without scheme and without a last segment that holds a dot, no trailing "/".
std::string DirOf(std::string_view address);
// The text after the last "/" (else after the last "\"), or "Unknown" when there is neither.
std::string FileNameOf(std::string_view address);

// "(n)" + name for the first n from 1 for which no file folder/(n)name exists. The plain
// name is never tried. Counts on past 999, so the result is always usable.
std::string UniqueFileName(const std::filesystem::path& folder, const std::string& name);
// The same, also passing over the candidates for which alsoTaken holds.
std::string UniqueFileName(const std::filesystem::path& folder, const std::string& name,
                           const std::function<bool(const std::filesystem::path&)>& alsoTaken);
// The same, counting from number (at least 1) on; number is left at the n used.
std::string UniqueFileNameFrom(const std::filesystem::path& folder, const std::string& name,
                               int& number,
                               const std::function<bool(const std::filesystem::path&)>& alsoTaken);
// The same, looking for folders instead of files.
std::string UniqueFolderName(const std::filesystem::path& folder, const std::string& name);
// The same, but only up to lastNumber and also passing over the candidates for which
// alsoTaken (when given) holds; std::nullopt when all of them are taken.
std::optional<std::string> UniqueFolderNameUpTo(
    const std::filesystem::path& folder, const std::string& name, int lastNumber,
    const std::function<bool(const std::filesystem::path&)>& alsoTaken = {});

}  // namespace vexilo
