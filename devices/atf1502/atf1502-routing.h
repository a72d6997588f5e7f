// The ATF1502's 80 universal interconnect (UIM) multiplexers: the five
// select fuses of each and the sources each can pass into the AND array.
// UIMs 2k-1 and 2k offer the same sources and feed the same column pair of
// different LABs: LAB A reads the even UIMs, LAB B the odd ones.
#pragma once

#include "devices/cpld/lab.h"

#include <string>
#include <vector>

namespace gsmith {

struct ATF1502UIMSelection {
  std::string source;
  unsigned char bits[5];
};

struct ATF1502UIMEntry {
  int uim = 0;
  unsigned firstFuse = 0;
  std::vector<ATF1502UIMSelection> selections;
};

class ATF1502UIMDatabase {
public:
  static constexpr int kUIMCount = 80;

  static bool find(int uim, const std::string &source, unsigned &firstFuse, unsigned char bits[5]);
  // Throws std::runtime_error "UIM location not found".
  static const ATF1502UIMEntry &getUIM(int uim);
  // The first entry, in search order (even UIMs 2..80, then odd 1..79), that
  // is not excluded and lists the source.
  static bool findSource(const std::string &source, const std::vector<int> &excluded, int &uim,
                         unsigned &firstFuse, unsigned char bits[5]);
  static bool supportsSource(const std::string &source);

  // The entries in search order.
  static const std::vector<ATF1502UIMEntry> &entries();
  // The LAB whose product-term rows read the UIM (A: even, B: odd).
  static ATF1502LAB labOfUIM(int uim);
  // The UIMs that a LAB cannot read, to be excluded when routing for it.
  static std::vector<int> uimsOutsideLAB(ATF1502LAB lab);
};

} // namespace gsmith
