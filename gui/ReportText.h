// ReportText: words taken from data files made safe to show in a report (control bytes and bytes past ASCII
// written as escapes, long words cut).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// File names are shown up to the longest path a file system takes.
constexpr size_t kReportPathBytes = 260;

// The word as printable ASCII: a byte below 0x20, 0x7F or above, and the backslash itself are written as "\xNN"
// (the backslash as "\\"); a word longer than `maxBytes` bytes keeps its first `maxBytes` and ends in "...".
std::string ReportWord(std::string_view word, size_t maxBytes = 32);
