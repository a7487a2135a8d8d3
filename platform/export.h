// Marks a function as one of a library's exports.
//
// Windows: the exported names come from each library's .def file, so the mark
// is empty. Linux: libraries are built with hidden visibility and a version
// script; an export must also have default visibility to be seen at all.
#pragma once

#if defined(_WIN32)
#define PELLAM_EXPORT
#else
#define PELLAM_EXPORT __attribute__((visibility("default")))
#endif
