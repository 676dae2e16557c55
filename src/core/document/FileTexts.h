#pragma once

#include "document/Language.h"
#include "document/Message.h"

#include <string>

namespace vtm {

struct WriteOutcome;

// Messages every writer of files shares.
std::string WriteFailedText(Language language);
std::string BackupFailedText(Language language, const std::string &backup);
// Writing in place failed; the old bytes are safe in `copy`.
std::string WriteFailedKeptText(Language language, const std::string &copy);

// What a writer tells the user after a write: an error when it failed, a warning when the
// backup could not be made, nothing (empty text) when all went well.
struct OutcomeMessage
{
    std::string text;
    MessageKind kind = MessageKind::Error;
};
OutcomeMessage WriteOutcomeMessage(Language language, const WriteOutcome &outcome);

} // namespace vtm
