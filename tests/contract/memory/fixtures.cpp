// Contract fixtures over the in-memory fakes.
#include "contract/fixtures.h"

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"

namespace quorril::testing {
namespace {

class MemoryPortFixture : public PortFixture {
 public:
  MemoryPortFixture() {
    files_.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files_.AddDirectory(kScratch);
    files_.SetCurrentDirectory("C:\\");
  }
  FileSystem& files() override { return files_; }
  Machine& machine() override { return machine_; }
  Process& process() override { return process_; }
  std::string Scratch() override { return kScratch; }
  void PutFile(const std::string& path, const std::string& contents) override { files_.AddFile(path, contents); }
  bool IsWin32() const override { return false; }

 private:
  static constexpr const char* kScratch = "C:\\SCRATCH";
  MemoryFileSystem files_;
  MemoryMachine machine_;
  MemoryProcess process_;
};

}  // namespace

std::unique_ptr<PortFixture> MakePortFixture() { return std::make_unique<MemoryPortFixture>(); }

}  // namespace quorril::testing
