#include "ScriptedHost.h"

#include "app/JobTexts.h"
#include "search/FindState.h"

#include <gtest/gtest.h>

using namespace vtm;
using namespace vtmtest;

// While a job polls, the window may deliver anything: every way into the editor that
// would change what the job reads must be refused, and a stop leaves no trace but the text.
TEST(Job, RunningJobRefusesOtherCommandsAndAStopSaysWhereItCame)
{
    std::vector<std::uint8_t> bytes(4096, 0x11);
    Rig r(bytes);
    r.s.doc.setPieceLimitsForTesting(4, 64);
    r.s.doc.loadBytes(bytes.data(), std::int64_t(bytes.size()));
    r.s.Find.FindBytes = {0x22};
    r.s.Find.SearchAccepted = true;
    r.ed.MoveCursorToOffset(5, false, false);
    r.s.doc.SetMark(7, 3);
    int tried = 0;
    r.host.stopWhen = [&](const JobMeter &meter) {
        if (tried++ == 0) {
            EXPECT_TRUE(r.ed.JobRunning());
            r.ed.runCommand(Command::Delete);
            r.ed.runCommand(Command::UnmarkAll);
            r.ed.runCommand(Command::New);
            r.ed.FormKeyPress(U'7');
            r.ed.MouseDown(1, 1);
        }
        return meter.done() >= 1024;
    };
    r.ed.runCommand(Command::FindNext);

    EXPECT_FALSE(r.ed.JobRunning());
    EXPECT_EQ(r.host.jobTitles, std::vector<std::string>{"Find next"});
    EXPECT_EQ(r.host.jobsEnded, 1);
    EXPECT_EQ(BytesOf(r.s.doc), bytes);
    EXPECT_EQ(r.s.doc.MarkAt(7), 3);
    EXPECT_FALSE(r.s.History.CanUndo());
    EXPECT_EQ(r.ed.CursorOffset(), 5);
    EXPECT_EQ(r.host.beepCount, 0);
    EXPECT_EQ(r.host.status[2], "Stopped at 25 %");

    // Not stopped, the same command runs to its end as it always did: not found, a beep.
    r.host.stopWhen = nullptr;
    r.ed.runCommand(Command::FindNext);
    EXPECT_EQ(r.host.beepCount, 1);
    EXPECT_EQ(r.host.polls.back(), 4096 - 6);
    r.ed.runCommand(Command::Delete); // and commands are taken again
    EXPECT_EQ(r.s.doc.BufferSize(), 4095);
}

TEST(Job, ProgressTextsInBothLanguages)
{
    // Half of 200 MB in 4 s: 25 MB/s, 4 s to go; the bar is never full before the end.
    JobProgressView v = JobProgress(LanguageEnglish, 100'000'000, 200'000'000, 4000);
    EXPECT_EQ(v.permille, 500);
    EXPECT_EQ(v.percent, "50 %");
    EXPECT_EQ(v.rate, "25.0 MB/s");
    EXPECT_EQ(v.timeLeft, "Time left: 0:04");
    v = JobProgress(LanguageGerman, 1'000'000, 1'000'000'000, 5000);
    EXPECT_EQ(v.rate, "0,2 MB/s");
    EXPECT_EQ(v.timeLeft, "Restzeit: 1:23:15");
    EXPECT_EQ(JobProgress(LanguageEnglish, 10, 10, 500).permille, 999);
    EXPECT_EQ(JobProgress(LanguageEnglish, 0, 10, 0).timeLeft, "Time left: estimating");
    EXPECT_EQ(JobProgress(LanguageEnglish, 5, 0, 10).permille, 0);
    // Totals near the largest document do not overflow.
    EXPECT_EQ(JobProgress(LanguageEnglish, INT64_MAX / 2, INT64_MAX, 1000).permille, 499);

    EXPECT_EQ(JobStoppedText(LanguageEnglish, 250, 1000, 1234, 4936),
              "Stopped at 25 %: 1,234 changed of an estimated 4,936");
    EXPECT_EQ(JobStoppedText(LanguageEnglish, 250, 1000, 1234), "Stopped at 25 %: 1,234 changed");
    EXPECT_EQ(JobStoppedText(LanguageGerman, 0, 1000, 0), "Abgebrochen bei 0 %: 0 geändert");
    EXPECT_EQ(GroupedNumber(INT64_MIN, LanguageGerman), "-9.223.372.036.854.775.808");
}
