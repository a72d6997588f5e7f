// Every refusal of the CPLD back ends that a source can reach, with one
// source that provokes it: the CONFIG checks, the fitters' control-term,
// capacity and routing limits on both devices. A fit refusal prints its
// reasons in the log and ends with a one-line error; CONFIG refusals are the
// error itself.
#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace gsmith {
namespace {

// The error a compile stops with, followed by its log.
std::string outcome(const std::string &source) {
  std::ostringstream log;
  try {
    compileToJEDEC("design.pld", source, log);
  } catch (const std::exception &error) {
    return std::string(error.what()) + "\n" + log.str();
  }
  return "compiled\n" + log.str();
}

const std::string k1504 = "DEVICE ATF1504AS\nPIN 83 clk INPUT GCLK1\nPIN 4 a INPUT\n"
                          "PIN 5 b INPUT\nPIN 6 c INPUT\n";
const std::string k1502 = "DEVICE ATF1502AS\nPIN 43 clk INPUT GCLK1\nPIN 4 a INPUT\n"
                          "PIN 5 b INPUT\nPIN 6 c INPUT\n";
const std::string kRegistered = "PIN 8 q OUTPUT REGISTERED GCLK1";
const std::string kNode = "NODE n REGISTERED GCLK1\nn = a;\nPIN 8 y OUTPUT\ny = n;\n";
const std::string kTwoFastInputs = "NODE n REGISTERED GCLK1\nn = a;\nNODE m REGISTERED GCLK1\n"
                                   "m = a;\nPIN 8 y OUTPUT\ny = n & m;\nCONFIG n FAST_INPUT a\n"
                                   "CONFIG m FAST_INPUT a\n";

// `count` inputs i0.. on the ATF1504's ordinary I/O pins.
std::string inputs1504(int count) {
  static const int kPins[] = {4,  5,  6,  8,  9,  10, 11, 12, 15, 16, 17, 18, 20, 21, 22,
                              24, 25, 27, 28, 29, 30, 31, 33, 34, 35, 36, 37, 39, 40, 41,
                              44, 45, 46, 48, 49, 50, 51, 52, 54, 55, 56, 57, 58, 60};
  std::string text = "DEVICE ATF1504AS\nPIN 83 clk INPUT GCLK1\n";
  for (int k = 0; k < count; ++k)
    text += "PIN " + std::to_string(kPins[k]) + " i" + std::to_string(k) + " INPUT\n";
  return text;
}

// "i<first> & ... & i<first+count-1>", or the same over another prefix.
std::string product(int count, int first = 0, const std::string &prefix = "i") {
  std::string text;
  for (int k = first; k < first + count; ++k)
    text += (text.empty() ? "" : " & ") + prefix + std::to_string(k);
  return text;
}

std::string nodes(int count, int inputs) {
  std::string text;
  for (int k = 0; k < count; ++k)
    text += "NODE n" + std::to_string(k) + " REGISTERED GCLK1\nn" + std::to_string(k) + " = i" +
            std::to_string(k % inputs) + " ^ i" + std::to_string((k + 1) % inputs) + ";\n";
  return text;
}

// 27 inputs on the ATF1502's I/O pins, output y on pin 41.
std::string inputs1502(const std::string &yModifiers) {
  static const int kPins[] = {4,  5,  6,  8,  9,  11, 12, 14, 16, 17, 18, 19, 20, 21,
                              24, 25, 26, 27, 28, 29, 31, 33, 34, 36, 37, 39, 40};
  std::string text = "DEVICE ATF1502AS\nPIN 43 clk INPUT GCLK1\n";
  for (int k = 0; k < 27; ++k)
    text += "PIN " + std::to_string(kPins[k]) + " i" + std::to_string(k) + " INPUT\n";
  return text + "PIN 41 y OUTPUT" + yModifiers + "\n";
}

std::string plainNodes(int count) {
  std::string text;
  for (int k = 0; k < count; ++k)
    text += "NODE n" + std::to_string(k) + " REGISTERED GCLK1\nn" + std::to_string(k) + " = a;\n";
  return text;
}

// The first `count` odd-parity minterms over i0..i5: no two merge, and
// neither the sum nor its complement has a smaller form.
std::string terms(int count) {
  std::string text;
  for (unsigned value = 0; count > 0; ++value) {
    if (__builtin_popcount(value) % 2 == 0)
      continue;
    text += text.empty() ? "" : " | ";
    for (unsigned bit = 0; bit < 6; ++bit)
      text += std::string(bit ? " & " : "") + ((value >> bit) & 1 ? "" : "!") + "i" +
              std::to_string(bit);
    --count;
  }
  return text;
}

struct MessageCase {
  std::string source;
  std::string message; // the error, an "Error: " line of the log, or "compiled"
};

std::vector<MessageCase> cases() {
  std::vector<MessageCase> list;
  for (const std::string &device : {k1502, k1504}) {
    list.push_back({device + kNode + "CONFIG n FAST_INPUT clk\n",
                    "FAST_INPUT needs an ordinary macrocell INPUT pad: clk"});
    list.push_back({device + "NODE n\nn = a;\nPIN 8 y OUTPUT\ny = n;\nCONFIG n FAST_INPUT a\n",
                    "FAST_INPUT requires a REGISTERED NODE: n"});
    list.push_back({device + "NODE n REGISTERED GCLK1\nn = a & b;\nPIN 8 y OUTPUT\ny = n;\n"
                             "CONFIG n FAST_INPUT a\n",
                    "FAST_INPUT equation must be n = a"});
    list.push_back({device + kNode + "CONFIG n FAST_INPUT a\nCONFIG n XOR TOGGLE\n",
                    "FAST_INPUT bypasses the XOR gate and cannot be combined with XOR on n"});
    list.push_back({device + "PIN 8 y OUTPUT\ny = a;\nCONFIG y XOR TOGGLE\n",
                    "XOR TOGGLE requires REGISTERED on y"});
    list.push_back({device + kRegistered + "\nq = a ^ b;\nCONFIG q XOR TOGGLE\n",
                    "XOR TOGGLE cannot be combined with a dedicated ^ expression on q"});
    list.push_back(
        {device + kRegistered + "\nq = a;\nCONFIG q XOR TOGGLE\nCONFIG q STORAGE LATCH\n",
         "XOR TOGGLE requires DFF storage on q"});
    list.push_back({device + "PIN 8 y OUTPUT\ny = a;\nCONFIG y STORAGE LATCH\n",
                    "STORAGE requires REGISTERED on y"});
    list.push_back(
        {device + kNode + "CONFIG n SLEW FAST\n", "Buried NODE has no output driver: n"});
    list.push_back({device + "PIN 8 y OUTPUT OE PRODUCT\ny = a;\ny.OE = b;\n"
                             "CONFIG GOE3 SOURCE c\nCONFIG y GLOBAL_OE GOE3\n",
                    "GLOBAL_OE cannot replace an explicit OE selection on y"});
    list.push_back({device + "PIN 8 y OUTPUT\ny = a;\nCONFIG y GLOBAL_OE GOE3\n",
                    "GLOBAL_OE requires a SOURCE declaration for GOE3"});
    list.push_back({device + "PIN 8 y OUTPUT\ny = a;\nCONFIG GOE3 SOURCE c\n",
                    "GOE3 requires exactly one SOURCE and at least one GLOBAL_OE consumer"});
    list.push_back(
        {device + "PIN 8 y OUTPUT\ny = a;\nCONFIG zz SLEW FAST\n", "Unknown CONFIG target: zz"});
    list.push_back({device + "PIN 8 y OUTPUT\ny = a;\nCONFIG GOE3 SOURCE zz\n"
                             "CONFIG y GLOBAL_OE GOE3\n",
                    "Unknown global OE source: zz"});
  }
  const std::string oePreset = kRegistered + " OE PRODUCT PRESET PRODUCT\nq = a;\nq.OE = b;\n"
                                             "q.PRESET = c;\n";
  list.insert(
      list.end(),
      {
          // The ATF1502's fitter checks a whole design before placing it.
          {k1502 + oePreset,
           "Error: Output 'q' cannot use OE PRODUCT and PRESET PRODUCT together because both "
           "require PT5"},
          {k1502 + kRegistered + " CE PRODUCT\nq = a;\nq.CE = b | c;\n",
           "Error: Output 'q' CE expression requires 2 product terms; CE PRODUCT currently "
           "supports exactly one"},
          {k1502 + kRegistered + " PRESET PRODUCT\nq = a;\nq.PRESET = b | c;\n",
           "Error: Output 'q' PRESET expression requires 2 product terms; PRESET PRODUCT "
           "currently supports exactly one"},
          {k1502 + "PIN 8 y OUTPUT OE PRODUCT\ny = a;\ny.OE = b | c;\n",
           "Error: Output 'y' OE expression requires 2 product terms; OE PRODUCT currently "
           "supports exactly one"},
          {k1502 + plainNodes(40), "Error: No free macrocell available for buried node 'n31'"},
          // Only the pad's own macrocell can load the pad directly.
          {k1502 + kTwoFastInputs, "Error: Conflicting ATF1502 placement for 'm'"},
          // y's macrocell starts its cascade group: its own five terms are all it has.
          {inputs1502("") + "y = " + terms(6) + ";\n",
           "Error: Output 'y' requires 6 product terms including control terms, but only 5 are "
           "available in its cascade chain"},
          {inputs1502("") + "y = " + terms(5) + ";\n", "compiled"},
          {inputs1502("") + nodes(20, 27) + "y = " + product(27) + " & " + product(20, 0, "n") +
               ";\n",
           "Error: Output 'y' requires 40 additional UIM signals in LAB B, but only 33 selections "
           "remain"},
          {inputs1502(" OE PRODUCT") + nodes(13, 27) + "y = " + product(27) + " & " +
               product(12, 0, "n") + ";\ny.OE = n12;\n",
           "No UIM location can select source 'MC7_FB' for signal 'n5'"},
          {k1502 + kNode +
               "PIN 9 z OUTPUT\nz = a;\nCONFIG GOE3 SOURCE n\nCONFIG z GLOBAL_OE GOE3\n",
           "No GOE3 route from n (MC1_FB)"},
          // The ATF1504's fitter places in phases and stops at the first limit.
          {k1504 + oePreset,
           "Error: ATF1504 output 'q' cannot use OE PRODUCT and PRESET PRODUCT together; both "
           "require PT5"},
          {k1504 + kRegistered + " RESET PRODUCT\nq = a;\nq.RESET = b | c;\n",
           "Error: ATF1504 RESET PRODUCT for 'q' requires exactly one .RESET product term"},
          {k1504 + kRegistered + " CE PRODUCT\nq = a;\nq.CE = b | c;\n",
           "Error: ATF1504 clock control for 'q' requires exactly one .CE product term"},
          {k1504 + kRegistered + " PRESET PRODUCT\nq = a;\nq.PRESET = b | c;\n",
           "Error: ATF1504 PRESET PRODUCT for 'q' requires exactly one product term"},
          {k1504 + "PIN 8 y OUTPUT OE PRODUCT\ny = a;\ny.OE = b | c;\n",
           "Error: ATF1504 OE PRODUCT for 'y' requires exactly one product term"},
          {k1504 + plainNodes(70), "Error: No ATF1504 macrocell is available for 'n64'"},
          {k1504 + kTwoFastInputs, "Error: ATF1504 macrocell MC16 is already used"},
          {k1504 + "PIN 8 y OUTPUT\ny = a;\nPIN 9 z OUTPUT\nz = b;\nCONFIG GOE3 SOURCE y\n"
                   "CONFIG z GLOBAL_OE GOE3\n",
           "Error: Pin-bound GOE source 'y' has no requested feedback route"},
          {inputs1504(41) + "PIN 73 y OUTPUT\ny = " + product(41) + ";\n",
           "Error: LAB switch matrix is full while routing 'i9' for output 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT OE PRODUCT\ny = " + product(40) +
               ";\ny.OE = i40 & i41;\n",
           "Error: LAB switch matrix is full while routing OE 'i40' for output 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT REGISTERED CE PRODUCT\ny = " + product(40) +
               ";\ny.CE = i40 & i41;\n",
           "Error: LAB switch matrix is full while routing local clock 'i40' for output 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT REGISTERED GCLK1 RESET PRODUCT\ny = " + product(40) +
               ";\ny.RESET = i40 & i41;\n",
           "Error: LAB switch matrix is full while routing reset for 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT REGISTERED GCLK1 PRESET PRODUCT\ny = " + product(40) +
               ";\ny.PRESET = i40 & i41;\n",
           "Error: LAB switch matrix is full while routing preset 'i40' for output 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT\ny = (" + product(40) + ") ^ (i40 & i41);\n",
           "Error: LAB switch matrix is full while routing XOR for 'y'"},
          {inputs1504(42) + "PIN 73 y OUTPUT\ny = (" + product(20) +
               " | i20 & i21) ^ (i40 & i41);\n",
           "Error: No free UIM in LAB D can select source 'M43_PAD' for signal 'i40'"},
          {inputs1504(8) + "PIN 73 y OUTPUT\nPIN 75 z OUTPUT\ny = " + terms(8) +
               ";\nz = " + terms(8) + " | i0;\n",
           "Error: Output 'y' needs 8 ordinary product terms, but only 5 are free in its ATF1504 "
           "cascade chain"},
      });
  return list;
}

TEST(CPLDRefusals, EveryMessageHasASourceThatGivesIt) {
  for (const MessageCase &c : cases()) {
    const std::string result = outcome(c.source);
    const bool logged = c.message.rfind("Error: ", 0) == 0;
    if (logged)
      EXPECT_NE(result.find("\n" + c.message + "\n"), std::string::npos) << result;
    else
      EXPECT_EQ(result.substr(0, result.find('\n')), c.message) << result;
  }
}

} // namespace
} // namespace gsmith
