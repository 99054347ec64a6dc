// Building shrunk-file containers in tests: members compressed with our
// implode and laid out in volumes named BASE.Z, BASE.002, BASE.003, ...
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "package/container.h"
#include "package/implode.h"

namespace quorril::testing {

inline std::string Implode(const std::string& data) {
  std::vector<uint8_t> out;
  EXPECT_EQ(ImplodeBuffer(reinterpret_cast<const uint8_t*>(data.data()), data.size(), ImplodeOptions(), &out),
            kImplodeOk);
  return std::string(out.begin(), out.end());
}

struct Member {
  std::string path;
  std::string content;
  uint16_t date = 0x5A21;
  uint16_t time = 0x6000;
};

// A container of `members` in volumes of at most `volumeSize` bytes (0: one
// volume) named BASE.Z, BASE.002, BASE.003, ...
inline std::vector<ContainerVolume> BuildContainer(const std::vector<Member>& members, uint32_t volumeSize = 0,
                                                   const std::string& base = "DATA") {
  std::vector<PackedMember> packed;
  for (const Member& m : members) {
    PackedMember p;
    p.path = m.path;
    p.data = m.content.empty() ? std::string() : Implode(m.content);
    p.dosDate = m.date;
    p.dosTime = m.time;
    packed.push_back(p);
  }
  std::vector<ContainerVolume> volumes;
  auto name = [&](int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", n);
    return base + "." + buf;
  };
  EXPECT_EQ(LayOutContainer(packed, volumeSize, name, &volumes), kLayoutOk);
  if (!volumes.empty()) volumes[0].name = base + ".Z";
  return volumes;
}

}  // namespace quorril::testing
