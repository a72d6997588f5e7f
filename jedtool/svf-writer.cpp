// The building blocks (enter/leave ISP mode, program a word, read one back)
// and the two whole files made of them. The timing values are the vendor's,
// copied as observed; their odd last digits are not ours to round.
#include "jedtool/svf-writer.h"

namespace gsmith {

namespace {

// Instructions of the 10-bit instruction register.
constexpr unsigned kIdcode = 0x059;
constexpr unsigned kIspMode = 0x280;
constexpr unsigned kRead = 0x28c;
constexpr unsigned kDataBase = 0x290; // + (address >> 8) selects the data register
constexpr unsigned kProgramPulse = 0x29e;
constexpr unsigned kAddress = 0x2a1;
constexpr unsigned kBulkErase = 0x2b3;
constexpr unsigned kAfterPulse = 0x2bf; // function unknown; the vendor sends it after each pulse

constexpr unsigned kEnterIspKey = 0x1b9;
constexpr unsigned kInstructionBits = 10;
constexpr unsigned kIspKeyBits = 10;
constexpr unsigned kAddressBits = 11;
constexpr unsigned kIdcodeBits = 32;

// Run-Test/Idle times in microseconds.
constexpr unsigned kSettle = 50021;
constexpr unsigned kAfterErase = 210001;
constexpr unsigned kAfterEraseReset = 50001;
constexpr unsigned kAfterLeave = 10001;
constexpr unsigned kProgramTime = 30001;
constexpr unsigned kReadTime = 20001;

constexpr char kDigits[] = "0123456789abcdef";

// Bit 0 is shifted first, which SVF writes as the least significant bit.
std::string hexOfBits(const std::vector<std::uint8_t> &bits) {
  const std::size_t digits = (bits.size() + 3) / 4;
  std::string hex(digits, '0');
  for (std::size_t digit = 0; digit < digits; ++digit) {
    unsigned nibble = 0;
    for (std::size_t bit = 4 * digit; bit < 4 * digit + 4 && bit < bits.size(); ++bit)
      nibble |= (bits[bit] & 1u) << bit % 4;
    hex[digits - 1 - digit] = kDigits[nibble];
  }
  return hex;
}

std::string hexOfValue(std::uint32_t value, unsigned width) {
  std::vector<std::uint8_t> bits(width);
  for (unsigned bit = 0; bit < width; ++bit)
    bits[bit] = value >> bit & 1;
  return hexOfBits(bits);
}

class SvfText {
public:
  explicit SvfText(std::string_view description) {
    text_.reserve(128 * 1024);
    line("//  SVF file written by gsmith-jed");
    std::string shown(description);
    for (char &c : shown)
      if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
        c = '?';
    line("//  " + shown);
    line("//  SVF Rev. D");
  }

  void line(std::string_view statement) {
    text_ += statement;
    text_ += "\r\n";
  }
  void state(std::string_view name) { line("STATE " + std::string(name) + ";"); }
  void runTest(unsigned microseconds) {
    line("RUNTEST " + std::to_string(microseconds) + "E-6 SEC;");
  }
  void sir(unsigned instruction) {
    line("SIR 10 TDI (" + hexOfValue(instruction, kInstructionBits) + ");");
  }
  void sdr(std::size_t width, const std::string &tdi) {
    line("SDR " + std::to_string(width) + " TDI (" + tdi + ");");
  }
  // A checked shift: the TDO (and MASK) continuation lines start with a TAB.
  void sdrExpecting(std::size_t width, const std::string &tdi, const std::string &tdo,
                    const std::optional<std::string> &mask) {
    line("SDR " + std::to_string(width) + " TDI (" + tdi + ")");
    if (!mask) {
      line("\tTDO (" + tdo + ");");
      return;
    }
    line("\tTDO (" + tdo + ")");
    line("\tMASK (" + *mask + ");");
  }

