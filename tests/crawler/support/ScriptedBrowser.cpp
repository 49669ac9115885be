#include "support/ScriptedBrowser.h"

#include <algorithm>

namespace vexilo::test {

ScriptedBrowser::ScriptedBrowser(ScriptedBrowser& root, int page)
    : BrowserPictures(root.BrowserPictures),
      CrawlScripts(root.CrawlScripts),
      mPump(root.mPump),
      mRoot(root),
      mPage(page) {
  mRoot.mMostOpenPages = std::max(mRoot.mMostOpenPages, ++mRoot.mOpenPages);
}

ScriptedBrowser::~ScriptedBrowser() {
  if (&mRoot != this) --mRoot.mOpenPages;
}

std::unique_ptr<PageBrowser> ScriptedBrowser::OpenPage() {
  if (!mRoot.MayOpenPages) return nullptr;
  return std::unique_ptr<PageBrowser>(new ScriptedBrowser(mRoot, ++mRoot.mPagesMade));
}

void ScriptedBrowser::Navigate(const std::string& address) {
  mAddress = address;
  mLoadStart = mPump.Elapsed();
  if (address != "about:blank") mRoot.mVisits.push_back({mLoadStart, address, mMode, mPage});
}

int ScriptedBrowser::ReadyState() {
  FollowRedirect();
  const ScriptedPage* page = Current();
  if (page == nullptr) return kReadyStateComplete;
  bool loaded = page->LoadSeconds >= 0 && mPump.Elapsed() >= mLoadStart + page->LoadSeconds;
  return loaded ? kReadyStateComplete : 1;
}

std::string ScriptedBrowser::LocationURL() {
  FollowRedirect();
  return mAddress;
}

std::optional<PageDocument> ScriptedBrowser::Document() {
  FollowRedirect();
  mRoot.mReads.push_back({mPump.Elapsed(), mAddress, mMode, mPage});
  const ScriptedPage* page = Current();
  return page == nullptr ? PageDocument{} : page->Document;
}

std::vector<std::string> ScriptedBrowser::VisitedAddresses() const {
  std::vector<std::string> addresses;
  for (const Navigation& visit : mVisits) addresses.push_back(visit.Address);
  return addresses;
}

void ScriptedBrowser::FollowRedirect() {
  const ScriptedPage* page = Current();
  if (page == nullptr || page->RedirectTo.empty()) return;
  double at = mLoadStart + page->RedirectSeconds;
  if (mPump.Elapsed() < at) return;
  mAddress = page->RedirectTo;
  mLoadStart = at;
}

const ScriptedPage* ScriptedBrowser::Current() const {
  auto it = mRoot.Pages.find(mAddress);
  return it == mRoot.Pages.end() ? nullptr : &it->second;
}

}  // namespace vexilo::test
