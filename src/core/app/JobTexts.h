#pragma once

#include "app/Captions.h"
#include "document/Language.h"

#include <cstdint>
#include <string>

namespace vtm {

// A long command's name in its progress window: the menu caption without its accelerator
// and dots.
std::string JobTitle(MenuItem item, Language language);

// What the progress window shows of a job that has done `done` of `total` units (bytes)
// in elapsedMs.
struct JobProgressView
{
    int permille = 0;     // the bar, 0..1000; never full before the job ends
    std::string percent;  // "37 %"
    std::string rate;     // "212.4 MB/s"; empty until something is measured
    std::string timeLeft; // "Time left: 0:42"; estimating until a second has passed
};
JobProgressView JobProgress(Language language, std::int64_t done, std::int64_t total,
                            std::int64_t elapsedMs);

// The status bar after a stop: how far the command came and, for one that keeps its work
// (changed >= 0), how much it changed, which one Undo takes back, and of how much the whole
// command would have changed where that is known (estimate >= 0).
std::string JobStoppedText(Language language, std::int64_t done, std::int64_t total,
                           std::int64_t changed, std::int64_t estimate = -1);

// 1234567 as "1,234,567" (English) or "1.234.567" (German).
std::string GroupedNumber(std::int64_t n, Language language);

} // namespace vtm
