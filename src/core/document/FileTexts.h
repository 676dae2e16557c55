#pragma once

#include "document/Message.h"

#include <string>

namespace vtm {

struct WriteOutcome;

// Messages every writer of files shares.
std::string WriteFailedText(int language);
std::string BackupFailedText(int language, const std::string &backup);
// Writing in place failed; the old bytes are safe in `copy`.
std::string WriteFailedKeptText(int language, const std::string &copy);

// What a writer tells the user after a write: an error when it failed, a warning when the
// backup could not be made, nothing (empty text) when all went well.
struct OutcomeMessage
{
    std::string text;
    MessageKind kind = MessageKind::Error;
};
OutcomeMessage WriteOutcomeMessage(int language, const WriteOutcome &outcome);

} // namespace vtm
