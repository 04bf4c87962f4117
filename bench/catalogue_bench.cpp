// How long a user's own catalogue takes to load, by its number of rows: the
// time per row should stay flat as the rows grow (each row is checked against
// every name before it through a key set, not by a scan).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/catalogue.hpp"

namespace {

void BM_LoadUserCores(benchmark::State& state) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("flyback-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream file(folder / "cores.csv");
        file << "family,name,common_name,Ae_mm2,Amin_mm2,le_mm,Ve_mm3,bobbin_window_mm2,"
                "winding_width_mm,winding_height_mm,MLT_mm\n";
        for (long i = 0; i < state.range(0); ++i) {
            file << "E,User " << i << ",U" << i << ",41,40,39.4,1615,30,8,3.75,45\n";
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(flyback::catalogue::WithUserFiles(folder));
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadUserCores)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
