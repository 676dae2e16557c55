#pragma once

#include <cstddef>
#include <cstdint>

namespace vtm {

// One growable byte array obtained straight from the system's page allocator, so that
// growing keeps the pages where they are and untouched storage costs no memory.
class ByteStorage
{
public:
    ByteStorage() = default;
    ~ByteStorage() { release(); }
    ByteStorage(const ByteStorage &) = delete;
    ByteStorage &operator=(const ByteStorage &) = delete;
    ByteStorage(ByteStorage &&other) noexcept;
    ByteStorage &operator=(ByteStorage &&other) noexcept;

    std::uint8_t *data() const { return m_data; }
    std::int64_t size() const { return m_size; }

    // Resizes to exactly n bytes (n == 0 releases), keeping the first min(old, n) bytes.
    // Bytes gained are zero. Returns false when the system has no memory for it.
    bool resize(std::int64_t n);
    void release();

private:
    std::uint8_t *m_data = nullptr;
    std::int64_t m_size = 0;
};

} // namespace vtm
