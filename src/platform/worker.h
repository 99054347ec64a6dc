// The worker port: a second thread for work that touches nothing but
// memory (decoding a container member), so that it runs while the calling
// thread waits on the disk.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - Start() runs job(context) once on another thread and returns true;
//    false when no second thread can be had or would not help (a machine
//    with one processor): then nothing runs and the caller does the work
//    itself. One job at a time: Start() is not called again before Join().
//  - Join() blocks until the job started last has returned; without a
//    running job it returns at once.
//  - Lock() and Unlock() guard the state that a job shares with its caller
//    (not recursive). Wait(), called with the lock held, releases it,
//    sleeps until Wake() is called (or for no reason at all) and takes it
//    again: callers test their condition in a loop around it. Wake() wakes
//    every waiting thread; it may be called with or without the lock held.
//  - A job never calls another port: only the thread that owns the run
//    reaches the machine (files, windows, the registry), so the order of
//    those calls stays that thread's.
#pragma once

namespace quorril {

class Worker {
 public:
  using Job = void (*)(void* context);

  virtual ~Worker() = default;
  virtual bool Start(Job job, void* context) = 0;
  virtual void Join() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  virtual void Wait() = 0;
  virtual void Wake() = 0;
};

// Holds a worker's lock for a scope.
class WorkerLock {
 public:
  explicit WorkerLock(Worker& worker) : worker_(worker) { worker_.Lock(); }
  ~WorkerLock() { worker_.Unlock(); }
  WorkerLock(const WorkerLock&) = delete;
  WorkerLock& operator=(const WorkerLock&) = delete;

 private:
  Worker& worker_;
};

}  // namespace quorril
