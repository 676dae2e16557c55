#pragma once

#include "document/InputFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vtm {

// The file under a document can no longer be read, or is no longer the file that was
// opened: another program changed or truncated it, or the disk reported an error. Readers
// of the document let it pass; the commands report it.
class SourceReadError : public std::runtime_error
{
public:
    enum class Why { Changed, ReadFailed };
    SourceReadError(Why why, int error, std::int64_t offset = -1)
        : std::runtime_error(why == Why::Changed ? "File changed" : "Read error")
        , why(why)
        , error(error)
        , offset(offset)
    {}
    Why why;
    int error;           // errno of a failed read
    std::int64_t offset; // where the failed read began; -1 when no read failed
    // The same, told to the user.
    FileFailure failure() const
    {
        if (why == Why::Changed)
            return FileFailure::Of(FileStep::None, FileProblem::Changed);
        return FileFailure::System(FileStep::Reading, error, offset);
    }
};

// A file read on demand. It stays open and is read with pread in aligned blocks into a
// small cache, the least recently used block dropped first. Never a mapping: a file that
// another program truncates would kill the process on the next touch of a mapped page.
//
// The source vouches only for the bytes of the file as it was opened: after every block
// read it checks the open file's stamp (size, modification and change time, identity),
// which also shows a change made before or during the read.
// Once that differs, or a read fails, the source has failed for good and every later read
// throws SourceReadError, so old and new bytes are never mixed.
class FileSource
{
public:
    struct Limits
    {
        std::int64_t blockSize = std::int64_t(1) << 20;
        int blocks = 4; // the cache holds at most this many (few: a scan stays in the CPU cache)
        // Tests and benchmarks of long work stand in for a slow disk: a block read takes at
        // least its size at this rate. 0: as fast as the file is read.
        std::int64_t bytesPerSecond = 0;
    };

    // Takes over fd, a regular file open for reading whose stamp is `stamp`.
    FileSource(int fd, const FileStamp &stamp, Limits limits);
    ~FileSource();
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    std::int64_t size() const { return m_stamp.size; }
    // The file the bytes are read from, as it was when opened.
    const FileStamp &stamp() const { return m_stamp; }
    bool failed() const { return m_failed; }
    const SourceReadError &failure() const { return m_failure; }

    // The bytes from p on (0 <= p < size()) up to the end of p's block: returns where p's
    // byte is and sets *blockStart to the block's first offset and *blockEnd past its last
    // byte. Throws SourceReadError. The two blocks fetched last stay valid.
    const std::uint8_t *blockAt(std::int64_t p, std::int64_t *blockStart, std::int64_t *blockEnd);

    // Zeros that need no reading: the blocks lying wholly in holes of a sparse file, which
    // blockAt serves from a mapping of zeros anyway (a block with any data is read whole).
    // Walking forward from p towards bound (p < bound), or backward over the bytes below p
    // towards bound (bound < p): returns where the bytes stop being all such zeros, or all
    // not, clipped to bound; *zeros tells which. The kernel's answers are kept per run of
    // blocks, so a walk asks about once per extent of the file (backward a few times more),
    // and about a file without holes never. Throws SourceReadError.
    std::int64_t zeroRun(std::int64_t p, std::int64_t bound, bool backward, bool *zeros);

    // Checks the open file's stamp now; false, and failed from now on, when it has changed.
    bool check();
    // Around a step of the editor's own that moves the file's change time but not its bytes
    // (a link, a rename, an unlink): check() just before it, then this, which takes the
    // stamp anew when only the change time moved; false, and failed, otherwise.
    bool restamp();

    // Copies n bytes from offset p on to outFd at offset `at`, by the kernel where it can
    // (copy_file_range clones on file systems that can); checks the file before and after.
    // With skipHoles (the target is known to read as zeros there) the holes of a sparse file
    // are left out, so that the copy stays sparse. False with errno set when writing failed;
    // throws SourceReadError when reading did.
    bool copyTo(int outFd, std::int64_t p, std::int64_t n, std::int64_t at, bool skipHoles);

