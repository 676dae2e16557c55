#pragma once

#include "document/FileFailure.h"
#include "document/Language.h"
#include "document/Message.h"

#include <string>

namespace vtm {

struct WriteOutcome;

// An offset in a message: "2600 (A28h)".
std::string OffsetText(std::int64_t offset);

// The reason a file failed, as the line under a message: what was being done and why, e.g.
// "While writing: there is no space left on the disk."; empty when nothing is known.
std::string FailureReason(Language language, const FileFailure &failure);
// text, and the reason on the next line when one is known.
std::string WithReason(const std::string &text, Language language, const FileFailure &failure);

// Messages every writer of files shares.
std::string WriteFailedText(Language language);
std::string BackupFailedText(Language language, const std::string &backup);
// Writing in place failed; the old bytes are safe in `copy`.
std::string WriteFailedKeptText(Language language, const std::string &copy,
                                const FileFailure &failure = {});

// What a writer tells the user after a write: an error when it failed, a warning when the
// backup could not be made, nothing (empty text) when all went well.
struct OutcomeMessage
{
    std::string text;
    MessageKind kind = MessageKind::Error;
};
OutcomeMessage WriteOutcomeMessage(Language language, const WriteOutcome &outcome);

} // namespace vtm
