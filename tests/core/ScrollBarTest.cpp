#include "ScriptedHost.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

TEST(ScrollBar, HandleScrollStaysWithinTheRange)
{
    ScriptedHost host;
    TPlixScrollBar bar(1);
    bar.Owner = &host;
    int changes = 0;
    bar.OnChange = [&changes] { ++changes; };
    bar.SetParams(40, 10, 0);
    auto after = [&](ScrollRequest r) {
        bar.HandleScroll(r);
        return bar.GetPosition();
    };
    EXPECT_EQ(after(ScrollRequest::LineDown), 1);
    EXPECT_EQ(after(ScrollRequest::PageDown), 11);
    EXPECT_EQ(after(ScrollRequest::LineUp), 10);
    EXPECT_EQ(after(ScrollRequest::Bottom), 30);
    EXPECT_EQ(after(ScrollRequest::PageDown), 30);
    EXPECT_EQ(after(ScrollRequest::PageUp), 20);
    EXPECT_EQ(after(ScrollRequest::Top), 0);
    EXPECT_EQ(after(ScrollRequest::LineUp), 0);
    host.track[1] = 17;
    EXPECT_EQ(after(ScrollRequest::ThumbTrack), 17);
    host.track[1] = 99;
    EXPECT_EQ(after(ScrollRequest::ThumbTrack), 30);
    EXPECT_EQ(changes, 10);
    EXPECT_EQ(after(ScrollRequest::EndScroll), 30);
    EXPECT_EQ(changes, 10);

    bar.SetParams(4, 10, 0); // fewer rows than fit
    EXPECT_EQ(after(ScrollRequest::Bottom), 0);
    EXPECT_EQ(after(ScrollRequest::LineDown), 0);

    // 64 GiB in rows of 16, one more than a whole number of bar units: the window's bar
    // shows a scaled range, and dragging its thumb to the end reaches the last row.
    const std::int64_t rows = (std::int64_t(64) << 30) / 16 + 1;
    bar.SetParams(rows, 40, 0);
    EXPECT_LE(host.range[1], 1 << 30);
    host.track[1] = host.range[1] - host.page[1];
    EXPECT_EQ(after(ScrollRequest::ThumbTrack), rows - 40);
    host.track[1] = 1000;
    EXPECT_EQ(after(ScrollRequest::ThumbTrack), 1000 * ScrollBarScale(rows));
    EXPECT_EQ(after(ScrollRequest::LineDown), 1000 * ScrollBarScale(rows) + 1);
    EXPECT_EQ(after(ScrollRequest::Bottom), rows - 40);
}
