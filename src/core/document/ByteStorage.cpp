#include "document/ByteStorage.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#define VTM_USE_MMAP 1
#endif

namespace vtm {

ByteStorage::ByteStorage(ByteStorage &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{}

ByteStorage &ByteStorage::operator=(ByteStorage &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

#ifdef VTM_USE_MMAP

bool ByteStorage::resize(std::int64_t n)
{
    if (n == m_size)
        return true;
    if (n <= 0) {
        release();
        return true;
    }
    void *p;
    if (!m_data)
        p = mmap(nullptr, std::size_t(n), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                 0);
    else
        p = mremap(m_data, std::size_t(m_size), std::size_t(n), MREMAP_MAYMOVE);
    if (p == MAP_FAILED)
        return false;
    // Huge pages make filling a large document several times faster.
    if (n >= (std::int64_t(4) << 20))
        madvise(p, std::size_t(n), MADV_HUGEPAGE);
    m_data = static_cast<std::uint8_t *>(p);
    m_size = n;
    return true;
}

void ByteStorage::release()
{
    if (m_data)
        munmap(m_data, std::size_t(m_size));
    m_data = nullptr;
    m_size = 0;
}

#else

bool ByteStorage::resize(std::int64_t n)
{
    if (n == m_size)
        return true;
    if (n <= 0) {
        release();
        return true;
    }
    void *p = std::realloc(m_data, std::size_t(n));
    if (!p)
        return false;
    if (n > m_size)
        std::memset(static_cast<std::uint8_t *>(p) + m_size, 0, std::size_t(n - m_size));
    m_data = static_cast<std::uint8_t *>(p);
    m_size = n;
    return true;
}

void ByteStorage::release()
{
    std::free(m_data);
    m_data = nullptr;
    m_size = 0;
}

#endif

} // namespace vtm
