// Logic synthesis seen from the built gsmith binary: oversized expressions in
// CPLD designs are refused with the device's message before conversion
// starts (when no minimised form fits either; tests/rescue has those that
// do), and expressions inside the budget get through synthesis.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <string>

namespace gsmith::testing {
namespace {

// A design whose output y computes `data` and whose output z is enabled by `enable`.
std::string cpldSource(const std::string &device, const std::string &data,
                       const std::string &enable = "e") {
  std::string source = "DEVICE " + device + "\nPACKAGE PLCC44\n";
  source += "PIN 4 a INPUT\nPIN 5 b INPUT\nPIN 6 c INPUT\nPIN 8 d INPUT\nPIN 9 e INPUT\n";
  source += "PIN 24 y OUTPUT\nPIN 26 z OUTPUT OE PRODUCT\n";
  source += "y = " + data + ";\nz = a;\nz.OE = " + enable + ";\n";
  return source;
}

std::string galSource(const std::string &data) {
  return "DEVICE GAL22V10B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 4 c INPUT\nPIN 5 d INPUT\n"
         "PIN 6 e INPUT\nPIN 23 y OUTPUT\ny = " +
         data + ";\n";
}

std::string group(const std::string &inner) {
  std::string result = "(";
  result += inner;
  result += ")";
  return result;
}

// a ^ b ^ c ^ d ^ e ^ a ^ ... with `operands` operands.
std::string xorChain(int operands) {
  const std::string names = "abcde";
  std::string chain(1, names[0]);
  for (int i = 1; i < operands; ++i) {
    chain += " ^ ";
    chain += names[i % 5];
  }
  return chain;
}

TEST(SynthesisEndToEnd, RefusesOversizedCpldExpressionsWithTheDeviceName) {
  const struct {
    const char *device;
    std::string source;
  } cases[] = {
      // Parity of a..e (45 operands), which takes 16 terms in either polarity.
      {"ATF1502AS", cpldSource("ATF1502AS", "a", xorChain(45))},
      {"GAL22V10B", galSource(xorChain(5))},
      {"ATF1504AS", cpldSource("ATF1504AS", xorChain(45))},
      {"ATF1502ASV", cpldSource("ATF1502ASV", "a", group(xorChain(45)) + " | a")},
      {"ATF1504ASV", cpldSource("ATF1504ASV", std::string("a ^ ").append(group(xorChain(45))))},
  };
  for (const auto &test : cases) {
    TempDir dir;
    const RunResult result = compileSource(dir, test.source);
    EXPECT_EQ(result.exitCode, 1) << test.source;
    EXPECT_NE(result.err.find(std::string("Compiler error: ") + test.device +
                              " SOP expansion exceeds 4096 terms before simplification\n"),
              std::string::npos)
        << test.source << result.err;
    EXPECT_EQ(result.out.find("Logic synthesis... OK"), std::string::npos) << test.source;
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

// A fully parenthesised AND of `leaves` copies of a (a power of two).
std::string wideTerm(int leaves) {
  return leaves == 1 ? std::string("a")
                     : group(wideTerm(leaves / 2) + " & " + wideTerm(leaves / 2));
}

// Twelve two-term factors over a..e: 4096 terms once expanded.
std::string twelveFactors() {
  const std::string names = "abcde";
  std::string product;
  for (int i = 0; i < 12; ++i) {
    product += i == 0 ? "" : " & ";
    product += group(std::string(1, names[i % 5]) + " | " + names[(i + 1 + i / 5) % 5]);
  }
  return product;
}

TEST(SynthesisEndToEnd, RefusesExpansionsWhoseTermsAreTooWide) {
  // 4096 terms of over a thousand literal copies each: within the term budget,
  // but gigabytes once converted; the parity keeps the minimised sum wide.
  const std::string data = wideTerm(1024) + " & " + twelveFactors() + " | " + group(xorChain(5));
  const struct {
    const char *device;
    std::string source;
  } cases[] = {
      {"ATF1504AS", cpldSource("ATF1504AS", "a", data)},
      {"ATF1502AS", cpldSource("ATF1502AS", "a", data)},
      {"GAL22V10B", galSource(data)},
  };
  for (const auto &test : cases) {
    TempDir dir;
    const RunResult result = compileSource(dir, test.source);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(std::string("Compiler error: ") + test.device +
                              " expression expansion exceeds safety budget\n"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

TEST(SynthesisEndToEnd, ExpressionsInsideTheBudgetPassSynthesis) {
  const std::string sources[] = {
      cpldSource("ATF1502AS", xorChain(4)),
      // The dedicated gate takes the fifth operand, so only four are expanded.
      cpldSource("ATF1502AS", xorChain(5)),
      galSource(xorChain(4)),
      cpldSource("ATF1504AS", group(xorChain(4)) + " | e", "!(a & b | c & d)"),
      cpldSource("ATF1502AS", wideTerm(32) + " & " + twelveFactors()),
  };
  for (const std::string &source : sources) {
    TempDir dir;
    const RunResult result = compileSource(dir, source);
    EXPECT_NE(result.out.find("Logic synthesis... OK"), std::string::npos) << source << result.err;
  }
}

} // namespace
} // namespace gsmith::testing
