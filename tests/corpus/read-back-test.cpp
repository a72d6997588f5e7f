// Every stress design and every design of the corpus that compiles, read back in memory: its fuse
// map decoded and written as a source of our language, that source compiled again, and the new map
// compared with the netlist of the original design. The corpus holds generated designs over every
// feature of every device, so the decoder and the source writer meet each of them here; a feature
// one of them drops or misreads shows as a source that does not compile or as a difference between
// the two maps.
#include "decode/compare.h"
#include "decode/decoder.h"
#include "decode/expected.h"
#include "decode/source-writer.h"
#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace gsmith {
namespace {

const std::filesystem::path kRoot = GSMITH_SOURCE_DIR;

std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<CompiledDesign> compiled(const std::string &source) {
  std::ostringstream log;
  try {
    return compileToJEDEC("design.pld", source, log);
  } catch (const std::exception &) {
    return std::nullopt;
  }
}

TEST(CorpusReadBack, EveryCompilingDesignDecodesToASourceThatCompilesToAnEquivalentMap) {
  std::vector<std::filesystem::path> designs;
  for (const char *folder : {"bench/designs", "fuzz/corpus"})
    for (const auto &entry : std::filesystem::directory_iterator(kRoot / folder))
      designs.push_back(entry.path());
  std::sort(designs.begin(), designs.end());
  int readBack = 0;
  for (const std::filesystem::path &path : designs) {
    const std::string source = readFile(path);
    const std::optional<CompiledDesign> original = compiled(source);
    if (!original)
      continue;
    SCOPED_TRACE(path.filename().string());
    ++readBack;
    const SynthesisedDesign design = synthesiseSource(source);
    const Target &target = *design.target;
    const std::string decoded = writeSource(target, decodeFuseMap(target, original->jedec.fuses),
                                            design.design.package, {}, "design.jed");
    EXPECT_EQ(decoded.find("NOT EXPRESSIBLE"), std::string::npos) << decoded;
    const std::optional<CompiledDesign> again = compiled(decoded);
    if (!again) {
      ADD_FAILURE() << "the decoded source does not compile:\n" << decoded;
      continue;
    }
    // Both maps against the source, as verify reads them: NODEs found by
    // their function, not by where the fitter put them.
    const ExpectedMap expected = expectedMap(target, design.netlist, design.design.package, {});
    for (const CompiledDesign *map : {&*original, &*again})
      for (const Difference &difference :
           compareMaps(expected, decodeFuseMap(target, map->jedec.fuses)))
        ADD_FAILURE() << difference.output << ": " << difference.text << "\n" << decoded;
  }
  EXPECT_GE(readBack, 700);
}

} // namespace
} // namespace gsmith
