#pragma once
// Replaces the files of a folder as one set. The new files are written into a fresh hidden
// folder beside it, ".<name>.new.<six letters or digits>", which is then swapped with the
// folder in one rename. Where the file system cannot swap two folders, the folder is first
// renamed to ".<name>.old.<the same six>" and the new one into its place: a folder that is
// missing while such an old set lies beside it is restored from that set. Entries of the old
// folder that are not files of the set are carried over into the new one, and the old set is
// removed. Whenever the program is killed, RecoverFolder leaves the old set or the new one,
// whole. Nothing follows a symbolic link: a folder that is one is refused, and a hidden name
// that is a link or a file is not a set. A folder named like a set of another one would be
// taken for it; the program never makes such names. Main thread only; no other program may
// write to these folders at the same time.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/FileLayer.h"

namespace vexilo {

struct NamedText {
  std::string Name;
  std::string Text;
};

// Makes files the whole content of folder, creating it (and its parents) when missing, and carries
// over the entries of another name. A file keeps the permissions of the one it replaces; as with
// ReplaceFileText, one without write permission (or a folder in a file's place) fails the
// commit before anything changes. Raises FileError with the old set whole; once the new set is
// in place the commit has succeeded, and what is left of the old one waits for RecoverFolder.
void CommitFolder(FileLayer& layer, const std::filesystem::path& folder,
                  const std::vector<NamedText>& files);

// Restores folder from its old set when it is missing, then removes its leftover sets: files
// named in names (and the temporaries ReplaceFileText leaves of them) are removed, other
// entries carried into folder where their name is free. Never fails: what cannot be removed
// stays for the next time.
void RecoverFolder(FileLayer& layer, const std::filesystem::path& folder,
                   std::span<const std::string> names);

// RecoverFolder for every folder of parent that has a leftover set.
void RecoverFoldersIn(FileLayer& layer, const std::filesystem::path& parent,
                      std::span<const std::string> names);

// The leftover sets of folder: real folders only, no links.
std::vector<std::filesystem::path> LeftoverSets(const std::filesystem::path& folder);

}  // namespace vexilo
