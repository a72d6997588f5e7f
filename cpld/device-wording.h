// The wording of the messages a CPLD back end gives for failures outside the
// design (a fuse beyond the map, a JEDEC file that cannot be installed),
// worded the ATF1504 way for any device: the device's name is the only part
// that differs, so the words exist once and the name is a template argument.
#pragma once

#include "io/output-file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace gsmith {

template <const std::string_view &Device> struct DeviceWording {
  static std::string fuseOutOfRange(std::size_t, std::size_t count) {
    return std::string(Device) + " fuse index outside QF" + std::to_string(count) + " map";
  }

  static constexpr InstallMessages install = {
      [](const std::string &, const std::string &) {
        return "Unable to create temporary " + std::string(Device) + " JEDEC";
      },
      [](const std::string &, const std::string &) {
        return "Unable to complete temporary " + std::string(Device) + " JEDEC";
      },
      [](const std::string &, const std::string &reason) {
        return "Unable to install " + std::string(Device) + " JEDEC: " + reason;
      },
  };
};

} // namespace gsmith
