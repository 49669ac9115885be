#include "shell/AdvancedOptions.h"

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr std::array kOptions = {
    AdvancedOption{"ListModernPictures", "List PNG, WebP and AVIF pictures",
                   "Folders list .png, .webp and .avif files too, downloads keep those endings, "
                   "and a picture saved under the wrong ending is read by its contents.",
                   &AdvancedSettings::ListModernPictures, true},
    AdvancedOption{"FindPicturesLikeBrowser", "Find pictures the way a browser shows them",
                   "Takes the full-size picture a thumbnail links to, the largest srcset "
                   "candidate, lazy-loaded pictures, CSS backgrounds and pictures in frames.",
                   &AdvancedSettings::BrowserPictures, true},
    AdvancedOption{"RunPageScripts", "Run page scripts while crawling",
                   "Pages run their scripts and are scrolled to their end (at most 10 seconds) "
                   "before they are read, so galleries built by scripts yield their pictures.",
                   &AdvancedSettings::RunPageScripts, true},
    AdvancedOption{"FilterByRealSize", "Filter by the real picture size",
                   "The minimum width and height compare the size read from the first bytes "
                   "of each picture instead of the size the page gives it.",
                   &AdvancedSettings::RealSizeFilter, true},
    AdvancedOption{"ExifOrientation", "Turn photos the way the camera held them",
                   "JPEG photos are shown turned as their orientation tag says.",
                   &AdvancedSettings::ExifOrientation, false},
    AdvancedOption{"KeepOneCopy", "Keep one copy of identical pictures",
                   "A downloaded picture whose bytes equal one already downloaded in the same "
                   "task is removed again and marked as a duplicate.",
                   &AdvancedSettings::KeepOneCopy, true},
    AdvancedOption{"KeepLargestCopy", "Keep only the largest copy of each picture",
                   "A downloaded picture that is the same photo as one already in the task at "
                   "another size or quality is removed when it is smaller; a larger one takes "
                   "the smaller one's place.",
                   &AdvancedSettings::KeepLargestCopy, true},
    AdvancedOption{"NeverTwiceAcrossTasks",
                   "Never download a picture that another task already has",
                   "A picture whose address another task has downloaded is not fetched, and one "
                   "whose contents another task has is removed again and marked as a duplicate.",
                   &AdvancedSettings::NeverTwiceAcrossTasks, false},
    AdvancedOption{"FollowRedirects", "Follow redirects",
                   "Downloads follow up to 5 redirections, from http to https but never back, "
                   "and the picture list shows the address they end at.",
                   &AdvancedSettings::FollowRedirects, true},
    AdvancedOption{"KeepOnlyRealPictures", "Keep only real pictures",
                   "A download answered with an error, or whose contents are no picture, is "
                   "deleted and its row marked with the reason.",
                   &AdvancedSettings::KeepOnlyRealPictures, true},
    AdvancedOption{"ServerDate", "Give pictures the server's date",
                   "A downloaded picture's file is dated when the server says the picture last "
                   "changed, not when it was downloaded; without such a date it keeps the "
                   "download's.",
                   &AdvancedSettings::ServerDate, false},
    AdvancedOption{"BrowserSession", "Download with the browser's session",
                   "Pictures are requested with the browser's cookies, its user agent and their "
                   "page as referrer; the browser keeps logons between runs from the next start.",
                   &AdvancedSettings::BrowserSession, true},
    AdvancedOption{"RetryFailed", "Retry failed pictures",
                   "A picture that failed for a passing reason (no connection, time-out, a busy "
                   "server) is fetched again up to three times, waiting longer each time; at "
                   "most four pictures come from one server at a time.",
                   &AdvancedSettings::RetryFailed, true},
    AdvancedOption{"CrawlPolitely", "Crawl politely",
                   "Pages and pictures that a site's robots.txt forbids are not fetched, a "
                   "server gets a request about once a second at most, and a server that asks "
                   "for a pause (Retry-After) gets it, up to 10 minutes.",
                   &AdvancedSettings::CrawlPolitely, false},
    AdvancedOption{"ShuffleSlides", "Shuffle the slide show",
                   "The viewer's slide show (View > Slide Show, F5) goes through the pictures in "
                   "a random order instead of the grid's order.",
                   &AdvancedSettings::ShuffleSlides, false},
    AdvancedOption{"TrashWithoutAsking", "Move pictures to the Trash without asking",
                   "The Delete key of the viewer and of the picture grid moves pictures to the "
                   "Trash at once instead of asking first; they can still be taken back from "
                   "the Trash.",
                   &AdvancedSettings::TrashWithoutAsking, false},
};

constexpr std::array kNumbers = {
    AdvancedNumber{"PagesAtOnce", "Pages loaded at once",
                   "Pages past the starting page are loaded this many at a time and still read "
                   "in order, so slow sites are crawled faster with the same results.",
                   &AdvancedSettings::PagesAtOnce, AdvancedSettings::kFewestPagesAtOnce,
                   AdvancedSettings::kMostPagesAtOnce},
    AdvancedNumber{"SlideSeconds", "Seconds a picture in a slide show",
                   "The viewer's slide show shows the next picture after this many seconds; any "
                   "key or click ends it.",
                   &AdvancedSettings::SlideSeconds, AdvancedSettings::kFewestSlideSeconds,
                   AdvancedSettings::kMostSlideSeconds},
    AdvancedNumber{"DownloadKBps", "Download speed cap (KB/s)",
                   "While crawling politely, all downloads together take at most this many "
                   "kilobytes a second; 0 for no cap.",
                   &AdvancedSettings::DownloadKBps, 0, AdvancedSettings::kMostDownloadKBps},
};

}  // namespace

std::span<const AdvancedOption> AdvancedOptions() { return kOptions; }
std::span<const AdvancedNumber> AdvancedNumbers() { return kNumbers; }

void ReadAdvancedSettings(SettingsStore& store, AdvancedSettings& settings) {
  for (const AdvancedOption& option : kOptions) {
    std::string value = Trim(store.Read(option.StoredName));
    if (value == "1") settings.*option.Flag = true;
    if (value == "0") settings.*option.Flag = false;
  }
  for (const AdvancedNumber& number : kNumbers) {
    std::optional<std::int32_t> value = ParseWholeNumber(Trim(store.Read(number.StoredName)));
    if (value && *value >= number.Least && *value <= number.Most) settings.*number.Value = *value;
  }
}

AdvancedSettings StoredAdvancedSettings(SettingsStore& store) {
  AdvancedSettings settings;
  try {
    store.Open();
    ReadAdvancedSettings(store, settings);
    store.Close();
  } catch (const std::exception&) {
    return AdvancedSettings{};
  }
  return settings;
}

void WriteAdvancedSettings(SettingsStore& store, const AdvancedSettings& settings) {
  for (const AdvancedOption& option : kOptions) {
    store.Write(option.StoredName, settings.*option.Flag ? "1" : "0");
  }
  for (const AdvancedNumber& number : kNumbers) {
    store.Write(number.StoredName, std::to_string(settings.*number.Value));
  }
}

}  // namespace vexilo
