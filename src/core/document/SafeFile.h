#pragma once

#include <cstdint>
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
// An absolute form of a relative name (against the working directory), unchanged when it
// is absolute already or empty.
std::string AbsolutePath(const std::string &path);

enum class WriteResult {
    Written,
    Failed,          // nothing changed on disk
    WrittenNoBackup, // the file is written, but the old one could not become the backup
};

// Writes data to a temporary file in the target's directory, checking every write, the
// flush and the close, and only then renames it over path (keeping the permissions of a
// file that was there). When backupPath is not empty and path holds a regular file, the
// old file then becomes backupPath (replacing an older backup). On failure the temporary
// files are removed and path and any old backup are left as they were; *error (when
// given) says what failed.
WriteResult WriteFileSafely(const std::string &path, const std::uint8_t *data, std::int64_t n,
                            const std::string &backupPath = std::string(),
                            std::string *error = nullptr);

} // namespace vtm
