// Faults made to order across every port of a run, so that a test can fail
// the n-th call of the whole run, whichever port it goes to.
//
// A FaultSchedule counts the calls that the wrappers below (and a
// FaultFileSystem given the same schedule) pass on: FailCall(n, persistence)
// makes the n-th counted call from then fail, once or from then on. A
// failing call changes nothing and returns what the port's contract gives
// for a failure (false; nothing created, started or registered). A run that
// keeps calling long after its work should have ended is a run that does
// not end: past `limit` calls every call fails and Runaway() says so.
//
// The wrappers count every call of their port: FaultRegistry,
// FaultProfile, FaultProgramManager (Begin, Execute, Request; End cannot
// fail and is not counted), FaultProcess (every call).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/profile.h"
#include "platform/program_manager.h"
#include "platform/registry.h"

namespace quorril {

class FaultSchedule {
 public:
  enum class Persistence { kOnce, kFromThenOn };

  void FailCall(int64_t n, Persistence persistence = Persistence::kOnce) {
    calls_ = 0;
    failures_ = 0;
    failAt_ = n;
    persistence_ = persistence;
  }
  void StopFailing() { failAt_ = 0; }
  void SetLimit(int64_t limit) { limit_ = limit; }
  int64_t Calls() const { return calls_; }
  bool Failed() const { return failures_ > 0; }
  bool Runaway() const { return limit_ > 0 && calls_ > limit_; }

  // Counts a call; true when it is to fail.
  bool Fault() {
    ++calls_;
    bool fail = Runaway() || (failAt_ > 0 && (calls_ == failAt_ ||
                                              (persistence_ == Persistence::kFromThenOn && calls_ > failAt_)));
    if (fail) ++failures_;
    return fail;
  }

 private:
  int64_t calls_ = 0;
  int64_t failAt_ = 0;
  int64_t failures_ = 0;
  int64_t limit_ = 0;
  Persistence persistence_ = Persistence::kOnce;
};

class FaultRegistry : public Registry {
 public:
  FaultRegistry(Registry& inner, FaultSchedule& schedule) : inner_(inner), schedule_(schedule) {}
  bool CreateKey(RegistryRootKey root, const std::string& path, bool* created) override {
    return !schedule_.Fault() && inner_.CreateKey(root, path, created);
  }
  bool KeyExists(RegistryRootKey root, const std::string& path) override {
    return !schedule_.Fault() && inner_.KeyExists(root, path);
  }
  bool DeleteKey(RegistryRootKey root, const std::string& path) override {
    return !schedule_.Fault() && inner_.DeleteKey(root, path);
  }
  bool QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                  RegistryValue* value) override {
    return !schedule_.Fault() && inner_.QueryValue(root, path, name, value);
  }
  bool SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                const std::string& data) override {
    return !schedule_.Fault() && inner_.SetValue(root, path, name, type, data);
  }
  bool DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) override {
    return !schedule_.Fault() && inner_.DeleteValue(root, path, name);
  }

 private:
  Registry& inner_;
  FaultSchedule& schedule_;
};

class FaultProfile : public Profile {
 public:
  FaultProfile(Profile& inner, FaultSchedule& schedule) : inner_(inner), schedule_(schedule) {}
  bool ReadKeyNames(const std::string& file, const std::string& section, std::vector<std::string>* names) override {
    if (!schedule_.Fault()) return inner_.ReadKeyNames(file, section, names);
    names->clear();
    return false;
  }
  bool ReadValue(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& defaultValue, std::string* value) override {
    if (!schedule_.Fault()) return inner_.ReadValue(file, section, key, defaultValue, value);
    *value = defaultValue;
    return false;
  }
  bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) override {
    return !schedule_.Fault() && inner_.WriteValue(file, section, key, value);
  }
  bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override {
    return !schedule_.Fault() && inner_.DeleteKey(file, section, key);
  }
  bool DeleteSection(const std::string& file, const std::string& section) override {
    return !schedule_.Fault() && inner_.DeleteSection(file, section);
  }
  bool Flush(const std::string& file) override { return !schedule_.Fault() && inner_.Flush(file); }
  std::string FullPath(const std::string& file) override { return inner_.FullPath(file); }

 private:
  Profile& inner_;
  FaultSchedule& schedule_;
};

class FaultProgramManager : public ProgramManager {
 public:
  FaultProgramManager(ProgramManager& inner, FaultSchedule& schedule) : inner_(inner), schedule_(schedule) {}
  bool Begin() override { return !schedule_.Fault() && inner_.Begin(); }
  bool Execute(const std::string& command) override { return !schedule_.Fault() && inner_.Execute(command); }
  bool Request(const std::string& item, std::string* text) override {
    return !schedule_.Fault() && inner_.Request(item, text);
  }
  void End() override { inner_.End(); }

 private:
  ProgramManager& inner_;
  FaultSchedule& schedule_;
};

class FaultProcess : public Process {
 public:
  FaultProcess(Process& inner, FaultSchedule& schedule) : inner_(inner), schedule_(schedule) {}
  bool RunAndWait(const std::string& commandLine) override {
    return !schedule_.Fault() && inner_.RunAndWait(commandLine);
  }
  bool Start(const std::string& commandLine, int showState) override {
    return !schedule_.Fault() && inner_.Start(commandLine, showState);
  }
  bool RestartWindows(bool enablePrivilege) override {
    return !schedule_.Fault() && inner_.RestartWindows(enablePrivilege);
  }
  bool RegisterComponent(const std::string& path) override {
    return !schedule_.Fault() && inner_.RegisterComponent(path);
  }
  bool UnregisterComponent(const std::string& path) override {
    return !schedule_.Fault() && inner_.UnregisterComponent(path);
  }

 private:
  Process& inner_;
  FaultSchedule& schedule_;
};

}  // namespace quorril
