#include "app/Calculator.h"
#include "app/Help.h"
#include "document/Language.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

using namespace vtm;
namespace fs = std::filesystem;

namespace {

struct HelpTree
{
    fs::path root;
    fs::path bin;

    HelpTree()
    {
        root = fs::temp_directory_path() / ("vtm_help_" + std::to_string(::getpid()));
        fs::remove_all(root);
        bin = root / "bin";
        fs::create_directories(bin);
    }
    ~HelpTree() { fs::remove_all(root); }

    void add(const fs::path &relative)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "<html></html>";
    }
    std::string at(const fs::path &relative) const
    {
        return (root / relative).lexically_normal().string();
    }
};

// Answers the calculator's questions from queues and records what it was asked.
struct ScriptedCalculatorHost : CalculatorHost
{
    std::deque<int> answers;
    std::deque<std::optional<std::string>> choices;
    std::set<std::string> files;
    bool startSucceeds = true;

    std::vector<MessageRequest> questions;
    std::vector<std::pair<std::string, std::string>> choosers; // title, start
    std::vector<std::string> started;

    int ask(const MessageRequest &request) override
    {
        questions.push_back(request);
        const int answer = answers.empty() ? mrCancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    std::optional<std::string> chooseFile(const std::string &title,
                                          const std::string &start) override
    {
        choosers.emplace_back(title, start);
        std::optional<std::string> choice;
        if (!choices.empty()) {
            choice = choices.front();
            choices.pop_front();
        }
        return choice;
    }
    bool exists(const std::string &path) override { return files.count(path) > 0; }
    bool start(const std::string &path) override
    {
        started.push_back(path);
        return startSucceeds;
    }
};

} // namespace

TEST(Help, PathFollowsLanguageAndContext)
{
    HelpTree tree;
    const std::string bin = tree.bin.string();

    // Nothing installed: the path beside the program is the one to report.
    EXPECT_EQ(HelpFilePath(bin, LanguageEnglish, HelpContextContents),
              tree.at("bin/help/en/index.html"));
    EXPECT_EQ(HelpFilePath(bin, LanguageGerman, HelpContextCharTable),
              tree.at("bin/help/de/chartable.html"));
    // Any language but German is English; an unknown context opens the contents.
    EXPECT_EQ(HelpFilePath(bin, LanguageOf(12), HelpContextCharTable),
              tree.at("bin/help/en/chartable.html"));
    EXPECT_EQ(HelpFilePath(bin, LanguageGerman, 4711), tree.at("bin/help/de/index.html"));

    // Installed under share/: found from bin/.
    tree.add("share/vantreelmorbisco/help/de/chartable.html");
    EXPECT_EQ(HelpFilePath(bin, LanguageGerman, HelpContextCharTable),
              tree.at("share/vantreelmorbisco/help/de/chartable.html"));
    EXPECT_EQ(HelpFilePath(bin, LanguageEnglish, HelpContextCharTable),
              tree.at("bin/help/en/chartable.html"));

    // A build tree's help beside the program wins over an installed one.
    tree.add("bin/help/de/chartable.html");
    EXPECT_EQ(HelpFilePath(bin, LanguageGerman, HelpContextCharTable),
              tree.at("bin/help/de/chartable.html"));
}

TEST(Help, MissingFileText)
{
    EXPECT_EQ(HelpMissingText(LanguageEnglish, "/opt/x/help/en/index.html"),
              "Help file /opt/x/help/en/index.html not found!");
    EXPECT_EQ(HelpMissingText(LanguageGerman, "/opt/x/help/de/index.html"),
              "Hilfedatei /opt/x/help/de/index.html nicht gefunden!");
}

TEST(Calculator, MissingProgramAsksUntilFoundOrGivenUp)
{
    // Yes, a chosen file that is missing too, Yes again, a file that exists: that one starts
    // and becomes the setting.
    ScriptedCalculatorHost host;
    host.files = {"/opt/qalc"};
    host.answers = {mrYes, mrYes};
    host.choices = {std::string("/gone/calc"), std::string("/opt/qalc")};
    std::string calcPath = "/usr/bin/gnome-calculator";
    EXPECT_TRUE(LaunchCalculator(host, calcPath, LanguageGerman));
    EXPECT_EQ(calcPath, "/opt/qalc");
    EXPECT_EQ(host.started, std::vector<std::string>{"/opt/qalc"});
    ASSERT_EQ(host.questions.size(), 2u);
    const MessageRequest &q = host.questions.front();
    EXPECT_EQ(q.text, "Die Rechner-Anwendung konnte nicht gefunden werden. Möchten Sie nach ihm "
                      "suchen?");
    EXPECT_EQ(q.kind, MessageKind::Error);
    EXPECT_EQ(q.buttons, unsigned(mbYesNoCancel));
    EXPECT_EQ(q.language, LanguageGerman);
    ASSERT_EQ(host.choosers.size(), 2u);
    EXPECT_EQ(host.choosers[0].first, "Rechner suchen");
    EXPECT_EQ(host.choosers[0].second, "/usr/bin/gnome-calculator");
    EXPECT_EQ(host.choosers[1].second, "/gone/calc"); // the chooser starts at the last choice

    // Found now: it starts without a question; one that does not start is reported.
    host.startSucceeds = false;
    EXPECT_FALSE(LaunchCalculator(host, calcPath, LanguageGerman));
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.started.size(), 2u);

    // No or Cancel end it at once; nothing starts and the setting stays.
    for (int answer : {int(mrNo), int(mrCancel)}) {
        ScriptedCalculatorHost refused;
        refused.answers = {answer};
        std::string path = "/usr/bin/kcalc";
        EXPECT_FALSE(LaunchCalculator(refused, path, LanguageEnglish));
        EXPECT_EQ(path, "/usr/bin/kcalc");
        EXPECT_TRUE(refused.started.empty());
        EXPECT_TRUE(refused.choosers.empty());
        ASSERT_EQ(refused.questions.size(), 1u);
        EXPECT_EQ(refused.questions[0].text, "The calculator-application could not be found. Do "
                                             "you want to search for it?");
    }

    // A cancelled chooser ends it too.
    ScriptedCalculatorHost cancelled;
    cancelled.answers = {mrYes};
    std::string path = "/usr/bin/kcalc";
    EXPECT_FALSE(LaunchCalculator(cancelled, path, LanguageEnglish));
    EXPECT_EQ(cancelled.choosers.at(0).first, "Search for calculator-application");
    EXPECT_EQ(path, "/usr/bin/kcalc");
    EXPECT_TRUE(cancelled.started.empty());
    EXPECT_EQ(cancelled.questions.size(), 1u);
}
