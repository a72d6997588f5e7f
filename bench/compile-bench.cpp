// Whole compilations in memory, source text to JEDEC text, for the bundled
// examples and the stress designs under bench/designs: the largest designs
// each device holds and the worst cases the size budgets admit.
#include "driver/pipeline.h"

#include <benchmark/benchmark.h>

#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void compileDesign(benchmark::State &state, const std::string &source) {
  for (auto _ : state) {
    std::ostringstream log;
    try {
      benchmark::DoNotOptimize(gsmith::compileToJEDEC("design.pld", source, log));
    } catch (const std::exception &) {
      // The budget designs are refused by design; their cost is what counts.
    }
  }
}

void registerDirectory(const std::filesystem::path &directory) {
  for (const auto &entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().extension() != ".pld")
      continue;
    const std::string source = readFile(entry.path());
    benchmark::RegisterBenchmark(entry.path().filename().string().c_str(), compileDesign, source)
        ->Unit(benchmark::kMillisecond);
  }
}

} // namespace

int main(int argc, char **argv) {
  registerDirectory(GSMITH_SOURCE_DIR "/examples");
  registerDirectory(GSMITH_SOURCE_DIR "/bench/designs");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
