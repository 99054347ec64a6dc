// Contract fixtures over the Win32 adapters. Each fixture makes its own
// scratch directory in the temporary directory and removes it, with all it
// holds (read-only files included), when it goes; the current directory is
// put back first so that the scratch tree can be removed. The registry
// scratch key is made the same way, as a key of its own below
// HKEY_CURRENT_USER\Software\QuorrilContract, and removed with its subtree
// (the QuorrilContract key too, once no other fixture's key is in it).
//
// Program groups are made by the shell that serves "PROGMAN": under Wine,
// explorer, which keeps a group as a folder of the user's Start menu
// (%APPDATA%\Microsoft\Windows\Start Menu\Programs\<group>) and an item as a
// shortcut "<caption>.lnk" in it. The fixture removes the folders of its
// scratch groups when it goes.
#include "contract/fixtures.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_program_manager.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_worker.h"

namespace quorril::testing {
namespace {

constexpr const char* kRegistryParent = "Software\\QuorrilContract";

// Deletes a directory tree with plain Win32 calls, clearing attributes
// that would stop the deletion.
void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA data;
  win32::UniqueFind find(FindFirstFileA((directory + "\\*").c_str(), &data));
  if (find) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = directory + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find.Get(), &data));
  }
  find.Reset();
  SetFileAttributesA(directory.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(directory.c_str());
}

}  // namespace

std::string TestComponentPath(const std::string& name) {
  char executable[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, executable, sizeof executable);
  std::string path(executable, n < sizeof executable ? n : 0);
  return path.substr(0, path.rfind('\\') + 1) + "components\\" + name;
}

namespace {

class Win32PortFixture : public PortFixture {
 public:
  Win32PortFixture() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (n > 0 && n < sizeof buffer) savedDirectory_ = buffer;
    n = GetTempPathA(sizeof buffer, buffer);
    std::string temp = n > 0 && n < sizeof buffer ? std::string(buffer) : std::string("C:\\");
    if (temp.back() != '\\') temp += '\\';
    // A name of its own per fixture, so that a directory or key left by an
    // aborted run never disturbs the next.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
      std::string unique = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
      std::string candidate = temp + "qct" + unique;
      if (CreateDirectoryA(candidate.c_str(), nullptr)) {
        scratch_ = candidate;
        MakeRegistryScratch(std::string(kRegistryParent) + "\\" + unique);
        return;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ADD_FAILURE() << "cannot create a scratch directory in " << temp << " (error " << GetLastError() << ")";
  }

  ~Win32PortFixture() override {
    if (!savedDirectory_.empty()) SetCurrentDirectoryA(savedDirectory_.c_str());
    if (!scratch_.empty()) RemoveTree(scratch_);
    if (!registryScratch_.empty()) {
      RegDeleteTreeA(HKEY_CURRENT_USER, registryScratch_.c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, registryScratch_.c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, kRegistryParent);  // fails while other keys are in it
    }
    programManager_.End();
    for (const std::string& group : groups_) {
      std::string folder = GroupFolder(group);
      if (!folder.empty()) RemoveTree(folder);
    }
  }

  FileSystem& files() override { return files_; }
  Machine& machine() override { return machine_; }
  Process& process() override { return process_; }
  Profile& profile() override { return profile_; }
  Registry& registry() override { return registry_; }
  ProgramManager& programManager() override { return programManager_; }
  std::unique_ptr<Worker> NewWorker() override { return std::make_unique<Win32Worker>(); }
  std::string Scratch() override { return scratch_; }
  std::string RegistryScratch() override { return registryScratch_; }

  void PutFile(const std::string& path, const std::string& contents) override {
    // Missing directories on the way are created, as the fake does.
    for (size_t cut = path.find('\\', 3); cut != std::string::npos; cut = path.find('\\', cut + 1))
      CreateDirectoryA(path.substr(0, cut).c_str(), nullptr);
    win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), contents.data(), DWORD(contents.size()), &written, nullptr) ||
        written != contents.size())
      ADD_FAILURE() << "cannot write " << path << " (error " << GetLastError() << ")";
  }

  void PutComponent(const std::string& path, TestComponent kind) override {
    const char* name = kind == TestComponent::kRegisters ? "component_registers.dll"
                       : kind == TestComponent::kFails   ? "component_fails.dll"
                                                         : "component_without_entry.dll";
    std::string from = TestComponentPath(name);
    if (!CopyFileA(from.c_str(), path.c_str(), FALSE))
      ADD_FAILURE() << "cannot copy " << from << " to " << path << " (error " << GetLastError() << ")";
  }

  bool IsWin32() const override { return true; }

  std::string ScratchGroup(const std::string& name) override {
    std::string group = "Quorril Contract " + std::to_string(GetCurrentProcessId()) + " " + name;
    groups_.push_back(group);
    return group;
  }

  bool HasGroup(const std::string& group) override {
    DWORD attributes = GetFileAttributesA(GroupFolder(group).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::vector<std::string> Items(const std::string& group) override {
    std::vector<std::string> captions;
    WIN32_FIND_DATAA data;
    win32::UniqueFind find(FindFirstFileA((GroupFolder(group) + "\\*.lnk").c_str(), &data));
    if (find) {
      do {
        std::string name = data.cFileName;
        captions.push_back(name.substr(0, name.size() - 4));
      } while (FindNextFileA(find.Get(), &data));
    }
    std::sort(captions.begin(), captions.end());
    return captions;
  }

 private:
  void MakeRegistryScratch(const std::string& path) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());  // left by an aborted run of the same process id
    win32::UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.Receive(),
                        &disposition) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot create the registry key HKEY_CURRENT_USER\\" << path;
      return;
    }
    registryScratch_ = path;
  }

  // The folder of the user's Start menu that holds a group; "" when the
  // Start menu cannot be found.
  static std::string GroupFolder(const std::string& group) {
    char programs[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs))) return "";
    return std::string(programs) + "\\" + group;
  }

  std::string savedDirectory_;
  std::string scratch_;
  std::string registryScratch_;
  Win32FileSystem files_;
  Win32Machine machine_;
  Win32Process process_;
  Win32Profile profile_;
  Win32Registry registry_;
  Win32ProgramManager programManager_;
  std::vector<std::string> groups_;
};

}  // namespace

std::unique_ptr<PortFixture> MakePortFixture() { return std::make_unique<Win32PortFixture>(); }

}  // namespace quorril::testing
