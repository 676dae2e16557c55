#pragma once

#include "document/Language.h"
#include <cstdint>
#include <string>

namespace vtm {

std::string PrintJobTitle(const std::string &openName);
std::string PrintCancelCaption(Language language);
std::string PrintStopCaption(Language language);
std::string PrintPageLabel(Language language, std::int64_t page);
std::string NoPrinterText(Language language);
std::string PrintBeginFailedText(Language language);
std::string PrintNewPageFailedText(Language language, std::int64_t page);

} // namespace vtm
