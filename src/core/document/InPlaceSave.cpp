#include "document/BlockDevice.h"
#include "document/Document.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>

#include <unistd.h>

namespace vtm {

namespace {
std::int64_t g_keepLimit = -1;
} // namespace

std::int64_t Document::KeepLimit()
{
    return g_keepLimit >= 0 ? g_keepLimit : MemoryShare();
}

void Document::SetKeepLimitForTesting(std::int64_t bytes)
{
    g_keepLimit = bytes;
}

bool Document::KeepsOldBytesFor(std::int64_t bytes) const
{
    const FileSource *file = m_bytes.file();
    return !file || file->keptBytes() + bytes <= KeepLimit();
}

std::vector<Document::ByteRange> Document::ChangedRanges() const
{
    std::vector<ByteRange> ranges;
    const FileSource *file = m_bytes.file();
    if (!file)
        return ranges;
    const std::int64_t sector = std::max(m_sectorSize, 1);
    const std::int64_t size = BufferSize();
    const auto add = [&](std::int64_t a, std::int64_t b) {
        a = a / sector * sector;
        b = std::min(size, (b / sector + (b % sector != 0)) * sector);
        if (!ranges.empty() && a <= ranges.back().end)
            ranges.back().end = std::max(ranges.back().end, b);
        else
            ranges.push_back({a, b});
    };
    m_bytes.forEachRun(
        [&](std::int64_t from, std::int64_t n, std::int64_t at) {
            if (from != at)
                add(at, at + n);
            else
                file->forEachOverwritten(from, n, add);
            return true;
        },
        [&](const Span &s) {
            add(s.offset, s.offset + s.size);
            return true;
        });
    return ranges;
}

Document::InPlaceOutcome Document::WriteChangedInPlace(int fd)
{
    InPlaceOutcome out;
    FileSource *file = m_bytes.file();
    if (!file) {
        out.failure = FileFailure::System(FileStep::WritingToDevice, EINVAL, 0);
        return out;
    }
    std::vector<ByteRange> ranges;
    std::unique_ptr<std::uint8_t[]> buffer;
    constexpr std::int64_t Chunk = std::int64_t(1) << 20;
    try {
        ranges = ChangedRanges();
        buffer.reset(new std::uint8_t[Chunk]);
    } catch (const std::bad_alloc &) {
        out.failure = FileFailure::Of(FileStep::WritingToDevice, FileProblem::NoMemory);
        out.failure.offset = 0;
        return out;
    }
    out.rangesTotal = std::int64_t(ranges.size());
    std::int64_t total = 0;
    for (const ByteRange &r : ranges)
        total += r.end - r.begin;
    // Too much to keep: only the history reads old bytes of a stretch about to be written
    // for the first time (the document reads the bytes it writes there), so it must go.
    const bool keep = KeepsOldBytesFor(total);
    std::int64_t p = 0;
    try {
        for (const ByteRange &r : ranges) {
            for (p = r.begin; p < r.end;) {
                const std::int64_t k = std::min(Chunk, r.end - p);
                ReadBytes(p, k, buffer.get());
                if (keep)
                    file->keepBeforeOverwrite(p, k);
                else
                    out.undoLost = true;
                std::int64_t failedAt = p;
                if (!WriteToDevice(fd, buffer.get(), k, p, &failedAt)) {
                    out.failure = FileFailure::System(FileStep::WritingToDevice, errno, failedAt);
                    out.bytesWritten += failedAt - p;
                    ::fsync(fd); // what was written stays written
                    return out;
                }
                out.bytesWritten += k;
                p += k;
                Progress(k);
            }
            ++out.rangesWritten;
        }
    } catch (const JobStopped &) {
        out.stopped = true;
        out.failure = FileFailure::Of(FileStep::WritingToDevice, FileProblem::System);
        out.failure.offset = p;
        ::fsync(fd);
        return out;
    } catch (const SourceReadError &e) {
        out.failure = e.failure();
        ::fsync(fd);
        return out;
    }
    if (::fsync(fd) != 0) {
        out.failure = FileFailure::System(FileStep::Syncing, errno);
        return out;
    }
    out.written = true;
    return out;
}

} // namespace vtm
