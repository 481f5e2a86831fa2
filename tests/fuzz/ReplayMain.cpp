// Runs a fuzz target without libFuzzer, for compilers that have none (the GCC build of the
// test suite): every seed once, then a fixed number of mutations of the seeds, made with a
// fixed random sequence so that a run can be repeated exactly. Stops early at a time limit.
// A crash or a broken property ends the process; the input that caused it is first written
// to "crash-<target>" in the current folder, to be added to the corpus.
//
//   fuzz_x [--runs N] [--max-seconds S] [--max-len BYTES] [--dict FILE] PATH...
//
// Each PATH is a seed file or a folder of them (read recursively).
#include "FuzzTarget.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- the input being run, kept for the crash handler ----------------------------------

Bytes currentInput;
std::string crashPath;

extern "C" void saveCrashingInput(int signal)
{
    // Only async-signal-safe calls from here on.
    const int fd = ::open(crashPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        const char* p = reinterpret_cast<const char*>(currentInput.data());
        std::size_t left = currentInput.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    static const char note[] = "crashing input written to the crash file\n";
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, note, sizeof note - 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void run(const Bytes& input)
{
    currentInput = input;
    // A copy of exactly the input's size, so that a read past its end is a read past the block.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[std::max<std::size_t>(input.size(), 1)]);
    std::copy(input.begin(), input.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), input.size());
}

// ---- seeds and dictionary ---------------------------------------------------------------

Bytes readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void collectSeeds(const std::filesystem::path& path, std::vector<std::filesystem::path>& out)
{
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
            if (entry.is_regular_file())
                out.push_back(entry.path());
    } else if (std::filesystem::is_regular_file(path)) {
        out.push_back(path);
    } else {
        std::fprintf(stderr, "no seed file or folder: %s\n", path.c_str());
        std::exit(2);
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// libFuzzer's dictionary format: one `name="value"` (or `"value"`) per line, with \\, \"
// and \xNN escapes; lines starting with # are comments.
std::vector<Bytes> readDictionary(const std::string& file)
{
    std::vector<Bytes> tokens;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open)
            continue;
        Bytes token;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 1 < close) {
                if (line[i + 1] == 'x' && i + 3 < close && hexDigit(line[i + 2]) >= 0 && hexDigit(line[i + 3]) >= 0) {
                    token.push_back(static_cast<std::uint8_t>(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3])));
                    i += 3;
                    continue;
                }
                ++i;
            }
            token.push_back(static_cast<std::uint8_t>(line[i]));
        }
        if (!token.empty())
            tokens.push_back(token);
    }
    return tokens;
}

// ---- mutations ----------------------------------------------------------------------------

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

constexpr std::uint32_t Interesting[] = {0,          1,          2,          0x7F,       0x80,       0xFF,
                                         0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF,
                                         0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 16384,      16385,      1023,
                                         1024,       40,         108,        124};

class Mutator {
public:
    Mutator(const std::vector<Bytes>& seeds, const std::vector<Bytes>& dictionary, std::size_t maxLen)
        : m_seeds(seeds), m_dictionary(dictionary), m_maxLen(maxLen)
    {
    }

