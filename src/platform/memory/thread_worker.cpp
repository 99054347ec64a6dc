// The worker thread of the tests: sleeps until a job is handed over, runs
// it, says so, and sleeps again until the worker goes.
#include "platform/memory/thread_worker.h"

namespace quorril {

ThreadWorker::~ThreadWorker() {
  if (!thread_.joinable()) return;
  Join();
  {
    std::lock_guard<std::mutex> hold(control_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ThreadWorker::RunJobs() {
  std::unique_lock<std::mutex> hold(control_);
  for (;;) {
    changed_.wait(hold, [this] { return job_ != nullptr || quit_; });
    if (!job_) return;
    Job job = job_;
    void* context = context_;
    job_ = nullptr;
    hold.unlock();
    job(context);
    hold.lock();
    running_ = false;
    changed_.notify_all();
  }
}

bool ThreadWorker::Start(Job job, void* context) {
  if (declines || !job) return false;
  if (!thread_.joinable()) thread_ = std::thread([this] { RunJobs(); });
  {
    std::lock_guard<std::mutex> hold(control_);
    job_ = job;
    context_ = context;
    running_ = true;
    ++jobs;
  }
  changed_.notify_all();
  return true;
}

void ThreadWorker::Join() {
  std::unique_lock<std::mutex> hold(control_);
  changed_.wait(hold, [this] { return !running_; });
}

void ThreadWorker::Wait() { woken_.wait(lock_); }

}  // namespace quorril
