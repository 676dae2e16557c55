#include "app/JobTexts.h"

#include <algorithm>
#include <cstdio>

namespace vtm {

namespace {
// Tenths of a percent, held below the whole until the job is over.
int permilleOf(std::int64_t done, std::int64_t total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 999;
    return int(std::min<long double>(999.0L, (long double)done * 1000.0L / (long double)total));
}

std::string clock(std::int64_t seconds)
{
    char text[48];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", (long long)(seconds / 3600),
                      (long long)(seconds / 60 % 60), (long long)(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", (long long)(seconds / 60),
                      (long long)(seconds % 60));
    return text;
}
} // namespace

std::string JobTitle(MenuItem item, Language language)
{
    std::string s;
    for (const char c : Caption(item, language))
        if (c != '&')
            s += c;
    while (!s.empty() && (s.back() == '.' || s.back() == ' '))
        s.pop_back();
    return s;
}

std::string GroupedNumber(std::int64_t n, Language language)
{
    const std::string digits = std::to_string(n < 0 ? -(n + 1) + std::uint64_t(1) : n);
    const char sep = IsGerman(language) ? '.' : ',';
    std::string s = n < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            s += sep;
        s += digits[i];
    }
    return s;
}

JobProgressView JobProgress(Language language, std::int64_t done, std::int64_t total,
                            std::int64_t elapsedMs)
{
    const bool german = IsGerman(language);
    JobProgressView v;
    v.permille = permilleOf(done, total);
    v.percent = std::to_string(v.permille / 10) + " %";
    if (elapsedMs > 0 && done > 0) {
        const double mbPerSecond = double(done) / 1e6 / (double(elapsedMs) / 1000.0);
        char text[64];
        std::snprintf(text, sizeof text, "%.1f MB/s", mbPerSecond);
        v.rate = text;
        if (german)
            std::replace(v.rate.begin(), v.rate.end(), '.', ',');
    }
    const char *left = german ? "Restzeit: " : "Time left: ";
    if (elapsedMs < 1000 || done <= 0 || total <= 0) {
        v.timeLeft = std::string(left) + (german ? "wird geschätzt" : "estimating");
    } else {
        const long double rest = (long double)std::max<std::int64_t>(0, total - done)
                                 * (long double)elapsedMs / (long double)done / 1000.0L;
        const std::int64_t seconds =
            std::int64_t(std::min<long double>(rest + 0.5L, 360000.0L * 24.0L));
        v.timeLeft = left + clock(seconds);
    }
    return v;
}

std::string JobStoppedText(Language language, std::int64_t done, std::int64_t total,
                           std::int64_t changed, std::int64_t estimate)
{
    const bool german = IsGerman(language);
    std::string s = german ? "Abgebrochen bei " : "Stopped at ";
    s += std::to_string(permilleOf(done, total) / 10) + " %";
    if (changed >= 0) {
        s += german ? ": " + GroupedNumber(changed, language) + " geändert"
                    : ": " + GroupedNumber(changed, language) + " changed";
        // Only a counted whole: a share of the bytes says little about occurrences ahead.
        if (estimate >= changed)
            s += german ? " von geschätzt " + GroupedNumber(estimate, language)
                        : " of an estimated " + GroupedNumber(estimate, language);
    }
    return s;
}

} // namespace vtm
