#include "gui/app/CommandLine.h"

#include <gtest/gtest.h>

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
