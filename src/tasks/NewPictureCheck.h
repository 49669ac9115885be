#pragma once
// The archive's share of Task > "Check for New Pictures": a task met for the first time is
// entered from its saved state, pictures the user deleted from the folder are found, and the
// saved state becomes the start of the check: a crawl from the starting address that keeps
// the earlier queue and rows, fetches nothing it has had and nothing the user deleted unless
// asked to. Main thread only; archive failures raise FileError.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/CrawlState.h"
#include "core/KnownPictures.h"
#include "tasks/PictureArchive.h"

namespace vexilo {

// The reason a deleted picture carries in the saved state, so that Resume does not fetch it:
// found gone by a check, moved to the Trash from the viewer or the grid, or moved away from
// there (kMovedByUserReason + where it went).
inline constexpr const char* kDeletedByUserReason = "deleted";
inline constexpr const char* kRemovedByYouReason = "removed by you";
inline constexpr const char* kMovedByUserReason = "moved to ";

// Whether a removed picture's reason says the user took it away.
bool RemovedByUserReason(const std::string& reason);

using FileThere = std::function<bool(const std::string& path)>;

// "Also fetch the 3 pictures you deleted?"
std::string FetchDeletedQuestion(std::size_t count);

// The facts of a downloaded file; what cannot be read stays empty.
FetchedFacts FactsOfFile(const std::string& path);

// Enters a task the archive does not know yet from its saved state: every queued picture;
// those handed out whose file is there as fetched, with the file's facts; those handed out
// whose file is gone, and that no failure, removal or cut-off accounts for, as removed by the
// user. Nothing for a task the archive knows.
void EnterTaskOnce(PictureArchive& archive, const std::string& task, const CrawlState& saved,
                   const FileThere& fileThere);

// Marks every fetched picture of the task whose file is gone as removed by the user, and
// returns all the task's pictures so removed, now or before.
std::vector<ArchivedPicture> DeletedPictures(PictureArchive& archive, const std::string& task,
                                             const FileThere& fileThere);

// What the check leaves alone: every address and content the task had, but those of the
// deleted pictures when they are to be fetched again.
KnownPictures KnownPicturesOf(const std::vector<ArchivedPicture>& pictures,
                              const std::vector<ArchivedPicture>& deleted, bool fetchDeleted);

// The saved state made the start of a check: the level lists of a fresh crawl from startUrl;
// the queue, the rows and the hand-out count kept; the deleted pictures handed out removed
// with kDeletedByUserReason, or, with fetchDeleted, fetched again first; failed pictures
// fetched again.
void MakeCheckStart(CrawlState& state, const std::string& startUrl,
                    const std::vector<ArchivedPicture>& deleted, bool fetchDeleted);

}  // namespace vexilo
