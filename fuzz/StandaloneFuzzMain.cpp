// A stand-in for libFuzzer's driver when the compiler has none: runs every file of the
// corpus folders given, then a fixed number of deterministic mutations of them, so a fuzz
// target doubles as a repeatable smoke test.
//   target [-runs=N] [-max_len=N] CORPUS_DIR_OR_FILE...   (folders are read recursively)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> readCorpus(const std::vector<std::string>& paths)
{
    std::vector<std::string> inputs;
    auto readFile = [&](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (const auto& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& e : std::filesystem::recursive_directory_iterator(path, ec))
                if (e.is_regular_file() && e.path().extension() != ".cpp" && e.path().extension() != ".h"
                    && e.path().filename() != "CMakeLists.txt")
                    files.push_back(e.path());
            std::sort(files.begin(), files.end());
            for (const auto& f : files)
                readFile(f);
        } else if (std::filesystem::is_regular_file(path, ec)) {
            readFile(path);
        }
    }
    if (inputs.empty())
        inputs.emplace_back();
    return inputs;
}

std::string mutate(const std::string& seed, const std::vector<std::string>& corpus, std::mt19937& rng, size_t maxLen)
{
    std::string s = seed;
    int edits = 1 + int(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 6) {
        case 0: s.insert(s.begin() + long(pos), char(rng() & 0xFF)); break;
        case 1: if (!s.empty() && pos < s.size()) s.erase(pos, 1 + rng() % 4); break;
        case 2: if (!s.empty() && pos < s.size()) s[pos] = char(rng() & 0xFF); break;
        case 3: if (!s.empty()) { size_t a = rng() % s.size(); size_t n = 1 + rng() % 16; s.insert(pos, s.substr(a, n)); } break;
        case 4: { const std::string& other = corpus[rng() % corpus.size()]; if (!other.empty()) { size_t a = rng() % other.size(); s.insert(pos, other.substr(a, 1 + rng() % 32)); } } break;
        case 5: if (!s.empty() && pos < s.size()) s[pos] = "<>+\"'()_:\r\n\x1b[;0"[rng() % 16]; break;
        }
        if (s.size() > maxLen)
            s.resize(maxLen);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    long runs = 10000;
    size_t maxLen = 4096;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-runs=", 6) == 0)
            runs = std::atol(argv[i] + 6);
        else if (std::strncmp(argv[i], "-max_len=", 9) == 0)
            maxLen = size_t(std::atol(argv[i] + 9));
        else if (argv[i][0] != '-')
            paths.emplace_back(argv[i]);
    }
    auto corpus = readCorpus(paths);
    for (const auto& input : corpus)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    std::mt19937 rng(12345);
    for (long i = 0; i < runs; ++i) {
        std::string input = mutate(corpus[size_t(i) % corpus.size()], corpus, rng, maxLen);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("fuzz smoke: %zu corpus inputs, %ld mutations, no crash\n", corpus.size(), runs);
    return 0;
}
