#pragma once
// The facts the folder decision (core/AppFolders) needs, read from the running program and
// the user's environment: the executable's folder and whether it can be written, the
// install's folders compiled in, and the XDG data and pictures folders.

#include <QString>
#include <filesystem>

#include "core/AppFolders.h"

namespace vexilo {

// Whether this process may create files in folder.
bool FolderWritable(const std::filesystem::path& folder);

FolderFacts SystemFolderFacts(const QString& executableFolder);

}  // namespace vexilo
