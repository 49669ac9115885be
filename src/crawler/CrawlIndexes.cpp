#include "crawler/CrawlIndexes.h"

#include "core/TextRules.h"

namespace vexilo {

CrawlIndexes::CrawlIndexes(CrawlState& state) : mState(state) {}

void CrawlIndexes::Rebuild() {
  mTemp = {mState.TempUrls.begin(), mState.TempUrls.end()};
  mVisited = {mState.VisitedUrls.begin(), mState.VisitedUrls.end()};
  mPictures = {mState.PictureUrls.begin(), mState.PictureUrls.end()};
  mTrimmedPictures.clear();
  for (const std::string& address : mState.PictureUrls) mTrimmedPictures.insert(Trim(address));
  mSavePaths = {mState.SavedNames.begin(), mState.SavedNames.end()};
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

void CrawlIndexes::AppendPicture(const std::string& address, const std::string& savePath) {
  mState.PictureUrls.push_back(address);
  mState.SavedNames.push_back(savePath);
  mPictures.insert(address);
  mTrimmedPictures.insert(Trim(address));
  mSavePaths.insert(savePath);
}

void CrawlIndexes::AppendSavedName(const std::string& savePath) {
  mState.SavedNames.push_back(savePath);
  mSavePaths.insert(savePath);
}

}  // namespace vexilo
