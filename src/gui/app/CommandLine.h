#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vtm {

// What the command line asks for. It is read before the application object exists, so
// --help and --version work without a display.
struct CommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // The first file argument; any further ones are ignored.
    std::optional<QString> file;
    // The help or version text for standard output, or the error and usage for standard error.
    QString output;
};

// arguments include the program name, as argv does.
CommandLine ParseCommandLine(const QStringList &arguments);

} // namespace vtm
