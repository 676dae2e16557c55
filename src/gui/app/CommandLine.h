#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace vtm {

// What the command line asks for. It is read before the application object exists, so
// --help and --version work without a display.
struct CommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // The first file argument, as the bytes it was given in; any further ones are ignored.
    std::optional<std::string> file;
    // The help or version text for standard output, or the error and usage for standard error.
    QString output;
};

// arguments are argv's bytes, the program name first.
CommandLine ParseCommandLine(const std::vector<std::string> &arguments);

} // namespace vtm
