// Win32Worker: the worker port over one thread of the process's own
// (CreateThread), made at the first Start() and kept for the jobs that
// follow until the worker goes, with a critical section and condition
// variables for the lock and the wake-ups. On a machine with one
// processor Start() declines: a second thread would only take turns with
// the first.
#pragma once

#include "platform/win32/handles.h"
#include "platform/worker.h"

namespace quorril {

class Win32Worker final : public Worker {
 public:
  Win32Worker();
  ~Win32Worker() override;
  Win32Worker(const Win32Worker&) = delete;
  Win32Worker& operator=(const Win32Worker&) = delete;

  bool Start(Job job, void* context) override;
  void Join() override;
  void Lock() override;
  void Unlock() override;
  void Wait() override;
  void Wake() override;

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void RunJobs();

  // The caller's lock and wake-ups.
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE woken_;
  // The thread's own: a job handed over, and its end.
  CRITICAL_SECTION control_;
  CONDITION_VARIABLE changed_;
  win32::UniqueKernelHandle thread_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool running_ = false;  // a job was handed over and has not returned
  bool quit_ = false;
  bool useful_;           // more than one processor
};

}  // namespace quorril
