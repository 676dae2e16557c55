#pragma once

#include <string>

namespace vtm {

// File-system rules every writer and reader of the program shares. Paths are byte strings
// in the system's encoding; only '/' separates their parts.

// A regular file (following links) exists under this name.
bool RegularFileExists(const std::string &path);
// The directory part, without the final '/' unless it is the root ("/x.bin" gives "/");
// empty when there is none.
std::string DirectoryOf(const std::string &path);
// The part after the last '/'.
std::string BaseNameOf(const std::string &path);
// The file name of a backup copy: the extension (from the base name alone) gets a '~'
// after its dot and is cut to four characters ("a.bin" gives "a.~bi"); a name without
// one gets ".~".
std::string BackupNameFor(const std::string &path);
// An absolute form of a relative name: the working directory put in front, "." parts and
// doubled slashes dropped. ".." stays, because only the system knows where it leads past a
// link. Unchanged when it is absolute already or empty.
std::string AbsolutePath(const std::string &path);
// The name a chain of symbolic links finally leads to (the name itself when it is no
// link); a link to a file that does not exist yet leads to that file's name.
std::string ResolveLinks(const std::string &path);

} // namespace vtm
