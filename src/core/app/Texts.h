#pragma once

#include "document/FileTexts.h"
#include "document/Language.h"

#include <string>

namespace vtm {

std::string ValueLabelText(Language language);
std::string ReadFailedText(Language language, const std::string &name);
std::string OverwriteQuestion(Language language, const std::string &name);
// Another program changed the file since the editor last read or wrote it.
std::string ChangedOnDiskQuestion(Language language, const std::string &name);
// The document's name has become a symbolic link to `target` since it was read or written.
std::string NowALinkQuestion(Language language, const std::string &name,
                             const std::string &target);
// The file a document reads on demand was changed by another program, or reading it failed;
// asks whether to load it anew. `first`, when not empty, is the line before (the failure of
// a save that read the file).
std::string SourceFailedQuestion(Language language, const std::string &name,
                                 const FileFailure &failure, const std::string &first = {});
// The settings file is there but could not be read; the editor starts with its defaults.
std::string SettingsReadFailedText(Language language, const std::string &path,
                                   const FileFailure &why);
// The settings could not be saved; the file stays as it was.
std::string SettingsWriteFailedText(Language language, const std::string &path,
                                    const FileFailure &why);
// openName empty: the unnamed document.
std::string SaveChangesQuestion(Language language, const std::string &openName);
std::string OverwriteWarningOffQuestion(Language language);
std::string AppTitle();
std::string MainCaption(const std::string &fileName);

} // namespace vtm
