// Whole-file reads, and rewrites of a file held open that lose nothing when
// a write fails or the program stops half-way.
//
// A rewrite (RewriteFile) goes in three steps:
//   1. A side copy is written beside the file, named "<file name>.pending",
//      flushed to the device, and so is its folder entry. It holds:
//        - the complete new contents (N bytes);
//        - the old bytes the new contents do not hold: old[H : O - S];
//        - a 48-byte trailer: the tag "REWRITE" and 0x1A; then, as 8 bytes
//          little-endian each, N; H, the length of the head that old and new
//          contents share (at least the rewrite's `from`); O, the old length;
//          S, the length of the end they share after that head; then the
//          CRC-32 of the old contents, and the CRC-32 of every byte of the
//          side copy before it, as 4 bytes little-endian each.
//      So the old contents are new[0:H] + the middle + new[N-S:N].
//   2. The file itself is rewritten in place from `from`, cut to its new
//      length and flushed.
//   3. The side copy is removed (or, when it cannot be, emptied).
// A failure in step 1 leaves the file untouched. A failure in step 2 writes
// the old bytes back and cuts the file to its old length. Either way the side
// copy is then removed, and the file holds exactly what it held before.
//
// If the program stops (crash, kill, power loss) before the side copy is
// complete, the file was never touched and the side copy fails its trailer
// check; it is discarded. From the moment the side copy is complete, the new
// contents are safe in it: FinishPendingRewrite, which is called whenever
// such a file is opened, finds it and copies it over the file. So a file is
// always found either wholly old or wholly new.
//
// A complete side copy is applied only to a file it belongs to: one whose
// length lies between O and N (either way round) and each of whose bytes i
// equals old[i] (i < O), new[i] (i < N), or is 0 (i >= O, a region the file
// system extended but never filled). That covers the old contents, the new
// ones, and every mixture step 2 and its undoing can leave. Any other complete
// side copy (also one in the earlier format, whose 20-byte trailer records no
// old contents) was planted, or left from before the file was replaced: it is
// renamed to "<file name>.pending.<YYYYMMDD-HHMMSS>-refused" (local time; a
// "-2" to "-9" before "-refused" when that name is taken) and the file is
// used as it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
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
  Finished,        // a side copy belonging to the file was copied over it
  SetAside,        // a side copy not belonging to the file was renamed aside
  Failed,          // a side copy could not be checked, copied or renamed; it stays
};

// Completes an interrupted rewrite of the file; call it right after opening.
Recovery FinishPendingRewrite(FileHandle file);

// The contents the file will be given by FinishPendingRewrite when a side
// copy that belongs to it lies beside it; nothing otherwise. `contents` are
// the file's whole current contents.
std::optional<std::vector<char>> PendingContents(FileHandle file, std::string_view contents);

// For a program that wants to tell its operator: before it opens the file at
// `path` (which must not be open), renames a complete side copy that does not
// belong to the file aside, and gives its new name (`path` with the suffixes
// above). Nothing when there is no side copy, when it belongs to the file or
// is incomplete (the next open deals with it), or when it could not be
// checked or renamed (the next open then fails).
std::optional<std::string> SetAsideForeignSideCopy(const char* path);

}  // namespace platform
