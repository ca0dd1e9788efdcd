// Runs a fuzz target over every file of the folders or files named on the command
// line, plus a fixed set of pseudo-random inputs, without libFuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
void runFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}
} // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) { runFile(e.path()); ++files; }
        } else if (std::filesystem::is_regular_file(p)) {
            runFile(p);
            ++files;
        }
    }
    std::mt19937 rng(12345);
    for (int n = 0; n < 2000; ++n) {
        std::vector<uint8_t> bytes(rng() % 512);
        for (auto& b : bytes) b = static_cast<uint8_t>(rng());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("ran %d seed files and 2000 random inputs\n", files);
    return 0;
}
