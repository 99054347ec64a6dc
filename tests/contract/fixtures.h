// Contract-test fixtures: the same suites run natively against the
// in-memory fakes and under Wine against the Win32 adapters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/program_manager.h"
#include "platform/worker.h"

namespace quorril::testing {

// Component libraries of the self-registration cases: DllRegisterServer
// returns 0, returns an error status, or is missing.
enum class TestComponent { kRegisters, kFails, kWithoutEntry };

class PortFixture {
 public:
  virtual ~PortFixture() = default;
  virtual FileSystem& files() = 0;
  virtual Machine& machine() = 0;
  virtual Process& process() = 0;
  virtual Profile& profile() = 0;
  virtual Registry& registry() = 0;
  virtual ProgramManager& programManager() = 0;
  // A new worker of the kind under test.
  virtual std::unique_ptr<Worker> NewWorker() = 0;
  // An existing, empty directory (absolute, no trailing "\") that the test
  // may fill; removed with everything in it when the fixture goes.
  virtual std::string Scratch() = 0;
  // An existing key without subkeys or values below HKEY_CURRENT_USER
  // ("Software\QuorrilContract\<unique>") that the test may fill;
  // removed with everything below it when the fixture goes.
  virtual std::string RegistryScratch() = 0;
  // Creates a file with the given bytes outside the port under test.
  virtual void PutFile(const std::string& path, const std::string& contents) = 0;
  // Puts a component library of this kind at `path`, outside the port under test.
  virtual void PutComponent(const std::string& path, TestComponent kind) = 0;
  virtual bool IsWin32() const = 0;

  // A program group name of the test's own, which no other group has; the
  // group is removed with its items when the fixture goes.
  virtual std::string ScratchGroup(const std::string& name) = 0;
  // Whether the shell keeps a group of this name, and the captions of its
  // items in ASCII order (none for a missing group), as the shell keeps
  // them (the fake's groups, or the folders and shortcuts of Wine's Start
  // menu).
  virtual bool HasGroup(const std::string& group) = 0;
  virtual std::vector<std::string> Items(const std::string& group) = 0;
};

std::unique_ptr<PortFixture> MakePortFixture();

// The Win32 tests only: the full path of a test library built in the folder
// "components" beside the test program (component_registers.dll, ...).
std::string TestComponentPath(const std::string& name);

}  // namespace quorril::testing
