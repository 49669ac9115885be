#pragma once
// The crawl driver: runs one crawl of the current task in the page browser, level by level,
// with the page, redirect and logon waits, and leaves CrawlState and the picture list for the
// download scheduler and the task's state files. Main thread only; not re-entrant.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/AdvancedSettings.h"
#include "core/CrawlState.h"
#include "core/EventPump.h"
#include "core/HostPacing.h"
#include "core/PictureEntry.h"
#include "core/PictureSizeProbe.h"
#include "core/RobotsCheck.h"
#include "core/RunState.h"
#include "core/StatusSink.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/UserPrompts.h"
#include "crawler/CrawlHooks.h"
#include "crawler/CrawlIndexes.h"
#include "crawler/LinkHarvester.h"
#include "crawler/PageBrowser.h"
#include "crawler/PictureHarvester.h"

namespace vexilo {

// How often at most the crawl saves its state while it runs.
inline constexpr std::chrono::seconds kProgressSaveInterval{2};

class Crawler {
 public:
  // programFolder holds the task/ folder of state files. Every reference is to an object of
  // the main window that outlives the crawler; task and options are read afresh by every
  // RunCrawl. sizeProbe, when given, serves the real-size filter.
  Crawler(std::filesystem::path programFolder, const TaskRecord& task, CrawlState& state,
          std::vector<PictureEntry>& pictureRows, RunState& run, PageBrowser& browser,
          EventPump& pump, UserPrompts& prompts, StatusSink& status, CrawlHooks& hooks,
          const AdvancedSettings& options = AdvancedSettings::Defaults(),
          PictureSizeProbe* sizeProbe = nullptr);
  Crawler(const Crawler&) = delete;
  Crawler& operator=(const Crawler&) = delete;

  // With AdvancedSettings::CrawlPolitely on, pages and pictures robots forbids are left out
  // and each page load waits for its host's turn in pacing. Either may be null (that part
  // is off); both must outlive the crawler.
  void SetPoliteness(RobotsCheck* robots, HostPacing* pacing);

  // Crawls the current task; returns when the crawl has finished, been stopped or failed.
  // A failure ends it without a message box, its reason in the progress panel and the state
  // saved once it was set up; a crawl that had started stays RunPhase::Failed until Stop.
  // knownPictures: addresses the task had before, which are not queued again.
  void RunCrawl(const std::unordered_set<std::string>& knownPictures = {});

  // WantUrls := TempUrls; TempUrls appended to VisitedUrls; TempUrls stays as it is.
  void PromoteLevel();
  static int CountLinks(const PageDocument& document);

 private:
  void StartCrawl();
  void GiveMissingSavePaths();
  // false when the crawl was cancelled.
  bool VisitLevels();
  // Level 1 one page at a time, with the redirect wait and the logon minute.
  bool VisitFirstLevel(size_t start);
  bool VisitStartingPage(const std::string& address);
  // A later level, up to PagesAtOnce() pages loading at once but read in the level's order;
  // Stop stops them all, and the saved index is that of the first page not read.
  bool VisitLevel(size_t start);
  int PagesAtOnce() const;
  // Opens extra pages up to count, fewer when the browser has none to give.
  void OpenExtraPages(size_t count);
  PageBrowser& Slot(size_t slot);  // 0 is the browser itself, then the extra pages
  static void StartLoad(PageBrowser& page, const std::string& address);
  // Polite: false, with the progress panel saying so, for a page robots.txt forbids; false
  // too once Stop was pressed while its robots.txt was read.
  bool RobotsAllow(const std::string& address);
  // Polite: waits until address's host may get a request and takes that turn.
  void AwaitTurn(const std::string& address);
  bool Polite() const { return mOptions.CrawlPolitely; }
  bool Harvest(PageBrowser& page);
  bool Cancel();
  void WaitUntil(EventPump::Clock::time_point deadline, const std::function<bool()>& done);
  void WaitForPage(PageBrowser& page, EventPump::Clock::time_point deadline);
  void EnterLogonMode();
  void LeaveLogonMode();
  void EndFailedCrawl(const std::string& reason);
  // The save at the crawl's end.
  void SaveState();
  // The saves as the crawl goes, so that a crash loses at most its last seconds: after a
  // page's harvest and while waiting, at most every kProgressSaveInterval; at once at a
  // level's start. A save that fails is told once and does not hold back the downloads.
  void SaveProgressIfDue();
  void SaveProgress();

  TaskStateFiles mStateFiles;
  const TaskRecord& mTask;
  const AdvancedSettings& mOptions;
  CrawlState& mState;
  std::vector<PictureEntry>& mPictureRows;
  RunState& mRun;
  PageBrowser& mBrowser;
  std::vector<std::unique_ptr<PageBrowser>> mExtraPages;  // open while a level is visited
  EventPump& mPump;
  UserPrompts& mPrompts;
  StatusSink& mStatus;
  CrawlHooks& mHooks;
  CrawlIndexes mIndexes;
  LinkHarvester mLinks;
  PictureHarvester mPictures;
  RobotsCheck* mRobots = nullptr;
  HostPacing* mPacing = nullptr;

  std::string mTaskFolder;
  const std::unordered_set<std::string>* mKnownPictures = nullptr;  // during RunCrawl
  bool mLogonMode = false;
  bool mMaySave = false;  // the state is worth saving: it was set up or loaded whole
  bool mSaved = false;    // the end's save ran
  bool mUnsaved = false;  // harvested since the last progress save
  std::optional<EventPump::Clock::time_point> mProgressSaved;  // none yet: at once
};

}  // namespace vexilo
