// Drives a fuzz target's LLVMFuzzerTestOneInput where libFuzzer is not there (GCC): the
// seeds given, then random and mutated inputs, for a while. It takes libFuzzer's options of
// the same names, so one command line runs either:
//   target [-max_total_time=s] [-runs=n] [-seed=n] [-max_len=n] [-dict=file] [dir|file]...
// A failed check aborts and writes the input to crash-input, to be replayed by naming it;
// the sanitizers report their own findings, and the same seed gives the same inputs again.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes ReadWhole(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The quoted values of a libFuzzer dictionary: name="value", with \\, \" and \xHH escapes.
std::vector<Bytes> ReadDictionary(const std::string &path)
{
    std::vector<Bytes> tokens;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const std::size_t open = line.find('"'), close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open)
            continue;
        Bytes token;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 3 < close && line[i + 1] == 'x') {
                token.push_back(std::uint8_t(std::stoi(line.substr(i + 2, 2), nullptr, 16)));
                i += 3;
            } else if (line[i] == '\\' && i + 1 < close) {
                token.push_back(std::uint8_t(line[++i]));
            } else {
                token.push_back(std::uint8_t(line[i]));
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// The input being run, kept for the crash handler.
const Bytes *g_current = nullptr;

void SaveCurrent(int)
{
    if (g_current) {
        if (std::FILE *f = std::fopen("crash-input", "wb")) {
            std::fwrite(g_current->data(), 1, g_current->size(), f);
            std::fclose(f);
        }
        g_current = nullptr;
    }
}

class Mutator
{
public:
    Mutator(std::uint64_t seed, std::size_t maxLen, std::vector<Bytes> tokens)
        : m_rng(seed)
        , m_maxLen(maxLen)
        , m_tokens(std::move(tokens))
    {}

    std::size_t pick(std::size_t n) { return n == 0 ? 0 : std::size_t(m_rng() % n); }

    Bytes random()
    {
        Bytes b(pick(std::min<std::size_t>(m_maxLen, 512) + 1));
        for (std::uint8_t &c : b)
            c = std::uint8_t(m_rng());
        return b;
    }

    // A few edits of the kinds libFuzzer makes: flips, bytes, erased, inserted, copied
    // stretches, interesting values and dictionary tokens.
    Bytes mutate(Bytes b, const Bytes &other)
    {
        for (std::size_t n = 1 + pick(6); n > 0; --n) {
            const std::size_t at = pick(b.size() + 1);
            switch (pick(8)) {
            case 0:
                if (at < b.size())
                    b[at] ^= std::uint8_t(1u << pick(8));
                break;
            case 1:
                if (at < b.size())
                    b[at] = std::uint8_t(m_rng());
                break;
            case 2: b.erase(b.begin() + std::ptrdiff_t(at),
                            b.begin() + std::ptrdiff_t(std::min(b.size(), at + 1 + pick(16))));
                break;
            case 3: b.insert(b.begin() + std::ptrdiff_t(at), 1 + pick(8), std::uint8_t(m_rng()));
                break;
            case 4:
                if (!m_tokens.empty()) {
                    const Bytes &t = m_tokens[pick(m_tokens.size())];
                    b.insert(b.begin() + std::ptrdiff_t(at), t.begin(), t.end());
                }
                break;
            case 5: { // a stretch of this input or another one
                const Bytes &src = pick(2) ? b : other;
                const std::size_t from = pick(src.size() + 1);
                const std::size_t len = std::min(src.size() - from, pick(64));
                const Bytes piece(src.begin() + std::ptrdiff_t(from),
                                  src.begin() + std::ptrdiff_t(from + len));
                b.insert(b.begin() + std::ptrdiff_t(at), piece.begin(), piece.end());
                break;
            }
            case 6: {
                static const std::uint8_t values[] = {0, 1, 7, 8, 0x7F, 0x80, 0xF8, 0xFF};
                if (at < b.size())
                    b[at] = values[pick(std::size(values))];
                break;
            }
            default: b.resize(at); break;
            }
        }
        if (b.size() > m_maxLen)
            b.resize(m_maxLen);
        return b;
    }

private:
    std::mt19937_64 m_rng;
    std::size_t m_maxLen;
    std::vector<Bytes> m_tokens;
};

void Run(const Bytes &input)
{
    g_current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    g_current = nullptr;
}
} // namespace

int main(int argc, char **argv)
{
    double seconds = 5;
    long long runs = -1;
    std::uint64_t seed = 1;
    std::size_t maxLen = 4096;
    std::vector<Bytes> tokens, seeds;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char *name) -> const char * {
            const std::size_t n = std::strlen(name);
            return arg.compare(0, n, name) == 0 ? argv[i] + n : nullptr;
        };
        if (const char *v = value("-max_total_time="))
            seconds = std::strtod(v, nullptr);
        else if (const char *v = value("-runs="))
            runs = std::strtoll(v, nullptr, 10);
        else if (const char *v = value("-seed="))
            seed = std::strtoull(v, nullptr, 10);
        else if (const char *v = value("-max_len="))
            maxLen = std::strtoull(v, nullptr, 10);
        else if (const char *v = value("-dict="))
            tokens = ReadDictionary(v);
        else if (arg[0] == '-')
            std::fprintf(stderr, "%s: ignored\n", arg.c_str());
        else
            paths.push_back(arg);
    }
    // A failed check aborts; the sanitizers' own reports keep their handlers.
    std::signal(SIGABRT, SaveCurrent);

    // A file named alone is replayed; directories give the seeds.
    namespace fs = std::filesystem;
    if (paths.size() == 1 && fs::is_regular_file(paths[0])) {
        Run(ReadWhole(paths[0]));
        std::printf("Replayed %s\n", paths[0].c_str());
        return 0;
    }
    for (const std::string &p : paths) {
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            for (const auto &entry : fs::directory_iterator(p, ec))
                if (entry.is_regular_file())
                    seeds.push_back(ReadWhole(entry.path()));
        } else if (fs::is_regular_file(p, ec)) {
            seeds.push_back(ReadWhole(p));
        }
    }
    long long done = 0;
    for (const Bytes &s : seeds) {
        Run(s);
        ++done;
    }
    if (seeds.empty())
        seeds.push_back(Bytes{});

    Mutator m(seed, maxLen, std::move(tokens));
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::duration<double>(seconds);
    while (runs < 0 ? std::chrono::steady_clock::now() < until : done < runs) {
        // Checking the clock every 64 inputs keeps it out of the count.
        for (int k = 0; k < 64 && (runs < 0 || done < runs); ++k, ++done) {
            const Bytes input = m.pick(8) == 0
                                    ? m.random()
                                    : m.mutate(seeds[m.pick(seeds.size())],
                                               seeds[m.pick(seeds.size())]);
            Run(input);
            // Some results become seeds themselves, so mutations pile up.
            if (m.pick(64) == 0 && seeds.size() < 4096)
                seeds.push_back(input);
        }
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Done %lld inputs in %.1f s (seed %llu)\n", done, took,
                static_cast<unsigned long long>(seed));
    return 0;
}
