#include "support/ScriptedBrowser.h"

namespace vexilo::test {

void ScriptedBrowser::Navigate(const std::string& address) {
  mAddress = address;
  mLoadStart = mPump.Elapsed();
  if (address != "about:blank") mVisits.push_back({mLoadStart, address, mMode});
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
  auto it = Pages.find(mAddress);
  return it == Pages.end() ? nullptr : &it->second;
}

}  // namespace vexilo::test
