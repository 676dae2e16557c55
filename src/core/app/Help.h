#pragma once

#include "document/Language.h"
#include <string>
#include <vector>

namespace vtm {

// The help pages a command can open.
constexpr int HelpContextContents = 1000;
constexpr int HelpContextCharTable = 1500;

// The page for a context inside the help folder, e.g. "de/index.html". An unknown
// context gets the contents page of the language.
std::string HelpPageName(Language language, int context);

// Where the help folder may be for a program in programDir, in the order they are tried:
// beside the program (build tree) and as installed under share/.
std::vector<std::string> HelpFolders(const std::string &programDir);

// The help file for a context: the first candidate that exists or, when none does, the one
// beside the program, so that the error names the place a user would look first.
std::string HelpFilePath(const std::string &programDir, Language language, int context);

std::string HelpMissingText(Language language, const std::string &path);
std::string HelpWindowTitle(Language language);

// The about window's texts.
std::string AboutTitle(Language language);
std::string AboutDescription(Language language);
std::string AboutVersionText(const std::string &version);

} // namespace vtm