  std::string take() { return std::move(text_); }

private:
  std::string text_;
};

void enterIsp(SvfText &svf) {
  svf.sir(kIspMode);
  svf.sdr(kIspKeyBits, hexOfValue(kEnterIspKey, kIspKeyBits));
  svf.state("IDLE");
}

void leaveIsp(SvfText &svf) {
  svf.sir(kIspMode);
  svf.sdr(kIspKeyBits, hexOfValue(0, kIspKeyBits));
  svf.state("IDLE");
  svf.runTest(kAfterLeave);
  svf.state("RESET");
}

void selectWord(SvfText &svf, std::uint16_t address) {
  svf.sir(kAddress);
  svf.sdr(kAddressBits, hexOfValue(address, kAddressBits));
}

void programWord(SvfText &svf, const FlashWord &word) {
  selectWord(svf, word.address);
  svf.sir(kDataBase + (word.address >> 8));
  svf.sdr(word.bits.size(), hexOfBits(word.bits));
  svf.sir(kProgramPulse);
  svf.state("IDLE");
  svf.runTest(kProgramTime);
  svf.sir(kAfterPulse);
}

// The data shifted in during the read is the expected data itself. The
// blank check of the erase sequence leaves the mask out.
void verifyWord(SvfText &svf, const FlashWord &word, bool masked) {
  selectWord(svf, word.address);
  svf.sir(kRead);
  svf.state("IDLE");
  svf.runTest(kReadTime);
  svf.sir(kDataBase + (word.address >> 8));
  const std::string data = hexOfBits(word.bits);
  svf.sdrExpecting(word.bits.size(), data, data,
                   masked ? std::optional(hexOfBits(std::vector<std::uint8_t>(word.bits.size(), 1)))
                          : std::nullopt);
}

// Reset, identify, bulk erase and re-enter ISP mode: the common head of both files.
void eraseAndReenter(SvfText &svf, std::uint32_t idcode) {
  for (const char *statement :
       {"TRST ABSENT;", "ENDIR IDLE;", "ENDDR IDLE;", "HDR 0;", "HIR 0;", "TDR 0;", "TIR 0;"})
    svf.line(statement);
  svf.runTest(kSettle);
  svf.state("RESET");
  svf.state("IDLE");
  svf.runTest(kSettle);
  enterIsp(svf);
  svf.sir(kIdcode);
  const std::string allOnes = hexOfValue(0xffffffff, kIdcodeBits);
  svf.sdrExpecting(kIdcodeBits, allOnes, hexOfValue(idcode, kIdcodeBits), allOnes);
  svf.state("IDLE");
  svf.sir(kBulkErase);
  svf.sir(kProgramPulse);
  svf.state("IDLE");
  svf.runTest(kAfterErase);
  svf.sir(kAfterPulse);
  svf.state("IDLE");
  svf.state("RESET");
  svf.runTest(kAfterEraseReset);
  svf.state("IDLE");
  leaveIsp(svf);
  svf.runTest(kSettle);
  svf.runTest(kSettle);
  svf.state("RESET");
  svf.state("IDLE");
  svf.runTest(kSettle);
  enterIsp(svf);
}

void verifyAll(SvfText &svf, const FlashImage &image, bool masked) {
  for (const std::vector<FlashWord> &group : image) {
    for (const FlashWord &word : group)
      verifyWord(svf, word, masked);
    svf.state("IDLE");
  }
}

void finish(SvfText &svf) {
  leaveIsp(svf);
  svf.runTest(kSettle);
}

} // namespace

std::string programSvf(std::string_view description, std::uint32_t idcode,
                       const ProgramPlan &plan) {
  SvfText svf(description);
  eraseAndReenter(svf, idcode);
  for (const std::vector<FlashWord> &group : plan.words) {
    for (const FlashWord &word : group)
      programWord(svf, word);
    svf.state("IDLE");
  }
  verifyAll(svf, plan.words, true);
  if (plan.finalWord) {
    programWord(svf, *plan.finalWord);
    svf.state("IDLE");
  }
  finish(svf);
  return svf.take();
}

std::string eraseSvf(std::string_view description, std::uint32_t idcode, const FlashImage &erased) {
  SvfText svf(description);
  eraseAndReenter(svf, idcode);
  verifyAll(svf, erased, false);
  finish(svf);
  return svf.take();
}

} // namespace gsmith
