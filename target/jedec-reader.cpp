// One pass over the text between STX and ETX, field by field. The fuse array
// is filled from the L fields as they come and completed from the F default
// at the end, so that a fuse set by nothing is caught instead of guessed.
#include "target/jedec-reader.h"

#include "target/jedec.h"

#include <cstdio>

namespace gsmith {

namespace {

constexpr char kSTX = '\x02';
constexpr char kETX = '\x03';
constexpr std::uint8_t kUnset = 2;
// More digits than this cannot name a fuse below kMaxJedecFuseCount, and
// stopping there keeps the arithmetic far from overflow.
constexpr std::size_t kMaxNumberDigits = 9;

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

std::optional<std::size_t> decimal(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxNumberDigits)
    return std::nullopt;
  std::size_t value = 0;
  for (char c : digits) {
    if (!isDigit(c))
      return std::nullopt;
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  return value;
}

std::optional<std::uint16_t> fourHexDigits(std::string_view digits) {
  if (digits.size() != 4)
    return std::nullopt;
  std::uint16_t value = 0;
  for (char c : digits) {
    int nibble = -1;
    if (isDigit(c))
      nibble = c - '0';
    else if (c >= 'A' && c <= 'F')
      nibble = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      nibble = c - 'a' + 10;
    if (nibble < 0)
      return std::nullopt;
    value = static_cast<std::uint16_t>(value << 4 | nibble);
  }
  return value;
}

// A byte as it can safely appear inside a one-line message.
std::string shown(char c) {
  if (c > ' ' && c < '\x7f')
    return std::string("'") + c + "'";
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "0x%02x", static_cast<unsigned char>(c));
  return escaped;
}

class Reader {
public:
  explicit Reader(std::string_view text) : text_(text) {}

  JedecFile read() {
    const std::size_t stx = text_.find(kSTX);
    if (stx == std::string_view::npos)
      throw JedecError("no STX (0x02) starts the fuse data: this is not a JEDEC file");
    const std::size_t etx = text_.find(kETX, stx);
    if (etx == std::string_view::npos)
      throw JedecError("no ETX (0x03) ends the fuse data: the file is cut short");
    readTransmissionChecksum(stx, etx);

    const std::size_t headerEnd = text_.find('*', stx);
    if (headerEnd == std::string_view::npos || headerEnd > etx)
      fail(stx, "no '*' ends the header text that follows STX");
    file_.header = std::string(text_.substr(stx + 1, headerEnd - stx - 1));

    std::size_t fieldStart = headerEnd + 1;
    for (std::size_t star = text_.find('*', fieldStart); star < etx;
         star = text_.find('*', fieldStart)) {
      readField(fieldStart, star);
      fieldStart = star + 1;
    }
    const std::string_view rest = text_.substr(fieldStart, etx - fieldStart);
    if (!trimmed(rest).empty())
      fail(fieldStart + rest.find_first_not_of(" \t\r\n\f\v"),
           "the last field before ETX has no closing '*'");
    completeFuses();
    return std::move(file_);
  }

private:
  [[noreturn]] void fail(std::size_t offset, const std::string &problem) const {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text_.size(); ++i)
      line += text_[i] == '\n';
    throw JedecError("line " + std::to_string(line) + ": " + problem);
  }

