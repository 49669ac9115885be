#pragma once
// The texts of the picture list's Status column, shared by the downloads that set them and
// the saved state that gives them back after a restart.

namespace vexilo {

inline constexpr const char* kWaitingStatus = "waiting";
inline constexpr const char* kDownloadingStatus = "downloading";
inline constexpr const char* kDoneStatus = "done";
// Done, in a check for new pictures, and not had before.
inline constexpr const char* kNewStatus = "new";
inline constexpr const char* kRetryingStatus = "retrying";
inline constexpr const char* kFailedStatus = "failed: ";  // followed by the reason
// With the largest copy kept, each followed by the other copy's file name.
inline constexpr const char* kSmallerCopyStatus = "smaller copy of ";
inline constexpr const char* kReplacedStatus = "replaced by ";
// The reason of a picture whose save path (hand-edited, say) lies outside its task's folder.
inline constexpr const char* kNoSavePathReason = "no usable save path";

}  // namespace vexilo
