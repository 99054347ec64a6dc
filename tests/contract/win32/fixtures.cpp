// Contract fixtures over the Win32 adapters. Each fixture makes its own
// scratch directory in the temporary directory and removes it, with all it
// holds (read-only files included), when it goes; the current directory is
// put back first so that the scratch tree can be removed. The registry
// scratch key is made the same way, as a key of its own below
// HKEY_CURRENT_USER\Software\QuorrilContract, and removed with its subtree
// (the QuorrilContract key too, once no other fixture's key is in it).
#include "contract/fixtures.h"

#include <gtest/gtest.h>

#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_registry.h"

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
  }

  FileSystem& files() override { return files_; }
  Machine& machine() override { return machine_; }
  Process& process() override { return process_; }
  Profile& profile() override { return profile_; }
  Registry& registry() override { return registry_; }
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

  bool IsWin32() const override { return true; }

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

  std::string savedDirectory_;
  std::string scratch_;
  std::string registryScratch_;
  Win32FileSystem files_;
  Win32Machine machine_;
  Win32Process process_;
  Win32Profile profile_;
  Win32Registry registry_;
};

}  // namespace

std::unique_ptr<PortFixture> MakePortFixture() { return std::make_unique<Win32PortFixture>(); }

}  // namespace quorril::testing
