#include "gui/app/CommandLine.h"
#include "gui/platform/FileNames.h"

#include <gtest/gtest.h>

#include <QMimeData>

#include <random>

using namespace vtm;

namespace {
CommandLine parse(std::initializer_list<const char *> arguments)
{
    std::vector<std::string> list{"/usr/bin/vantreelmorbisco"};
    for (const char *a : arguments)
        list.emplace_back(a);
    return ParseCommandLine(list);
}
} // namespace

TEST(CommandLine, FileArguments)
{
    EXPECT_EQ(parse({}).action, CommandLine::Action::Run);
    EXPECT_FALSE(parse({}).file);
    EXPECT_EQ(parse({"a.bin", "b.bin"}).file, "a.bin");
    // A name that is no text in the locale's encoding comes back as its bytes.
    EXPECT_EQ(parse({"caf\xe9.bin"}).file, "caf\xe9.bin");
    EXPECT_EQ(parse({"-style", "x\xff", "\xfe\xff"}).file, "\xfe\xff");
    // After "--" a name that looks like an option is a file.
    EXPECT_EQ(parse({"--", "-x"}).file, "-x");
    EXPECT_EQ(parse({"--", "--help"}).action, CommandLine::Action::Run);
    // Qt's own options are left to Qt, and their values are not files.
    const CommandLine styled = parse({"-style", "Fusion", "data.bin"});
    EXPECT_EQ(styled.action, CommandLine::Action::Run);
    EXPECT_EQ(styled.file, "data.bin");
}

TEST(CommandLine, HelpVersionAndUnknownOptions)
{
    for (const char *option : {"--help", "-h"}) {
        const CommandLine help = parse({option, "file.bin"});
        EXPECT_EQ(help.action, CommandLine::Action::Help) << option;
        EXPECT_TRUE(
            help.output.startsWith(QStringLiteral("Usage: vantreelmorbisco [options] [file]\n")))
            << help.output.toStdString();
        EXPECT_TRUE(help.output.contains(QStringLiteral("--version")));
        EXPECT_FALSE(help.output.contains(QStringLiteral("platform")));
    }
    for (const char *option : {"--version", "-v"}) {
        const CommandLine version = parse({option});
        EXPECT_EQ(version.action, CommandLine::Action::Version) << option;
        EXPECT_EQ(version.output, QStringLiteral("Vantreelmorbisco " VTM_VERSION "\n"));
    }
    for (const char *option : {"--bogus", "-x"}) {
        const CommandLine error = parse({option, "file.bin"});
        EXPECT_EQ(error.action, CommandLine::Action::Error) << option;
        EXPECT_FALSE(error.file);
        EXPECT_TRUE(error.output.startsWith(QStringLiteral("vantreelmorbisco: Unknown option")))
            << error.output.toStdString();
        EXPECT_TRUE(error.output.contains(QStringLiteral("\nUsage: vantreelmorbisco")));
    }
}

// Names from outside (the command line, dropped data) are arbitrary bytes: a file argument
// comes back byte for byte, and a dropped list gives an absolute name or nothing.
TEST(CommandLine, RandomBytesAsNames)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        std::string name(1 + rng() % 12, '\0');
        for (char &c : name)
            c = char(1 + rng() % 255);
        if (name[0] == '-')
            name[0] = 'x';
        const CommandLine line = parse({name.c_str()});
        ASSERT_TRUE(line.file);
        EXPECT_EQ(*line.file, name);

        QByteArray list(int(rng() % 64), '\0');
        for (char &c : list)
            c = char(rng());
        if (rng() % 2)
            list.prepend(rng() % 2 ? "file:///" : "file://localhost/");
        QMimeData mime;
        mime.setData(QStringLiteral("text/uri-list"), list);
        const std::string dropped = DroppedFileName(&mime);
        EXPECT_TRUE(dropped.empty() || (dropped[0] == '/' && dropped.find('\0') == std::string::npos));
    }
}
