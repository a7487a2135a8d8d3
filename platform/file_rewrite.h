// Whole-file reads, and rewrites of a file held open that lose nothing when
// a write fails or the program stops half-way.
//
// A rewrite (RewriteFile) goes in three steps:
//   1. The complete new contents are written to a side copy beside the file,
//      named "<file name>.pending": the bytes, then a 20-byte trailer (the tag
//      "PENDING" and 0x1A, the byte count as 8 bytes little-endian, the CRC-32
//      of the bytes as 4 bytes little-endian). The side copy is flushed to the
//      device, and so is its folder entry.
//   2. The file itself is rewritten in place from the first changed byte, cut
//      to its new length and flushed.
//   3. The side copy is removed (or, when it cannot be, emptied).
// A failure in step 1 leaves the file untouched. A failure in step 2 writes
// the old bytes back and cuts the file to its old length. Either way the side
// copy is then removed, and the file holds exactly what it held before.
//
// If the program stops (crash, kill, power loss) before the side copy is
// complete, the file was never touched and the side copy fails its trailer
// check. From the moment the side copy is complete, the new contents are safe
// in it: FinishPendingRewrite, which is called whenever such a file is opened,
// finds it and copies it over the file. So a file is always found either
// wholly old or wholly new.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/text_file.h"

namespace platform {

inline constexpr std::string_view kSideCopySuffix = ".pending";

enum class Rewrite {
  Done,     // the file holds its new contents
  Failed,   // the file holds exactly what it held before the call
  Pending,  // failed, and the old bytes could not be put back either: the
            // complete side copy stays, and the file takes its new contents
            // when it is next opened
};

// Replaces everything from byte `from` on with `tail`. `old_contents` must be
// the file's whole current contents (as ReadWholeFile gives them) and `from`
// at most their size. A rewrite is refused (Failed) while a side copy left by
// an earlier Pending rewrite is still waiting for the next open.
Rewrite RewriteFile(FileHandle file, std::string_view old_contents, std::size_t from, std::string_view tail);

enum class Recovery {
  NothingPending,  // no complete side copy; an incomplete one was discarded
  Finished,        // a complete side copy was copied over the file
  Failed,          // a side copy could not be checked or copied; it stays
};

// Completes an interrupted rewrite of the file; call it right after opening.
Recovery FinishPendingRewrite(FileHandle file);

// The contents the file will be given by FinishPendingRewrite when a complete
// side copy lies beside it; nothing otherwise.
std::optional<std::vector<char>> PendingContents(FileHandle file);

}  // namespace platform
