#pragma once

#include <string>
#include <string_view>

#include "util/FileError.hpp"

namespace drawlume {

// Reads a whole regular file. ENOENT when it does not exist, EISDIR when the
// path names a directory.
FileError readWholeFile(const std::string& path, std::string& contents);

// Replaces the file's contents so that a reader, or the next launch after a
// crash or power loss, sees either the old file or the new one in full: the
// text goes to a temporary file beside the target, is flushed to the disk and
// then renamed over the target. Missing parent folders are created (mode 0700).
// A symbolic link at the path is followed, so a linked settings file stays
// linked; an existing file keeps its permissions, a new one is private (0600).
// On failure the target is untouched and no temporary file is left behind.
FileError writeFileAtomically(const std::string& path, std::string_view contents);

// mkdir -p with the given mode for the folders it creates.
FileError makeDirectories(const std::string& path, unsigned mode);

}  // namespace drawlume
