#include "crawler/CrawlIndexes.h"

#include "core/TextRules.h"

namespace vexilo {

CrawlIndexes::CrawlIndexes(CrawlState& state) : mState(state) {}

void CrawlIndexes::Rebuild() {
  mTemp = {mState.TempUrls.begin(), mState.TempUrls.end()};
  mVisited = {mState.VisitedUrls.begin(), mState.VisitedUrls.end()};
  mPictures.clear();
  mTrimmedPictures.clear();
  mSavePaths.clear();
  mKnown.clear();
  for (const QueuedPicture& picture : mState.Queue) {
    mPictures.insert(picture.Url);
    mTrimmedPictures.insert(Trim(picture.Url));
    if (!picture.SavePath.empty()) mSavePaths.insert(picture.SavePath);
  }
}

bool CrawlIndexes::IsGathered(const std::string& link) const {
  return mTemp.contains(link) || mVisited.contains(link);
}

void CrawlIndexes::AppendTempUrl(const std::string& link) {
  mState.TempUrls.push_back(link);
  mTemp.insert(link);
}

void CrawlIndexes::PromoteTempUrls() {
  mState.WantUrls = mState.TempUrls;
  mState.VisitedUrls.insert(mState.VisitedUrls.end(), mState.TempUrls.begin(),
                            mState.TempUrls.end());
  mVisited.insert(mState.TempUrls.begin(), mState.TempUrls.end());
}

void CrawlIndexes::ClearTempUrls() {
  mState.TempUrls.clear();
  mTemp.clear();
}

bool CrawlIndexes::HasPicture(const std::string& address) const {
  return mPictures.contains(address);
}

bool CrawlIndexes::HasTrimmedPicture(const std::string& address) const {
  return mTrimmedPictures.contains(Trim(address));
}

bool CrawlIndexes::IsSavePathQueued(const std::string& path) const {
  return mSavePaths.contains(path);
}

void CrawlIndexes::AppendPicture(const std::string& address, const std::string& savePath,
                                 const std::string& page) {
  mState.Queue.push_back({address, savePath, page});
  mPictures.insert(address);
  mTrimmedPictures.insert(Trim(address));
  mSavePaths.insert(savePath);
}

void CrawlIndexes::AddKnownPictures(const std::unordered_set<std::string>& addresses) {
  mKnown.insert(addresses.begin(), addresses.end());
  for (const std::string& address : addresses) {
    mPictures.insert(address);
    mTrimmedPictures.insert(Trim(address));
  }
}

void CrawlIndexes::SetSavePath(std::size_t index, const std::string& savePath) {
  mState.Queue[index].SavePath = savePath;
  mSavePaths.insert(savePath);
}

}  // namespace vexilo
