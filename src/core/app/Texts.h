#pragma once

#include "document/Language.h"

#include <string>

namespace vtm {

std::string ValueLabelText(int language);
std::string ReadFailedText(int language, const std::string &name);
std::string AppTitle();
std::string MainCaption(const std::string &fileName);

} // namespace vtm
