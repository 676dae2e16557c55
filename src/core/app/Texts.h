#pragma once

#include "document/FileTexts.h"
#include "document/Language.h"

#include <string>

namespace vtm {

std::string ValueLabelText(int language);
std::string ReadFailedText(int language, const std::string &name);
std::string OverwriteQuestion(int language, const std::string &name);
// Another program changed the file since the editor last read or wrote it.
std::string ChangedOnDiskQuestion(int language, const std::string &name);
// openName empty: the unnamed document.
std::string SaveChangesQuestion(int language, const std::string &openName);
std::string OverwriteWarningOffQuestion(int language);
std::string AppTitle();
std::string MainCaption(const std::string &fileName);

} // namespace vtm
