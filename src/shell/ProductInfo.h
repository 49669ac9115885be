#pragma once
// Who makes Vexilo: the one place for these texts. The project has no web address of its
// own, so none is shown.

namespace vexilo {

inline constexpr const char* kProductTitle = "Vexilo 2.00 ";
inline constexpr const char* kMakerNotice = "Copyright (C) 2026 The Vexilo developers";
inline constexpr const char* kProductSummary =
    "A picture crawler: finds the pictures of web sites and downloads them.";

}  // namespace vexilo
