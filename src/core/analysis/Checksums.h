#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vtm {

class Document;

// The checksums and hashes the editor computes, all by maintained libraries.
enum class Checksum : int {
    Crc32,
    Adler32,
    Md5,
    Sha1,
    Sha256,
    Sha512,
    Sha3_256,
    Blake2b512,
    Xxh3_64,
};
constexpr int ChecksumCount = int(Checksum::Xxh3_64) + 1;
// A set of them, one bit each (bit i for Checksum i), as the settings keep it.
using ChecksumSet = std::uint32_t;
constexpr ChecksumSet AllChecksums = (ChecksumSet(1) << ChecksumCount) - 1;
constexpr ChecksumSet Bit(Checksum c)
{
    return ChecksumSet(1) << int(c);
}

// "CRC-32", "SHA-256", …: the names every tool uses, the same in both languages.
const char *ChecksumName(Checksum c);

// Several checksums over one stream of bytes, fed in pieces; each library sees every byte
// once, a cache-sized piece at a time, so that a pass costs no more than separate ones.
class ChecksumRun
{
public:
    explicit ChecksumRun(ChecksumSet set);
    ~ChecksumRun();
    ChecksumRun(const ChecksumRun &) = delete;
    ChecksumRun &operator=(const ChecksumRun &) = delete;

    void add(const std::uint8_t *data, std::size_t n);
    // n zero bytes, without needing them in memory.
    void addZeros(std::int64_t n);
    // The results in the order of Checksum, lowercase hexadecimal: the digest's bytes, or
    // for CRC-32, Adler-32 and XXH3-64 the number written big-endian, as the usual tools
    // print them. Ends the run.
    std::vector<std::pair<Checksum, std::string>> finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// What the checksum dialog asks and is told: the choice, and the run of marked bytes around
// the cursor that it may choose instead of the whole document.
struct ChecksumRequest
{
    ChecksumSet set = 0;
    bool markedRun = false;          // over the run rather than the whole document
    std::int64_t runStart = 0, runEnd = 0; // empty when the cursor's byte is not marked
    std::int64_t size = 0;           // the document's
};
// What was computed over which bytes, for the window that shows it.
struct ChecksumReport
{
    std::vector<std::pair<Checksum, std::string>> results;
    std::int64_t from = 0, to = 0;
    bool markedRun = false;
};

// The chosen checksums of [from, to) of the document, counted on a running job (which may
// throw JobStopped); holes and inserted zeros are fed without reading them. Throws
// std::bad_alloc when a library cannot get its state, SourceReadError when the file under
// the document fails.
std::vector<std::pair<Checksum, std::string>> ComputeChecksums(const Document &doc,
                                                               std::int64_t from, std::int64_t to,
                                                               ChecksumSet set);

} // namespace vtm
