// The pages made from the shipped template, read by the real browser engine: every thumbnail,
// picture and page they point to exists.

#include <gtest/gtest.h>

#include <QUrl>
#include <chrono>
#include <map>

#include "gallery/GalleryGenerator.h"
#include "platform/QtEventPump.h"
#include "platform/WebEnginePageBrowser.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

TEST(GalleryInBrowser, EveryLinkOfSeventyThreePicturesResolves) {
  test::TempDir program;
  fs::copy_file(VEXILO_SHIPPED_TEMPLATE, program / "templet.htm");
  fs::create_directories(program / "pics");
  TImageFileList pictures;
  for (int i = 0; i < 73; ++i) {
    // Names a page could choke on, among plain ones.
    const std::string name = i == 5    ? "#5 100%.jpg"
                             : i == 40 ? "a\"b<c>&.jpg"
                                       : "p" + std::to_string(i) + ".jpg";
    test::WriteFileBytes(program / "pics" / name, "picture");
    pictures.Add((program / "pics" / name).string());
  }
  const Bitmap24 thumbnail(80, 80);
  test::RecordingShell shell;
  shell.PickedFolder = (program / "gallery").string();
  test::RecordingPrompts prompts;
  CreateGallery({program / "thumbnails", "", program / kGalleryTemplateFile, pictures,
                 [&](int) -> const Bitmap24& { return thumbnail; }, shell, prompts});
  ASSERT_TRUE(prompts.Errors.empty()) << prompts.Errors.front();

  QtEventPump pump;
  WebEnginePageBrowser browser;
  const std::map<int, size_t> imagesOnPage = {{0, 36}, {1, 36}, {2, 1}};
  for (const auto& [page, images] : imagesOnPage) {
    const fs::path file = program / "gallery" / ("page" + std::to_string(page) + ".html");
    browser.Navigate(
        QUrl::fromLocalFile(QString::fromStdString(file.string())).toString().toStdString());
    const auto deadline = pump.Now() + std::chrono::seconds(30);
    while (browser.ReadyState() != PageBrowser::kReadyStateComplete && pump.Now() < deadline) {
      pump.ProcessEvents();
    }
    const std::optional<PageDocument> document = browser.Document();
    ASSERT_TRUE(document.has_value()) << file;
    EXPECT_EQ(document->Images.size(), images) << file;
    std::vector<std::string> targets;
    for (const PageImage& image : document->Images) targets.push_back(image.Href);
    targets.insert(targets.end(), document->Links.begin(), document->Links.end());
    for (const std::string& target : targets) {
      const QUrl url(QString::fromStdString(target));
      ASSERT_TRUE(url.isLocalFile()) << target;
      EXPECT_TRUE(fs::is_regular_file(url.toLocalFile().toStdString())) << target;
    }
    // Previous and Next of the middle page, and a link to every other page.
    if (page == 1) {
      EXPECT_EQ(document->Links.size(), 36u + 2u + 2u) << file;
    }
  }
}

}  // namespace
}  // namespace vexilo
