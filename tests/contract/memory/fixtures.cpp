// Contract fixtures over the in-memory fakes.
//
// The fake machine's executable exists in the fake file system, and the fake
// process acts out the few programs that the contract suites start: a
// program starts when its file exists (".exe" may be left out), and the
// command interpreter "cmd /c echo TEXT > FILE" writes FILE at once. A
// component is a file that names its kind; only "component:registers"
// registers. The fake Program Manager looks for the programs of its items
// in the fake file system.
#include "contract/fixtures.h"

#include <algorithm>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_program_manager.h"
#include "platform/text.h"
#include "platform/memory/thread_worker.h"

namespace quorril::testing {
namespace {

// The first token of a command line (quotes removed) and the rest after it.
void SplitProgram(const std::string& commandLine, std::string* program, std::string* rest) {
  size_t i = commandLine.find_first_not_of(' ');
  if (i == std::string::npos) i = commandLine.size();
  size_t end;
  if (i < commandLine.size() && commandLine[i] == '"') {
    end = commandLine.find('"', i + 1);
    if (end == std::string::npos) end = commandLine.size();
    *program = commandLine.substr(i + 1, end - i - 1);
    if (end < commandLine.size()) ++end;
  } else {
    end = commandLine.find(' ', i);
    if (end == std::string::npos) end = commandLine.size();
    *program = commandLine.substr(i, end - i);
  }
  size_t from = commandLine.find_first_not_of(' ', end);
  *rest = from == std::string::npos ? "" : commandLine.substr(from);
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

class MemoryPortFixture : public PortFixture {
 public:
  MemoryPortFixture() {
    files_.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files_.AddDirectory(kScratch);
    files_.AddFile(machine_.executablePath, "MZ");
    files_.SetCurrentDirectory("C:\\");
    process_.hook = [this](const std::string& commandLine) { return Act(commandLine); };
    bool created = false;
    registry_.CreateKey(RegistryRootKey::kCurrentUser, kRegistryScratch, &created);
    process_.componentHook = [this](const std::string& path) {
      std::string contents;
      return files_.ReadWholeFile(path, &contents) && contents == kRegisters;
    };
  }
  FileSystem& files() override { return files_; }
  Machine& machine() override { return machine_; }
  Process& process() override { return process_; }
  Profile& profile() override { return profile_; }
  Registry& registry() override { return registry_; }
  ProgramManager& programManager() override { return programManager_; }
  std::unique_ptr<Worker> NewWorker() override { return std::make_unique<ThreadWorker>(); }
  std::string Scratch() override { return kScratch; }
  std::string RegistryScratch() override { return kRegistryScratch; }
  void PutFile(const std::string& path, const std::string& contents) override { files_.AddFile(path, contents); }
  void PutComponent(const std::string& path, TestComponent kind) override {
    files_.AddFile(path, kind == TestComponent::kRegisters ? kRegisters
                         : kind == TestComponent::kFails   ? "component:fails"
                                                           : "component:without-entry");
  }
  bool IsWin32() const override { return false; }

  std::string ScratchGroup(const std::string& name) override { return "Quorril Contract " + name; }
  bool HasGroup(const std::string& group) override { return programManager_.FindGroup(group) != nullptr; }
  std::vector<std::string> Items(const std::string& group) override {
    std::vector<std::string> captions = programManager_.Captions(group);
    std::sort(captions.begin(), captions.end());
    return captions;
  }

 private:
  bool Act(const std::string& commandLine) {
    std::string program, rest;
    SplitProgram(commandLine, &program, &rest);
    if (EqualsNoCase(program, "cmd") || EqualsNoCase(program, "cmd.exe")) {
      if (!StartsWithNoCase(rest, "/c ")) return true;
      std::string command = Trim(rest.substr(3));
      size_t redirect = command.find('>');
      if (StartsWithNoCase(command, "echo ") && redirect != std::string::npos) {
        std::string target = Trim(command.substr(redirect + 1));
        if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
          target = target.substr(1, target.size() - 2);
        files_.AddFile(target, command.substr(5, redirect - 5) + "\r\n");
      }
      return true;
    }
    return IsFile(program) || IsFile(program + ".exe");
  }

  bool IsFile(const std::string& path) {
    uint32_t attributes = files_.GetAttributes(path);
    return attributes != kInvalidAttributes && !(attributes & kAttrDirectory);
  }

  static constexpr const char* kScratch = "C:\\SCRATCH";
  static constexpr const char* kRegistryScratch = "Software\\QuorrilContract\\fake";
  static constexpr const char* kRegisters = "component:registers";
  MemoryFileSystem files_;
  MemoryMachine machine_;
  MemoryProcess process_;
  MemoryProfile profile_{files_, machine_};
  MemoryRegistry registry_;
  MemoryProgramManager programManager_{&files_};
};

}  // namespace

std::unique_ptr<PortFixture> MakePortFixture() { return std::make_unique<MemoryPortFixture>(); }

}  // namespace quorril::testing
