#include <gtest/gtest.h>

#include "core/Errors.h"
#include "gallery/GalleryPages.h"

namespace vexilo {
namespace {

std::string Echo(const TemplateTag& tag) {
  std::string text = std::string(tag.IsImage ? "[image " : "[") + tag.Name;
  for (const auto& [name, value] : tag.Parameters) text += " " + name + "=" + value;
  return text + "]";
}

TEST(TemplateExpander, ReplacesTagsAndCopiesEverythingElse) {
  EXPECT_EQ(ExpandTemplate("a<#Image ImageID=3>b<#LinkPage>c", Echo),
            "a[image Image ImageID=3]b[LinkPage]c");
  EXPECT_EQ(ExpandTemplate("<#iMaGe\r\n  imageid=7   x=\t y>", Echo),
            "[image iMaGe imageid=7 x= y=]");
  EXPECT_EQ(ExpandTemplate("<# IMAGE ImageID=1>", Echo), "[ IMAGE= ImageID=1]")
      << "a blank after <# means no name";
  EXPECT_EQ(ExpandTemplate("keep <b>this</b> and <#open", Echo), "keep <b>this</b> and <#open");
  EXPECT_EQ(ExpandTemplate("", Echo), "");
  EXPECT_EQ(ExpandTemplate("<#>", Echo), "[]");
}

TEST(TemplateExpander, ParameterNamesIgnoreCaseAndTheFirstOneCounts) {
  TemplateTag tag;
  tag.Parameters = {{"IMAGEid", "4"}, {"imageID", "5"}};
  ASSERT_NE(tag.Parameter("ImageID"), nullptr);
  EXPECT_EQ(*tag.Parameter("ImageID"), "4");
  EXPECT_EQ(tag.Parameter("Other"), nullptr);
}

// A template with every position and the link bar, as the shipped one has them.
std::string Page(int page, int count) {
  std::string text;
  for (int k = 0; k < kGalleryPageSize; ++k) text += "<#IMAGE ImageID=" + std::to_string(k) + ">|";
  text += "<#LinkPage>";
  return ExpandTemplate(text, [&](const TemplateTag& tag) {
    return ExpandGalleryTag(tag, page, count,
                            [](int n) { return "p" + std::to_string(n) + ".jpg"; });
  });
}

int Images(const std::string& page) {
  int images = 0;
  for (size_t at = page.find("<IMG"); at != std::string::npos; at = page.find("<IMG", at + 1)) {
    ++images;
  }
  return images;
}

TEST(GalleryPages, ImageFragmentAndLinkBarAreExact) {
  EXPECT_EQ(GalleryImageFragment("(1)Photo_2-x.JPG", 40),
            "<a href=\"large/(1)Photo_2-x.JPG\">\r\n<IMG border=\"0\" alt=\"(1)Photo_2-x.JPG\" "
            "src=\"small/40.bmp\" width=\"80\" height=\"80\"></a>");
  // A name cannot break the page or inject markup, and its link still names the file.
  EXPECT_EQ(
      GalleryImageFragment("a\"b<c>&.jpg", 1),
      "<a href=\"large/a%22b%3Cc%3E%26.jpg\">\r\n<IMG border=\"0\" "
      "alt=\"a&quot;b&lt;c&gt;&amp;.jpg\" src=\"small/1.bmp\" width=\"80\" height=\"80\"></a>");
  EXPECT_NE(GalleryImageFragment("#1 100%.jpg", 2).find("href=\"large/%231%20100%25.jpg\""),
            std::string::npos);
  EXPECT_EQ(GalleryLinkBar(0, 0),
            "\r\n<p align=\"center\"><span >[Previous]</span>\r\n<b> 0</b>\r\n"
            "<span>[Next]</span></p>\r\n");
  EXPECT_EQ(GalleryLinkBar(1, 2),
            "\r\n<p align=\"center\"><span ><a href=\"page0.html\">[Previous]</a></span>\r\n"
            "<a href=\"page0.html\"><u>0</u></a>\r\n<b> 1</b>\r\n"
            "<a href=\"page2.html\"><u>2</u></a>\r\n"
            "<span> <a href=\"page2.html\">[Next]</a></span></p>\r\n");
}

TEST(GalleryPages, PagesHoldThirtySixPicturesNumberedAcrossPages) {
  EXPECT_EQ(LastGalleryPage(0), 0);
  EXPECT_EQ(LastGalleryPage(35), 0);
  EXPECT_EQ(LastGalleryPage(36), 1);  // an empty last page
  EXPECT_EQ(LastGalleryPage(73), 2);

  EXPECT_EQ(Images(Page(0, 0)), 0);
  EXPECT_EQ(Images(Page(0, 35)), 35);
  EXPECT_EQ(Images(Page(0, 36)), 36);
  EXPECT_EQ(Images(Page(1, 36)), 0);
  EXPECT_NE(Page(0, 36).find("[Next]</a>"), std::string::npos);
  EXPECT_EQ(Images(Page(2, 73)), 1);
  EXPECT_NE(Page(2, 73).find("small/72.bmp"), std::string::npos);
  EXPECT_NE(Page(1, 73).find("|<a href=\"large/p40.jpg\">\r\n<IMG border=\"0\" alt=\"p40.jpg\" "
                             "src=\"small/40.bmp\""),
            std::string::npos);
}

TEST(GalleryPages, TagsOtherThanImageAndLinkPageGiveNothing) {
  const auto none = [](int) -> std::string { throw std::logic_error("no picture is read"); };
  TemplateTag tag;
  tag.Name = "linkpage";  // LinkPage is compared exactly
  EXPECT_EQ(ExpandGalleryTag(tag, 0, 10, none), "");
  tag.Name = "Title";
  EXPECT_EQ(ExpandGalleryTag(tag, 0, 10, none), "");
  tag = TemplateTag{true, "image", {{"imageid", "-1"}}};
  EXPECT_EQ(ExpandGalleryTag(tag, 1, 100, none), "") << "no picture of an earlier page";
}

TEST(GalleryPages, AnImageTagWithoutAWholeNumberStopsThePage) {
  const auto name = [](int) { return std::string("x.jpg"); };
  EXPECT_THROW(ExpandGalleryTag(TemplateTag{true, "IMAGE", {}}, 0, 5, name), ConversionError);
  EXPECT_THROW(ExpandGalleryTag(TemplateTag{true, "IMAGE", {{"ImageID", "\"3\""}}}, 0, 5, name),
               ConversionError);
}

}  // namespace
}  // namespace vexilo