  void readTransmissionChecksum(std::size_t stx, std::size_t etx) {
    std::uint16_t sum = 0;
    for (std::size_t i = stx; i <= etx; ++i)
      sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(text_[i]));
    const auto stated = fourHexDigits(text_.substr(etx + 1, 4));
    if (!stated)
      fail(etx, "ETX must be followed by the four hexadecimal digits of the transmission checksum");
    file_.transmissionChecksum = {*stated == 0     ? ChecksumState::NotGiven
                                  : *stated == sum ? ChecksumState::Right
                                                   : ChecksumState::Wrong,
                                  *stated, sum};
  }

  void readField(std::size_t begin, std::size_t end) {
    while (begin < end && isSpace(text_[begin]))
      ++begin;
    if (begin == end)
      return; // an empty field, as some writers leave after a block of notes
    const std::string_view field = text_.substr(begin, end - begin);
    if (!isLetter(field[0]))
      fail(begin, "a field starts with " + shown(field[0]) + " instead of a letter");
    switch (field[0]) {
    case 'Q':
      if (field.size() > 1 && field[1] == 'F')
        readFuseCount(begin, trimmed(field.substr(2)));
      if (field.size() > 1 && field[1] == 'P')
        file_.pinCount = decimal(trimmed(field.substr(2))).value_or(0);
      return; // QV and the like say nothing a reader needs
    case 'F':
      readDefault(begin, trimmed(field.substr(1)));
      return;
    case 'L':
      readFuseList(begin, field.substr(1));
      return;
    case 'C':
      readFuseChecksum(begin, trimmed(field.substr(1)));
      return;
    case 'G':
      readSecurityFuse(begin, trimmed(field.substr(1)));
      return;
    default:
      return; // N notes, V vectors, J, P, X, ...: nothing a fuse map depends on
    }
  }

  void readFuseCount(std::size_t offset, std::string_view value) {
    if (file_.fuseCount != 0)
      fail(offset, "a second QF field");
    const auto count = decimal(value);
    if (!count || *count == 0)
      fail(offset, "QF must give the fuse count as a positive decimal number");
    if (*count > kMaxJedecFuseCount)
      fail(offset, "QF" + std::to_string(*count) + " is more fuses than any device has (at most " +
                       std::to_string(kMaxJedecFuseCount) + " are read)");
    file_.fuseCount = *count;
    fuses_.assign(*count, kUnset);
  }

  void readDefault(std::size_t offset, std::string_view value) {
    if (defaultFuse_)
      fail(offset, "a second F field");
    if (value != "0" && value != "1")
      fail(offset, "the F field must be F0 or F1");
    defaultFuse_ = static_cast<std::uint8_t>(value[0] - '0');
  }

  void readFuseList(std::size_t offset, std::string_view body) {
    if (file_.fuseCount == 0)
      fail(offset, "an L field comes before QF has given the fuse count");
    std::size_t digits = 0;
    while (digits < body.size() && isDigit(body[digits]))
      ++digits;
    const auto first = decimal(body.substr(0, digits));
    if (!first)
      fail(offset, "an L field must start with its first fuse number in decimal");
    const std::string where = "L field at fuse " + std::to_string(*first);
    if (*first >= file_.fuseCount)
      fail(offset,
           where + " lies outside the " + std::to_string(file_.fuseCount) + " fuses that QF gives");
    std::size_t fuse = *first;
    for (std::size_t i = digits; i < body.size(); ++i) {
      const char c = body[i];
      if (isSpace(c))
        continue;
      if (c != '0' && c != '1')
        fail(offset + 1 + i, where + ": " + shown(c) + " is not a fuse value (0 or 1)");
      if (fuse >= file_.fuseCount)
        fail(offset + 1 + i, where + " runs past fuse " + std::to_string(file_.fuseCount - 1) +
                                 ", the last that QF gives");
      fuses_[fuse++] = static_cast<std::uint8_t>(c - '0');
    }
    if (fuse == *first)
      fail(offset, where + " holds no fuse values");
  }

  void readFuseChecksum(std::size_t offset, std::string_view value) {
    if (file_.fuseChecksum.state != ChecksumState::NotGiven)
      fail(offset, "a second C field");
    const auto stated = fourHexDigits(value);
    if (!stated)
      fail(offset, "the C field must be four hexadecimal digits");
    file_.fuseChecksum.stated = *stated;
    file_.fuseChecksum.state = ChecksumState::Right; // settled once every fuse is known
  }

  void readSecurityFuse(std::size_t offset, std::string_view value) {
    if (file_.securityFuse)
      fail(offset, "a second G field");
    if (value != "0" && value != "1")
      fail(offset, "the G field must be G0 or G1");
    file_.securityFuse = value[0] - '0';
  }

  void completeFuses() {
    if (file_.fuseCount == 0)
      throw JedecError("no QF field gives the fuse count");
    for (std::size_t fuse = 0; fuse < fuses_.size(); ++fuse) {
      if (fuses_[fuse] != kUnset)
        continue;
      if (!defaultFuse_)
        throw JedecError("fuse " + std::to_string(fuse) +
                         " is set by no L field and no F field gives a default");
      fuses_[fuse] = *defaultFuse_;
    }
    file_.fuses = std::move(fuses_);
    JedecChecksum &checksum = file_.fuseChecksum;
    checksum.computed = fuseChecksumOf(file_.fuses);
    if (checksum.state != ChecksumState::NotGiven && checksum.stated != checksum.computed)
      checksum.state = ChecksumState::Wrong;
  }

  std::string_view text_;
  JedecFile file_;
  std::vector<std::uint8_t> fuses_;
  std::optional<std::uint8_t> defaultFuse_;
};

} // namespace

JedecFile readJedec(std::string_view text) { return Reader(text).read(); }

} // namespace gsmith
