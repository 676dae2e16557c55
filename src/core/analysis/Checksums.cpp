#include "analysis/Checksums.h"

#include "document/Document.h"

#include <algorithm>
#include <array>
#include <new>

#include <openssl/evp.h>
#include <xxhash.h>
#include <zlib.h>

namespace vtm {

namespace {
// Small enough that a piece stays in the cache while every chosen library reads it.
constexpr std::size_t Piece = 64 * 1024;

const EVP_MD *Digest(Checksum c)
{
    switch (c) {
    case Checksum::Md5: return EVP_md5();
    case Checksum::Sha1: return EVP_sha1();
    case Checksum::Sha256: return EVP_sha256();
    case Checksum::Sha512: return EVP_sha512();
    case Checksum::Sha3_256: return EVP_sha3_256();
    case Checksum::Blake2b512: return EVP_blake2b512();
    default: return nullptr;
    }
}

std::string Hex(const std::uint8_t *bytes, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s(n * 2, '0');
    for (std::size_t i = 0; i < n; ++i) {
        s[2 * i] = digits[bytes[i] >> 4];
        s[2 * i + 1] = digits[bytes[i] & 15];
    }
    return s;
}

std::string HexNumber(std::uint64_t v, int bytes)
{
    std::array<std::uint8_t, 8> b{};
    for (int i = 0; i < bytes; ++i)
        b[std::size_t(i)] = std::uint8_t(v >> (8 * (bytes - 1 - i)));
    return Hex(b.data(), std::size_t(bytes));
}
} // namespace

const char *ChecksumName(Checksum c)
{
    switch (c) {
    case Checksum::Crc32: return "CRC-32";
    case Checksum::Adler32: return "Adler-32";
    case Checksum::Md5: return "MD5";
    case Checksum::Sha1: return "SHA-1";
    case Checksum::Sha256: return "SHA-256";
    case Checksum::Sha512: return "SHA-512";
    case Checksum::Sha3_256: return "SHA3-256";
    case Checksum::Blake2b512: return "BLAKE2b-512";
    case Checksum::Xxh3_64: return "XXH3-64";
    }
    return "";
}

struct ChecksumRun::State
{
    ChecksumSet set = 0;
    uLong crc = 0, adler = 0;
    std::array<EVP_MD_CTX *, ChecksumCount> digests{};
    XXH3_state_t *xxh = nullptr;

    ~State()
    {
        for (EVP_MD_CTX *d : digests)
            EVP_MD_CTX_free(d);
        XXH3_freeState(xxh);
    }
    void feed(const std::uint8_t *data, std::size_t n)
    {
        if (set & Bit(Checksum::Crc32))
            crc = crc32_z(crc, data, n);
        if (set & Bit(Checksum::Adler32))
            adler = adler32_z(adler, data, n);
        for (EVP_MD_CTX *d : digests)
            if (d && EVP_DigestUpdate(d, data, n) != 1)
                throw std::bad_alloc();
        if (xxh && XXH3_64bits_update(xxh, data, n) != XXH_OK)
            throw std::bad_alloc();
    }
};

ChecksumRun::ChecksumRun(ChecksumSet set)
    : m_state(std::make_unique<State>())
{
    State &s = *m_state;
    s.set = set & AllChecksums;
    s.crc = crc32_z(0, nullptr, 0);
    s.adler = adler32_z(0, nullptr, 0);
    for (int i = 0; i < ChecksumCount; ++i) {
        const EVP_MD *md = Digest(Checksum(i));
        if (!md || !(s.set & Bit(Checksum(i))))
            continue;
        s.digests[std::size_t(i)] = EVP_MD_CTX_new();
        if (!s.digests[std::size_t(i)]
            || EVP_DigestInit_ex(s.digests[std::size_t(i)], md, nullptr) != 1)
            throw std::bad_alloc();
    }
    if (s.set & Bit(Checksum::Xxh3_64)) {
        s.xxh = XXH3_createState();
        if (!s.xxh || XXH3_64bits_reset(s.xxh) != XXH_OK)
            throw std::bad_alloc();
    }
}

ChecksumRun::~ChecksumRun() = default;

void ChecksumRun::add(const std::uint8_t *data, std::size_t n)
{
    for (std::size_t done = 0; done < n;) {
        const std::size_t k = std::min(Piece, n - done);
        m_state->feed(data + done, k);
        done += k;
    }
}

void ChecksumRun::addZeros(std::int64_t n)
{
    static const std::uint8_t zeros[Piece] = {};
    while (n > 0) {
        const std::size_t k = std::size_t(std::min<std::int64_t>(n, std::int64_t(Piece)));
        m_state->feed(zeros, k);
        n -= std::int64_t(k);
    }
}

std::vector<std::pair<Checksum, std::string>> ChecksumRun::finish()
{
    State &s = *m_state;
    std::vector<std::pair<Checksum, std::string>> out;
    for (int i = 0; i < ChecksumCount; ++i) {
        const Checksum c = Checksum(i);
        if (!(s.set & Bit(c)))
            continue;
        if (c == Checksum::Crc32) {
            out.emplace_back(c, HexNumber(s.crc, 4));
        } else if (c == Checksum::Adler32) {
            out.emplace_back(c, HexNumber(s.adler, 4));
        } else if (c == Checksum::Xxh3_64) {
            out.emplace_back(c, HexNumber(XXH3_64bits_digest(s.xxh), 8));
        } else {
            std::array<std::uint8_t, EVP_MAX_MD_SIZE> digest{};
            unsigned length = 0;
            if (EVP_DigestFinal_ex(s.digests[std::size_t(i)], digest.data(), &length) != 1)
                throw std::bad_alloc();
            out.emplace_back(c, Hex(digest.data(), length));
        }
    }
    return out;
}

std::vector<std::pair<Checksum, std::string>> ComputeChecksums(const Document &doc,
                                                               std::int64_t from, std::int64_t to,
                                                               ChecksumSet set)
{
    ChecksumRun run(set);
    from = std::max<std::int64_t>(0, from);
    to = std::min(to, doc.BufferSize());
    if (from < to)
        doc.ForEachSpanOrZeros(from, to, [&](const Document::Span &s) {
            if (s.zeros())
                run.addZeros(s.size);
            else
                run.add(s.data, std::size_t(s.size));
            return true;
        });
    return run.finish();
}

} // namespace vtm