    // Reads go to another file with the same bytes from now on (saving in place is about
    // to overwrite this one, and a copy of it was made first). Takes over fd; false (fd
    // closed, nothing changed) when it is not a regular file of the same size.
    bool moveTo(int fd);

    // Saving a device writes into it in place: before [p, p + n) is overwritten, its bytes
    // as opened are kept here, so that the document, its undo steps and Save as still read
    // them. Throws SourceReadError.
    void keepBeforeOverwrite(std::int64_t p, std::int64_t n);
    // The bytes kept so.
    std::int64_t keptBytes() const
    {
        std::int64_t n = 0;
        for (const Saved &s : m_saved)
            n += std::int64_t(s.bytes.size());
        return n;
    }
    // Calls f(a, b) for each stretch [a, b) of [p, p + n) that a save overwrote: the file
    // holds other bytes there than the ones read.
    template <class F> void forEachOverwritten(std::int64_t p, std::int64_t n, F f) const
    {
        for (std::size_t i = firstSavedPast(p); i < m_saved.size() && m_saved[i].offset < p + n;
             ++i) {
            const Saved &s = m_saved[i];
            f(s.offset > p ? s.offset : p, s.end() < p + n ? s.end() : p + n);
        }
    }

    // The disk space the file takes (less than its size when it has holes); its size when
    // that cannot be told.
    std::int64_t allocatedBytes() const;

    // Memory the cache holds.
    std::int64_t memoryHeld() const;

private:
    struct Block
    {
        std::int64_t index = -1;
        std::uint64_t used = 0;
        const std::uint8_t *data = nullptr; // the block's bytes: `bytes`, or the zeros of a hole
        std::unique_ptr<std::uint8_t[]> bytes;
    };

    // Blocks [first, end) that all lie wholly in holes, or all hold some data.
    struct Run
    {
        std::int64_t first = 0, end = 0;
        bool hole = false;
        std::uint64_t used = 0;
    };

    std::int64_t blockEnd(std::int64_t index) const;
    // The first offset from p on that holds data (SEEK_DATA) or lies in a hole (SEEK_HOLE;
    // the end of the file counts as one): size() when there is none, -1 when the file
    // system cannot tell.
    std::int64_t seek(std::int64_t p, int whence) const;
    // The run holding block `index`. Asked anew, it is stretched down towards block `lowest`
    // (<= index) for a backward walk.
    Run runAt(std::int64_t index, std::int64_t lowest);
    bool copyData(int outFd, std::int64_t p, std::int64_t n, std::int64_t at);
    bool gone(int error) const;
    void patchSaved(std::uint8_t *bytes, std::int64_t start, std::int64_t n) const;
    // The first kept stretch that ends past p (one save may keep a million of them).
    std::size_t firstSavedPast(std::int64_t p) const;

    // Bytes kept from before a save overwrote them, ascending, never overlapping.
    struct Saved
    {
        std::int64_t offset = 0;
        std::vector<std::uint8_t> bytes;
        std::int64_t end() const { return offset + std::int64_t(bytes.size()); }
    };
    [[noreturn]] void fail(SourceReadError::Why why, int error, std::int64_t offset = -1);
    void verify();
    Block &fetch(std::int64_t index);

    int m_fd = -1;
    FileStamp m_stamp;
    Limits m_limits;
    std::vector<Block> m_blocks;
    std::uint64_t m_clock = 0;
    std::size_t m_last = 0;                // the block hit last: most reads stay in it
    bool m_sparse = false;                 // the file has holes
    std::array<Run, 4> m_runs;             // the runs asked for last
    const std::uint8_t *m_zeros = nullptr; // a block of zeros never written
    std::vector<Saved> m_saved;
    bool m_failed = false;
    SourceReadError m_failure{SourceReadError::Why::Changed, 0};
};

} // namespace vtm
