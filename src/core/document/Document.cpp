#include "document/Document.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vtm {

bool Document::fitsLimit(std::int64_t bufferBytes, std::int64_t marksBytes) const
{
    return bufferBytes + marksBytes <= m_storageLimit;
}

void Document::setCapacity(ByteStorage &storage, const ByteStorage &other, std::int64_t n)
{
    const std::int64_t step = StepFor(n);
    if (step == storage.size())
        return;
    if (step > storage.size() && !fitsLimit(step, other.size()))
        throw OutOfMemoryError();
    if (!storage.resize(step))
        throw OutOfMemoryError();
}

void Document::SetBufferCapacity(std::int64_t n)
{
    setCapacity(m_buffer, m_marks, n);
}

void Document::SetMarksCapacity(std::int64_t n)
{
    setCapacity(m_marks, m_buffer, n);
}

void Document::resize(std::int32_t n)
{
    const std::int64_t oldBuffer = m_buffer.size();
    SetBufferCapacity(n);
    try {
        SetMarksCapacity(n);
    } catch (const OutOfMemoryError &) {
        m_buffer.resize(oldBuffer); // shrinking back to where it was cannot fail
        throw;
    }
    m_size = n;
}

void Document::insertZeros(std::int32_t p, std::int32_t count)
{
    if (count <= 0 || p < 0 || p > m_size)
        return;
    if (std::int64_t(m_size) + count > MaxBufferSize)
        throw OutOfMemoryError();
    const std::int32_t oldSize = m_size;
    resize(oldSize + count);
    const std::size_t tail = std::size_t(oldSize - p);
    std::memmove(Buffer() + p + count, Buffer() + p, tail);
    std::memmove(Marks() + p + count, Marks() + p, tail);
    std::memset(Buffer() + p, 0, std::size_t(count));
    std::memset(Marks() + p, 0, std::size_t(count));
}

void Document::remove(std::int32_t p, std::int32_t count)
{
    if (p < 0 || p >= m_size || count <= 0)
        return;
    if (count > m_size - p)
        count = m_size - p;
    const std::size_t tail = std::size_t(m_size - p - count);
    std::memmove(Buffer() + p, Buffer() + p + count, tail);
    std::memmove(Marks() + p, Marks() + p + count, tail);
    resize(m_size - count); // shrinking cannot fail
}

void Document::clear()
{
    m_buffer.release();
    m_marks.release();
    m_size = 0;
    m_changeCount = 0;
}

bool Document::adoptLoaded(ByteStorage &&buffer, std::int64_t n, bool keepMarks)
{
    ByteStorage marks(ByteStorage::Use::Sparse);
    if (keepMarks) {
        if (!fitsLimit(buffer.size(), buffer.size()))
            return false;
        const std::int64_t oldSize = m_size;
        if (!m_marks.resize(buffer.size()))
            return false;
        // Storage kept from earlier, longer contents may hold stale marks past the old end.
        if (n > oldSize)
            std::memset(m_marks.data() + oldSize, 0, std::size_t(n - oldSize));
        marks = std::move(m_marks);
    } else if (!marks.resize(buffer.size())) { // fresh pages read as zero: no marks
        return false;
    }
    m_buffer = std::move(buffer);
    m_marks = std::move(marks);
    m_size = std::int32_t(n);
    m_changeCount = 0;
    return true;
}

bool Document::loadBytes(const std::uint8_t *bytes, std::int64_t n, bool keepMarks)
{
    if (n < 0 || n > MaxBufferSize)
        return false;
    const std::int64_t step = StepFor(n);
    if (!fitsLimit(step, step)) // the new bytes and their marks
        return false;
    ByteStorage buffer(ByteStorage::Use::Bulk);
    if (!buffer.resize(step))
        return false;
    if (n > 0)
        std::memcpy(buffer.data(), bytes, std::size_t(n));
    return adoptLoaded(std::move(buffer), n, keepMarks);
}

bool Document::loadFile(const std::string &path, bool keepMarks)
{
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec))
        return false;
    const std::uintmax_t length = std::filesystem::file_size(fsPath, ec);
    if (ec || length > std::uintmax_t(MaxBufferSize))
        return false;

    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          &std::fclose);
    if (!file)
        return false;
    std::setvbuf(file.get(), nullptr, _IONBF, 0); // read straight into the document

    const std::int64_t n = std::int64_t(length);
    const std::int64_t step = StepFor(n);
    if (!fitsLimit(step, step)) // the new bytes and their marks
        return false;
    ByteStorage buffer(ByteStorage::Use::Bulk);
    if (!buffer.resize(step))
        return false;
    std::int64_t got = 0;
    while (got < n) {
        const std::size_t r = std::fread(buffer.data() + got, 1, std::size_t(n - got), file.get());
        if (r == 0)
            break;
        got += std::int64_t(r);
    }
    if (std::ferror(file.get()))
        return false;
    // A file that shrank while being read gives what it still had.
    if (got < n && !buffer.resize(StepFor(got)))
        return false;
    return adoptLoaded(std::move(buffer), got, keepMarks);
}

} // namespace vtm
