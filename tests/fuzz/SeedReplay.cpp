// Runs every file of a seed folder once through the fuzz target linked in, as libFuzzer would run
// it: a target's check that fails aborts. Fails too when the folder holds no seed, or when one seed
// takes longer than a limit far above what any reader should need for it.
//
//   seeds_<target> <folder> [seconds per seed, default 20]

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: " << argv[0] << " <seed folder> [seconds per seed]\n";
        return 2;
    }
    const double limit = argc == 3 ? std::atof(argv[2]) : 20.0;
    std::vector<std::filesystem::path> seeds;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) {
        if (entry.is_regular_file()) {
            seeds.push_back(entry.path());
        }
    }
    if (error || seeds.empty()) {
        std::cerr << "no seeds in " << argv[1] << "\n";
        return 1;
    }
    std::sort(seeds.begin(), seeds.end());
    int slow = 0;
    for (const auto& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.eof() && in.fail()) {
            std::cerr << seed.string() << ": cannot be read\n";
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::cout << seed.filename().string() << ": " << bytes.size() << " bytes, " << took.count() << " s\n";
        if (took.count() > limit) {
            std::cerr << seed.filename().string() << " took " << took.count() << " s, more than " << limit
                      << " s\n";
            ++slow;
        }
    }
    return slow == 0 ? 0 : 1;
}
