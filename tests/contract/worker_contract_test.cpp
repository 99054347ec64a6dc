// Worker port contract: a job runs beside its caller, and Join() waits for
// it; the lock and the wake-ups carry every hand-over between the two
// threads, none lost, many times over; the worker's thread serves job
// after job and ends with the worker. Run against the standard-library
// fake natively and against Win32 under Wine. A worker may decline
// (Start() false, on a machine with one processor); then nothing has run.
#include <gtest/gtest.h>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

// State shared by a caller and its job, guarded by the worker's lock.
struct Shared {
  Worker* worker = nullptr;
  bool go = false;      // the caller lets the job finish
  bool done = false;    // the job has finished
  int turns = 0;        // ping-pong: even, the job's turn; odd, the caller's
  int limit = 0;
  long long sum = 0;    // what the job adds up
};

// Waits for the caller's word, then says it is done.
void WaitForGo(void* context) {
  Shared& s = *static_cast<Shared*>(context);
  WorkerLock lock(*s.worker);
  while (!s.go) s.worker->Wait();
  s.done = true;
  s.worker->Wake();
}

// Takes every even turn up to the limit.
void PlayEvenTurns(void* context) {
  Shared& s = *static_cast<Shared*>(context);
  WorkerLock lock(*s.worker);
  for (;;) {
    while (s.turns % 2 != 0 && s.turns < s.limit) s.worker->Wait();
    if (s.turns >= s.limit) return;
    ++s.turns;
    s.worker->Wake();
  }
}

// Adds its run number, without the lock: Start() and Join() order it.
void AddRun(void* context) {
  Shared& s = *static_cast<Shared*>(context);
  s.sum += s.limit;
}

class WorkerContract : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    worker_ = fx_->NewWorker();
    shared_.worker = worker_.get();
  }
  // Starts `job`; false when the worker declines.
  bool Start(Worker::Job job) { return worker_->Start(job, &shared_); }

  std::unique_ptr<PortFixture> fx_;
  std::unique_ptr<Worker> worker_;
  Shared shared_;
};

TEST_F(WorkerContract, AJobRunsBesideItsCallerAndJoinWaitsForIt) {
  worker_->Join();  // nothing started: returns at once
  if (!Start(&WaitForGo)) GTEST_SKIP() << "the worker declines on this machine";
  // The job is waiting for this thread: had Start() run it here, the test
  // would never get this far.
  {
    WorkerLock lock(*worker_);
    EXPECT_FALSE(shared_.done);
    shared_.go = true;
    worker_->Wake();
  }
  worker_->Join();
  WorkerLock lock(*worker_);
  EXPECT_TRUE(shared_.done);
}

TEST_F(WorkerContract, WakeUpsCarryEveryHandOverBetweenTheThreads) {
  shared_.limit = 20000;
  if (!Start(&PlayEvenTurns)) GTEST_SKIP() << "the worker declines on this machine";
  {
    WorkerLock lock(*worker_);
    for (;;) {
      while (shared_.turns % 2 == 0 && shared_.turns < shared_.limit) worker_->Wait();
      if (shared_.turns >= shared_.limit) break;
      ++shared_.turns;
      worker_->Wake();
    }
  }
  worker_->Join();
  EXPECT_EQ(shared_.turns, shared_.limit);
}

TEST_F(WorkerContract, JobAfterJobSeesWhatTheCallerLeftAndTheWorkerEndsWithItsThread) {
  long long expected = 0;
  for (int run = 1; run <= 500; ++run) {
    shared_.limit = run;
    expected += run;
    if (!Start(&AddRun)) GTEST_SKIP() << "the worker declines on this machine";
    worker_->Join();
    ASSERT_EQ(shared_.sum, expected) << "run " << run;
  }
  // A worker that goes after its jobs, and one that goes with a job just
  // joined, take their threads with them.
  worker_.reset();
  std::unique_ptr<Worker> other = fx_->NewWorker();
  shared_.worker = other.get();
  if (other->Start(&AddRun, &shared_)) other->Join();
  other.reset();
}

}  // namespace
}  // namespace quorril::testing