    Bytes next()
    {
        Bytes data = m_seeds.empty() ? Bytes() : m_seeds[m_random.below(m_seeds.size())];
        const std::size_t steps = 1 + m_random.below(4);
        for (std::size_t i = 0; i < steps; ++i)
            mutate(data);
        if (data.size() > m_maxLen)
            data.resize(m_maxLen);
        return data;
    }

private:
    void mutate(Bytes& d)
    {
        const std::size_t kind = m_random.below(8);
        if (d.empty() && kind != 2 && kind != 6 && kind != 7) {
            d.push_back(static_cast<std::uint8_t>(m_random.next()));
            return;
        }
        switch (kind) {
        case 0:  // flip a bit
            d[m_random.below(d.size())] ^= static_cast<std::uint8_t>(1u << m_random.below(8));
            break;
        case 1:  // a byte to an interesting or random value
            d[m_random.below(d.size())] = static_cast<std::uint8_t>(
                m_random.below(2) ? Interesting[m_random.below(std::size(Interesting))] : m_random.next());
            break;
        case 2: {  // insert random bytes
            const std::size_t at = m_random.below(d.size() + 1);
            const std::size_t n = 1 + m_random.below(8);
            Bytes extra(n);
            for (auto& b : extra)
                b = static_cast<std::uint8_t>(m_random.next());
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
            break;
        }
        case 3: {  // erase a range
            const std::size_t at = m_random.below(d.size());
            const std::size_t n = std::min(d.size() - at, 1 + m_random.below(16));
            d.erase(d.begin() + static_cast<std::ptrdiff_t>(at), d.begin() + static_cast<std::ptrdiff_t>(at + n));
            break;
        }
        case 4: {  // an interesting 16- or 32-bit little-endian number
            const std::uint32_t v = Interesting[m_random.below(std::size(Interesting))];
            const std::size_t width = m_random.below(2) ? 4 : 2;
            const std::size_t at = m_random.below(d.size());
            for (std::size_t i = 0; i < width && at + i < d.size(); ++i)
                d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
            break;
        }
        case 5: {  // copy a chunk over another place
            const std::size_t from = m_random.below(d.size());
            const std::size_t to = m_random.below(d.size());
            const std::size_t n = std::min({d.size() - from, d.size() - to, 1 + m_random.below(64)});
            std::memmove(d.data() + to, d.data() + from, n);
            break;
        }
        case 6: {  // splice in a chunk of another seed
            if (m_seeds.empty())
                break;
            const Bytes& other = m_seeds[m_random.below(m_seeds.size())];
            if (other.empty())
                break;
            const std::size_t from = m_random.below(other.size());
            const std::size_t n = std::min(other.size() - from, 1 + m_random.below(256));
            const std::size_t at = m_random.below(d.size() + 1);
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                     other.begin() + static_cast<std::ptrdiff_t>(from + n));
            break;
        }
        case 7: {  // a dictionary word
            if (m_dictionary.empty())
                break;
            const Bytes& word = m_dictionary[m_random.below(m_dictionary.size())];
            const std::size_t at = m_random.below(d.size() + 1);
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), word.begin(), word.end());
            break;
        }
        }
    }

    const std::vector<Bytes>& m_seeds;
    const std::vector<Bytes>& m_dictionary;
    std::size_t m_maxLen;
    Random m_random{0x4B616C7665747261ull};  // "Kalvetra"
};

}  // namespace

int main(int argc, char** argv)
{
    long runs = 1000;
    double maxSeconds = 10;
    std::size_t maxLen = 65536;
    std::string dictionaryFile;
    std::vector<std::filesystem::path> seedFiles;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::atol(argv[++i]);
        else if (arg == "--max-seconds" && hasValue)
            maxSeconds = std::atof(argv[++i]);
        else if (arg == "--max-len" && hasValue)
            maxLen = static_cast<std::size_t>(std::atol(argv[++i]));
        else if (arg == "--dict" && hasValue)
            dictionaryFile = argv[++i];
        else
            collectSeeds(arg, seedFiles);
    }
    std::sort(seedFiles.begin(), seedFiles.end());

    const std::string program = std::filesystem::path(argv[0]).filename().string();
    crashPath = "crash-" + program;
    for (const int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(s, saveCrashingInput);

    LLVMFuzzerInitialize(&argc, &argv);

    std::vector<Bytes> seeds;
    for (const auto& file : seedFiles)
        seeds.push_back(readAll(file));
    const std::vector<Bytes> dictionary = dictionaryFile.empty() ? std::vector<Bytes>() : readDictionary(dictionaryFile);

    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::fprintf(stderr, "seed %s\n", seedFiles[i].c_str());
        run(seeds[i]);
    }
    Mutator mutator(seeds, dictionary, maxLen);
    long done = 0;
    while (done < runs && elapsed() < maxSeconds) {
        run(mutator.next());
        ++done;
    }
    std::printf("%s: %zu seeds and %ld of %ld mutations in %.1f s, no crash\n", program.c_str(), seeds.size(), done,
                runs, elapsed());
    return 0;
}
