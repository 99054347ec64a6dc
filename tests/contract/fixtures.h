// Contract-test fixtures: the same suites run natively against the
// in-memory fakes and under Wine against the Win32 adapters.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/registry.h"

namespace quorril::testing {

class PortFixture {
 public:
  virtual ~PortFixture() = default;
  virtual FileSystem& files() = 0;
  virtual Machine& machine() = 0;
  virtual Process& process() = 0;
  virtual Profile& profile() = 0;
  virtual Registry& registry() = 0;
  // An existing, empty directory (absolute, no trailing "\") that the test
  // may fill; removed with everything in it when the fixture goes.
  virtual std::string Scratch() = 0;
  // An existing key without subkeys or values below HKEY_CURRENT_USER
  // ("Software\QuorrilContract\<unique>") that the test may fill;
  // removed with everything below it when the fixture goes.
  virtual std::string RegistryScratch() = 0;
  // Creates a file with the given bytes outside the port under test.
  virtual void PutFile(const std::string& path, const std::string& contents) = 0;
  virtual bool IsWin32() const = 0;
};

std::unique_ptr<PortFixture> MakePortFixture();

}  // namespace quorril::testing
