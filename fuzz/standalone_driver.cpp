// Runs a fuzz target without libFuzzer, for builds whose compiler has none:
// each file named on the command line, then a fixed number of variants of
// each, made by splicing in pieces of the other files at random places
// (a fixed seed, so that a failure repeats).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

std::string Variant(const std::vector<std::string>& seeds, std::mt19937& random) {
    std::string input = seeds[random() % seeds.size()];
    for (int splices = 1 + static_cast<int>(random() % 4); splices > 0; --splices) {
        const std::string& donor = seeds[random() % seeds.size()];
        const std::size_t from = donor.empty() ? 0 : random() % donor.size();
        const std::size_t length = donor.empty() ? 0 : random() % (donor.size() - from + 1);
        input.insert(input.empty() ? 0 : random() % (input.size() + 1), donor, from, length);
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr int kVariantsPerSeed = 40;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) return 2;
    for (const std::string& seed : seeds) Run(seed);
    std::mt19937 random(20261207);
    for (std::size_t i = 0; i < kVariantsPerSeed * seeds.size(); ++i) Run(Variant(seeds, random));
    std::printf("%zu inputs run\n", seeds.size() * (1 + kVariantsPerSeed));
    return 0;
}
