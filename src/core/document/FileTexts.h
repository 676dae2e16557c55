#pragma once

#include <string>

namespace vtm {

// Messages every writer of files shares.
std::string WriteFailedText(int language);
std::string BackupFailedText(int language, const std::string &backup);

} // namespace vtm
