// Reading a JEDEC fuse file (JESD3) into its fuse array, the fields that a
// programmer or a decoder needs and the state of both checksums. It knows no
// device: whether a fuse count belongs to a part is the caller's question, so
// the same reader serves every tool that takes a .jed as input.
//
// Accepted: anything before STX; the header text up to the first '*';
// fields each closed by '*' and separated by any white space (CR LF
// included); QF before the first L; L fields that span lines and may leave
// fuses to the F default; N notes and every other letter-named field skipped;
// ETX followed by the four-digit transmission checksum. Everything else is a
// JedecError whose message names the line and the problem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

enum class ChecksumState { NotGiven, Right, Wrong };

struct JedecChecksum {
  ChecksumState state = ChecksumState::NotGiven;
  std::uint16_t stated = 0;   // as written in the file; 0 when not given
  std::uint16_t computed = 0; // from the fuses, or from the text between STX and ETX
};

struct JedecFile {
  std::string header;              // free text after STX up to the first '*'
  std::size_t fuseCount = 0;       // QF
  std::size_t pinCount = 0;        // QP, 0 when not given
  std::vector<std::uint8_t> fuses; // fuseCount values, each 0 or 1
  std::optional<int> securityFuse; // the G field, when given
  JedecChecksum fuseChecksum;      // the C field
  // The four digits after ETX; JESD3 lets a writer put 0000 there for "not
  // computed", so 0000 reads as NotGiven rather than as a wrong sum.
  JedecChecksum transmissionChecksum;
};

class JedecError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A bound on QF so that a hostile file cannot make the reader allocate more
// than a megabyte of fuses; every supported part has well under 100 000.
inline constexpr std::size_t kMaxJedecFuseCount = std::size_t{1} << 20;

// Throws JedecError when `text` is not a well-formed JEDEC file.
JedecFile readJedec(std::string_view text);

} // namespace gsmith
