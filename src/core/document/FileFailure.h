#pragma once

#include <cstdint>

namespace vtm {

// What was being done to a file when it failed.
enum class FileStep : std::uint8_t {
    None,
    Opening,
    LookingUp,
    Reading, // with the offset the read began at
    CreatingTemp,
    Writing,
    WritingInPlace,
    CopyingAside,
    Syncing,
    Closing,
    MakingBackup,
    Renaming,
    SyncingFolder,
    WritingToDevice, // with the offset the write stopped at
};

// Why: the system's error, or one the program tells itself.
enum class FileProblem : std::uint8_t {
    System,       // errno
    NotRegular,   // fileType says what it is
    DanglingLink, // a symbolic link to nothing
    TooLarge,     // larger than `limit` bytes, the largest document
    Changed,      // another program changed the file meanwhile
    NoMemory,
    UnknownSize, // a block device that does not tell its size
};

// Why a file could not be read or written, kept until a message tells the user.
struct FileFailure
{
    FileStep step = FileStep::None;
    FileProblem problem = FileProblem::System;
    int error = 0;              // errno, with FileProblem::System
    std::uint32_t fileType = 0; // the S_IFMT bits, with FileProblem::NotRegular
    std::int64_t offset = -1;   // with FileStep::Reading
    std::int64_t limit = 0;     // with FileProblem::TooLarge
    std::int64_t owner = -1;    // the group of a block device that refused to open

    bool known() const { return problem != FileProblem::System || error != 0; }

    static FileFailure System(FileStep step, int error, std::int64_t offset = -1)
    {
        FileFailure f;
        f.step = step;
        f.error = error;
        f.offset = offset;
        return f;
    }
    static FileFailure Of(FileStep step, FileProblem problem)
    {
        FileFailure f;
        f.step = step;
        f.problem = problem;
        return f;
    }
};

} // namespace vtm
