// The worker thread: it sleeps until a job is handed over, runs it, says
// so, and sleeps again; the worker's destructor ends it.
#include "platform/win32/win32_worker.h"

namespace quorril {

Win32Worker::Win32Worker() {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&woken_);
  InitializeCriticalSection(&control_);
  InitializeConditionVariable(&changed_);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  useful_ = system.dwNumberOfProcessors > 1;
}

Win32Worker::~Win32Worker() {
  if (thread_) {
    Join();
    EnterCriticalSection(&control_);
    quit_ = true;
    LeaveCriticalSection(&control_);
    WakeAllConditionVariable(&changed_);
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  DeleteCriticalSection(&control_);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI Win32Worker::ThreadMain(LPVOID self) {
  static_cast<Win32Worker*>(self)->RunJobs();
  return 0;
}

void Win32Worker::RunJobs() {
  EnterCriticalSection(&control_);
  for (;;) {
    while (!job_ && !quit_) SleepConditionVariableCS(&changed_, &control_, INFINITE);
    if (!job_) break;
    Job job = job_;
    void* context = context_;
    job_ = nullptr;
    LeaveCriticalSection(&control_);
    job(context);
    EnterCriticalSection(&control_);
    running_ = false;
    WakeAllConditionVariable(&changed_);
  }
  LeaveCriticalSection(&control_);
}

bool Win32Worker::Start(Job job, void* context) {
  if (!useful_ || !job) return false;
  if (!thread_) {
    // A small stack: jobs decode into buffers of their caller's.
    DWORD id = 0;
    thread_.Reset(CreateThread(nullptr, 64 * 1024, &ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, &id));
    if (!thread_) {
      useful_ = false;
      return false;
    }
  }
  EnterCriticalSection(&control_);
  job_ = job;
  context_ = context;
  running_ = true;
  LeaveCriticalSection(&control_);
  WakeAllConditionVariable(&changed_);
  return true;
}

void Win32Worker::Join() {
  EnterCriticalSection(&control_);
  while (running_) SleepConditionVariableCS(&changed_, &control_, INFINITE);
  LeaveCriticalSection(&control_);
}

void Win32Worker::Lock() { EnterCriticalSection(&lock_); }
void Win32Worker::Unlock() { LeaveCriticalSection(&lock_); }
void Win32Worker::Wait() { SleepConditionVariableCS(&woken_, &lock_, INFINITE); }
void Win32Worker::Wake() { WakeAllConditionVariable(&woken_); }

}  // namespace quorril
