// ThreadWorker: the worker port over the standard library's threads, for
// the tests and the tools on the build machine. One thread is made at the
// first Start() and kept until the worker goes. `declines` makes Start()
// refuse, as the Win32 adapter does on a machine with one processor, so
// that the callers' own way is tested too; `jobs` counts the jobs run.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/worker.h"

namespace quorril {

class ThreadWorker final : public Worker {
 public:
  ThreadWorker() = default;
  ~ThreadWorker() override;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;

  bool Start(Job job, void* context) override;
  void Join() override;
  void Lock() override { lock_.lock(); }
  void Unlock() override { lock_.unlock(); }
  void Wait() override;
  void Wake() override { woken_.notify_all(); }

  bool declines = false;
  int jobs = 0;

 private:
  void RunJobs();

  std::mutex lock_;
  std::condition_variable_any woken_;
  std::mutex control_;
  std::condition_variable changed_;
  std::thread thread_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool running_ = false;
  bool quit_ = false;
};

}  // namespace quorril
