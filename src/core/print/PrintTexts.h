#pragma once

#include <cstdint>
#include <string>

namespace vtm {

std::string PrintJobTitle(const std::string &openName);
std::string PrintCancelCaption(int language);
std::string PrintStopCaption(int language);
std::string PrintPageLabel(int language, std::int64_t page);
std::string NoPrinterText(int language);
std::string PrintBeginFailedText(int language);
std::string PrintNewPageFailedText(int language, std::int64_t page);

} // namespace vtm
