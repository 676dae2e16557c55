#pragma once

#include "document/Language.h"
#include "document/Message.h"

#include <optional>
#include <string>
#include <vector>

namespace vtm {

// What starting the calculator needs from the window system. The GUI answers with real
// dialogs and processes, tests with a script.
class CalculatorHost
{
public:
    virtual ~CalculatorHost() = default;
    // A modal message box; returns the MessageResult of the button pressed.
    virtual int ask(const MessageRequest &request) = 0;
    // A file chooser for an existing file; nothing when it is cancelled.
    virtual std::optional<std::string> chooseFile(const std::string &title,
                                                  const std::string &start) = 0;
    virtual bool exists(const std::string &path) = 0;
    // Starts the program without a shell; false when it could not be started.
    virtual bool start(const std::string &path) = 0;
};

std::string CalcMissingText(Language language);
std::string CalcSearchTitle(Language language);

// While calcPath names no file, offers to search for it; a chosen file becomes calcPath.
// Starts calcPath once it exists. Returns whether the program was started.
bool LaunchCalculator(CalculatorHost &host, std::string &calcPath, Language language);

// Desktop calculators looked for on PATH when none has been chosen, the most common first.
std::vector<std::string> CommonCalculators();

} // namespace vtm
