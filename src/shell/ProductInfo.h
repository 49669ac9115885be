#pragma once
// Who makes Vexilo and where users find it: the one place for these texts.

namespace vexilo {

inline constexpr const char* kProductTitle = "Vexilo 2.00 ";
inline constexpr const char* kMakerNotice = "Copyright (C) 2026 The Vexilo developers";
inline constexpr const char* kHomePage = "https://vexilo.example.org/";
inline constexpr const char* kSupportAddress = "support@vexilo.example.org";

}  // namespace vexilo
