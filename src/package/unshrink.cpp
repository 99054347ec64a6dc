// The engine's container extraction (see unshrink.h): the reader's walk,
// the overwrite decision per member, and the decompressor's callbacks
// between the reader and the target writer.
//
// With a worker thread (copy_host.h), a member's stream is decoded there
// while this thread reads the container and writes the target: the two
// threads pass blocks through a small ring of input blocks and one of
// decoded blocks, under the worker's lock. The worker thread runs nothing
// but the decoder and the two callbacks that move bytes between those
// rings; every port call (reading, the next-disk question, writing,
// progress, messages) stays on this thread, members in their order.
// Without a worker, or when it declines, the member is decoded here.
//
// Reading ahead: once a member's data is all read, and when the next
// member header and the data fed ahead lie in the volume being read (so no
// disk is asked for early), this thread reads the next header and feeds that
// member's data too, so that the decoder goes on with it while the member
// before is finished and the next target is made. Whether that member is
// written is still decided at its turn; when it stays, its decoded bytes
// are dropped and the decoder's work area is put back as it was before that
// stream (a later stream sees the same window as without reading ahead).
// Each block in the rings carries the number of the stream (member) it
// belongs to; a failure met ahead is reported when that member's turn comes,
// as it would have been.
#include "package/unshrink.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "package/container_reader.h"
#include "package/explode.h"
#include "package/overwrite.h"
#include "package/target_writer.h"
#include "platform/windows_path.h"
#include "platform/worker.h"

namespace quorril {

namespace {

// The container's data is read in blocks of this size and handed to the
// decompressor in its smaller reads, as the target writer gathers its writes:
// a member inside the engine's archive costs a seek and a read per block.
constexpr uint32_t kGatherSize = 65536;

// Blocks in flight between the threads: container data read ahead of the
// decoder, and decoded bytes waiting to be written. They are large, so that
// the threads hand over (and wake each other) seldom and the writes are
// few; the first chunk of a member is handed over at kFirstChunkSize, so
// that the writing starts soon after the decoding.
constexpr int kInputSlots = 4;
constexpr uint32_t kSlotSize = 262144;
constexpr int kOutputChunks = 4;
constexpr uint32_t kChunkSize = 262144;
constexpr uint32_t kFirstChunkSize = 65536;
// The decoder writes its output in blocks of this size; the progress bar
// moves by them whichever thread gathers them.
constexpr uint32_t kDecoderBlock = 4096;

// What the two threads share while members are decoded beside the writes;
// guarded by the worker's lock. Streams are numbered from 0 in the order the
// members are extracted by one job.
struct Handoff {
  uint32_t inputSize[kInputSlots] = {};
  int inputStream[kInputSlots] = {};
  bool inputFull[kInputSlots] = {};
  int inputComplete = -1;  // every stream up to this one has all its data in the ring
  uint32_t outputSize[kOutputChunks] = {};
  int outputStream[kOutputChunks] = {};
  bool outputFull[kOutputChunks] = {};
  int streams = 1;         // streams handed to the decoder
  bool stop = false;       // this thread gives everything up
  int decoded = -1;        // every stream up to this one is decoded ...
  int results[2] = {};     // ... the result of stream n at [n % 2]
  bool finished = false;   // the job has returned
  // Which thread sleeps: a change wakes the other one only then, which
  // spares a system call for most hand-overs.
  bool writerWaits = false;
  bool decoderWaits = false;
};

class Unshrinker : public VolumeSource {
 public:
  Unshrinker(const CopyContext& copy, const std::string& target, const std::string& source, OverwritePolicy mode,
             uint32_t attributes)
      : copy_(copy), host_(copy.host), reader_(copy.archive, this), target_(target), source_(source),
        mode_(mode), attributes_(attributes), buffers_(copy.unshrinkBuffers ? *copy.unshrinkBuffers : ownBuffers_) {}

  int Run();

  // VolumeSource: the next-disk question until the volume can be opened.
  std::unique_ptr<VirtualFile> OpenVolume(const std::string& path, const std::string& name) override;

 private:
  int RunMembers();
  bool Keep(const MemberHeader& member, const ExistingTarget& existing);
  // Fills `output`, created, with the member; false after a report.
  bool Extract(const MemberHeader& member, TargetWriter& output);
  void ReportReader();

  unsigned ReadData(char* buffer, unsigned capacity);
  void WriteData(const char* buffer, unsigned size);
  static unsigned ReadThunk(char* buffer, unsigned* size, void* user) {
    return static_cast<Unshrinker*>(user)->ReadData(buffer, *size);
  }
  static void WriteThunk(char* buffer, unsigned* size, void* user) {
    static_cast<Unshrinker*>(user)->WriteData(buffer, *size);
  }

  // Decoding beside the writes: this thread's side, and the decoder's.
  void PrepareWorker();
  int DecodeBeside(const MemberHeader& member);
  void ReadAhead();
  void StopDecoding();
  static void DecodeJob(void* user);
  void DecodeStreams();
  unsigned TakeInput(char* buffer, unsigned capacity);
  void PutOutput(const char* buffer, unsigned size);
  void HandOverChunk(bool wait);
  void DecoderWait() {
    handoff_.decoderWaits = true;
    worker_->Wait();
    handoff_.decoderWaits = false;
  }
  static unsigned TakeInputThunk(char* buffer, unsigned* size, void* user) {
    return static_cast<Unshrinker*>(user)->TakeInput(buffer, *size);
  }
  static void PutOutputThunk(char* buffer, unsigned* size, void* user) {
    static_cast<Unshrinker*>(user)->PutOutput(buffer, *size);
  }

  const CopyContext copy_;
  CopyHost& host_;
  ContainerReader reader_;
  const std::string target_;
  const std::string source_;
  const OverwritePolicy mode_;
  const uint32_t attributes_;
  // The run's buffers, or this extraction's own. The work area, kGatherSize
  // bytes of the member's data (`gathered`) and, decoding beside the
  // writes, kInputSlots blocks of kSlotSize bytes (`inputRing`) and
  // kOutputChunks of kChunkSize (`outputRing`), and the work area as it was
  // before a stream read ahead (`savedWorkArea`).
  UnshrinkBuffers ownBuffers_;
  UnshrinkBuffers& buffers_;
  uint8_t* workArea_ = nullptr;
  char* gathered_ = nullptr;
  uint32_t gatheredUsed_ = 0;         // handed to the decompressor
  uint32_t gatheredHeld_ = 0;         // read from the container
  TargetWriter* output_ = nullptr;  // the member being written
  bool abort_ = false;              // a failure inside the decompressor's callbacks

  // Decoding beside the writes.
  Worker* worker_ = nullptr;  // null: decode on this thread
  char* inputRing_ = nullptr;
  char* outputRing_ = nullptr;
  uint8_t* savedWorkArea_ = nullptr;
  Handoff handoff_;
  // This thread's own: whether a job runs, the stream of the member being
  // extracted, the next slot to fill and chunk to write, and what was read
  // ahead (the next header, its status, a read failure to report later).
  bool running_ = false;
  int stream_ = 0;
  int fillSlot_ = 0;
  int writeChunk_ = 0;
  bool readAhead_ = false;
  ContainerStatus aheadStatus_ = ContainerStatus::kOk;
  MemberHeader aheadMember_;
  bool aheadFailed_ = false;
  // What the reader said of the member just decoded, kept before it moved on.
  uint32_t memberDelivered_ = 0;
  bool memberRanOut_ = false;
  // The decoder's own: its stream, the input slot it reads and how far, the
  // chunk it fills and how far, and whether it throws its output away.
  int decoding_ = 0;
  int takeSlot_ = 0;
  bool holding_ = false;
  uint32_t taken_ = 0;
  uint32_t held_ = 0;
  int fillChunk_ = 0;
  uint32_t filled_ = 0;
  bool firstChunk_ = true;
  bool discard_ = false;
};

std::unique_ptr<VirtualFile> Unshrinker::OpenVolume(const std::string& path, const std::string& name) {
  copy_.continuationName = name;
  if (host_.PumpMessages()) return nullptr;
  std::unique_ptr<VirtualFile> volume;
  for (bool first = true; !volume; first = false) {
    if (host_.AskNextDisk(first, false) != 0) return nullptr;
    volume = copy_.archive.Open(path);
  }
  host_.Progress(0);
  return volume;
}

// The reader's failure as the engine reports it.
void Unshrinker::ReportReader() {
  switch (reader_.Status()) {
    case ContainerStatus::kHeaderCut:
      host_.ReportFailure(CopyFailure::kReadFile, reader_.VolumePath());
      break;
    case ContainerStatus::kBadMemberPath:
    case ContainerStatus::kBadVolumeName:
    case ContainerStatus::kVolumeRepeated:
    case ContainerStatus::kTooManyVolumes:
    case ContainerStatus::kNotContinuation:
      host_.ReportFailure(CopyFailure::kBadArchive, reader_.VolumePath());
      break;
    case ContainerStatus::kReadError:
      host_.ReportFailure(CopyFailure::kReadDisk, std::string());
      break;
    default:  // the user stopped at the disk question
      break;
  }
}

int Unshrinker::Run() {
  int result = RunMembers();
  StopDecoding();
  return result;
}

int Unshrinker::RunMembers() {
  // A source that cannot be opened, or is no container, is left to the
  // plain copy, which reports it; one that cannot be read is not copied.
  ContainerStatus opened = reader_.Open(source_);
  if (opened == ContainerStatus::kReadError) {
    ReportReader();
    return kUnshrinkStopped;
  }
  if (opened != ContainerStatus::kOk) return kUnshrinkNotContainer;
  const std::string destinationDirectory = DirectoryPart(target_);

  UnshrinkBuffers& b = buffers_;
  if (!b.workArea) b.workArea.reset(new (std::nothrow) uint8_t[kExplodeWorkAreaSize]);
  if (!b.gathered) b.gathered.reset(new (std::nothrow) char[kGatherSize]);
  if (!b.workArea || !b.gathered) {
    host_.ReportFailure(CopyFailure::kNoMemory, std::string());
    return kUnshrinkStopped;
  }
  workArea_ = b.workArea.get();
  gathered_ = b.gathered.get();
  // Every container starts the decoder with a clear window, whatever the
  // container before left in it.
  std::memset(workArea_, 0, kExplodeWorkAreaSize);
  PrepareWorker();

  for (;;) {
    if (host_.PumpMessages()) return kUnshrinkStopped;
    MemberHeader member;
    ContainerStatus status;
    if (readAhead_) {
      readAhead_ = false;
      status = aheadStatus_;
      member = aheadMember_;
    } else {
      status = reader_.NextMember(&member);
    }
    if (status == ContainerStatus::kEnd) return kUnshrinkDone;
    if (status != ContainerStatus::kOk) {
      ReportReader();
      return kUnshrinkStopped;
    }
    std::string target = destinationDirectory + member.path;
    // A directory that cannot be made is reported; creating the file then
    // fails and stops the extraction.
    if (member.path.find('\\') != std::string::npos) MakeTargetDirectory(copy_, CutAtLastBackslash(target));

    TargetWriter output(copy_, target);
    if (!output.CreateIfNew()) {
      ExistingTarget existing = ProbeTarget(copy_.files, target, mode_);
      OverwriteFacts facts;
      facts.policy = mode_;
      facts.kind = CopyKind::kContainerMember;
      facts.targetExists = existing.exists;
      facts.source = DosDateTime{member.dosDate, member.dosTime};
      facts.targetDateKnown = existing.dateKnown;
      facts.target = existing.date;
      if (!CarryOutOverwrite(copy_.files, host_, DecideOverwrite(facts), target)) {
        StopDecoding();  // what was decoded ahead of a member that stays is dropped
        if (!Keep(member, existing)) return kUnshrinkStopped;
        continue;
      }
      if (!output.Create()) {
        StopDecoding();
        return kUnshrinkStopped;
      }
    }
    if (!Extract(member, output)) return kUnshrinkStopped;
  }
}

// A target that stays: its length counts as installed, and the member's
// data is passed over.
bool Unshrinker::Keep(const MemberHeader& member, const ExistingTarget& existing) {
  ProgressCounters& counters = host_.Counters();
  if (counters.CountsBytes() && existing.exists) {
    counters.Add(existing.size);
    host_.Progress(0);
  }
  host_.ShowFileName(member.path);
  host_.Progress(0);
  if (reader_.Skip() != ContainerStatus::kOk) {
    ReportReader();
    return false;
  }
  if (counters.CountsBytes()) host_.Progress(0);
  return true;
}

bool Unshrinker::Extract(const MemberHeader& member, TargetWriter& output) {
  host_.Progress(0);
  if (member.compressedSize != 0) {
    output_ = &output;
    abort_ = false;
    int result = worker_ ? DecodeBeside(member) : -1;
    if (result < 0) {
      gatheredUsed_ = gatheredHeld_ = 0;
      result = ExplodeStream(&ReadThunk, &WriteThunk, workArea_, this);
      memberDelivered_ = reader_.Delivered();
      memberRanOut_ = reader_.RanOut();
    }
    output_ = nullptr;
    // What the decompressor gave is on the disk (or its failure reported)
    // before anything else is read.
    if (result == kExplodeOk && !abort_ && !output.Flush()) abort_ = true;
    bool ok = result == kExplodeOk && !abort_;
    if (!ok && !abort_) {
      // Data missing at the end of the container, or data that is no stream.
      host_.ReportFailure(memberRanOut_ ? CopyFailure::kReadFile : CopyFailure::kBadArchive,
                          reader_.VolumePath());
    }
    // A stream that ends before its stated size leaves data to pass over
    // (nothing was read ahead then).
    if (ok && memberDelivered_ < member.compressedSize && reader_.Skip() != ContainerStatus::kOk) {
      ReportReader();
      ok = false;
    }
    if (!ok) {
      output.Abandon();
      return false;
    }
  }
  if (host_.Counters().CountsBytes()) host_.Progress(0);
  return output.Finish(DosDateTime{member.dosDate, member.dosTime}, attributes_);
}

unsigned Unshrinker::ReadData(char* buffer, unsigned capacity) {
  if (abort_) return 0;
  if (gatheredUsed_ == gatheredHeld_) {
    // The reader stops at the member's stated size, so a block never takes
    // data of the next member.
    int32_t got = reader_.Read(gathered_, kGatherSize);
    if (got < 0) {
      ReportReader();
      abort_ = true;
      return 0;
    }
    gatheredUsed_ = 0;
    gatheredHeld_ = uint32_t(got);
  }
  uint32_t n = std::min<uint32_t>(capacity, gatheredHeld_ - gatheredUsed_);
  std::memcpy(buffer, gathered_ + gatheredUsed_, n);
  gatheredUsed_ += n;
  return n;
}

void Unshrinker::WriteData(const char* buffer, unsigned size) {
  if (abort_) return;
  if (!output_->Write(buffer, size)) abort_ = true;
}

// ---- decoding beside the writes ----------------------------------------------------------

// The rings are taken at the first container of the run and kept; without
// them the members are decoded on this thread, as without a worker.
void Unshrinker::PrepareWorker() {
  if (!copy_.worker) return;
  UnshrinkBuffers& b = buffers_;
  if (!b.inputRing) b.inputRing.reset(new (std::nothrow) char[size_t(kInputSlots) * kSlotSize]);
  if (!b.outputRing) b.outputRing.reset(new (std::nothrow) char[size_t(kOutputChunks) * kChunkSize]);
  if (!b.savedWorkArea) b.savedWorkArea.reset(new (std::nothrow) uint8_t[kExplodeWorkAreaSize]);
  if (!b.inputRing || !b.outputRing || !b.savedWorkArea) {
    b.inputRing.reset();
    b.outputRing.reset();
    b.savedWorkArea.reset();
    return;
  }
  inputRing_ = b.inputRing.get();
  outputRing_ = b.outputRing.get();
  savedWorkArea_ = b.savedWorkArea.get();
  worker_ = copy_.worker;
}

// This thread's side for one member (stream stream_): keeps the decoder's
// input slots filled from the container and writes the member's chunks in
// their order, until the decoder is done with the member and each of its
// chunks is written; meanwhile it may read the next member ahead. Returns
// the decoder's result, or -1 when the worker declines (nothing was read).
int Unshrinker::DecodeBeside(const MemberHeader& member) {
  Worker& worker = *worker_;
  Handoff& h = handoff_;
  if (!running_) {
    handoff_ = Handoff();
    stream_ = decoding_ = 0;
    fillSlot_ = writeChunk_ = 0;
    takeSlot_ = 0;
    holding_ = false;
    taken_ = held_ = 0;
    fillChunk_ = 0;
    filled_ = 0;
    firstChunk_ = true;
    discard_ = false;
    if (!worker.Start(&DecodeJob, this)) {
      worker_ = nullptr;  // nor for the members that follow
      return -1;
    }
    running_ = true;
  } else {
    ++stream_;  // read ahead: the decoder may be at it already
  }
  const int s = stream_;
  memberRanOut_ = false;
  bool triedAhead = false, aheadPaused = false;
  worker.Lock();
  if (aheadFailed_) {
    // A read of this member's data failed while it was read ahead.
    aheadFailed_ = false;
    worker.Unlock();
    ReportReader();
    abort_ = true;
    worker.Lock();
    h.stop = true;
    if (h.decoderWaits) worker.Wake();
  }
  for (;;) {
    if (h.inputComplete < s && h.decoded >= s) {
      // The stream ended before its stated size: the rest is passed over.
      h.inputComplete = s;
    }
    if (h.inputComplete < s && !h.stop && !h.inputFull[fillSlot_]) {
      worker.Unlock();
      int32_t got = reader_.Read(inputRing_ + size_t(fillSlot_) * kSlotSize, kSlotSize);
      if (got < 0) {
        ReportReader();
        abort_ = true;
      }
      worker.Lock();
      if (got > 0) {
        h.inputSize[fillSlot_] = uint32_t(got);
        h.inputStream[fillSlot_] = s;
        h.inputFull[fillSlot_] = true;
        fillSlot_ = (fillSlot_ + 1) % kInputSlots;
      } else {
        h.inputComplete = s;
        memberRanOut_ = reader_.RanOut();
        h.stop = h.stop || got < 0;
      }
      if (h.decoderWaits) worker.Wake();
      continue;
    }
    // Once this member's data is all read, the next member may be read ahead
    // and fed, before the chunks waiting here are written: the decoder is
    // mostly ahead of the writes, and fed only after them it would stop at
    // every member, and the writes wait for its first chunk of the next.
    if (h.inputComplete >= s && !h.stop && h.streams == s + 1 && !triedAhead) {
      triedAhead = true;
      memberDelivered_ = reader_.Delivered();
      worker.Unlock();
      ReadAhead();
      worker.Lock();
      continue;
    }
    if (h.streams == s + 2 && h.inputComplete < s + 1 && !aheadPaused && !aheadFailed_ && !h.stop &&
        !h.inputFull[fillSlot_]) {
      // Feeds the next member as far as the volume being read holds it; the
      // rest is read at its turn.
      worker.Unlock();
      int64_t left = reader_.LeftInThisVolume();
      int32_t got = 0;
      if (left > 0)
        got = reader_.Read(inputRing_ + size_t(fillSlot_) * kSlotSize,
                           uint32_t(std::min<int64_t>(left, kSlotSize)));
      worker.Lock();
      if (got < 0) {
        aheadFailed_ = true;  // the reader keeps the failure for its report
      } else if (got == 0) {
        aheadPaused = true;  // (also when the position cannot be told)
      } else {
        h.inputSize[fillSlot_] = uint32_t(got);
        h.inputStream[fillSlot_] = s + 1;
        h.inputFull[fillSlot_] = true;
        fillSlot_ = (fillSlot_ + 1) % kInputSlots;
        if (h.decoderWaits) worker.Wake();
      }
      continue;
    }
    if (h.outputFull[writeChunk_] && h.outputStream[writeChunk_] == s) {
      const uint32_t size = h.outputSize[writeChunk_];
      worker.Unlock();
      // After a failure the decoder's last chunks are dropped.
      bool written =
          !abort_ && output_->Write(outputRing_ + size_t(writeChunk_) * kChunkSize, size, kDecoderBlock);
      if (!written) abort_ = true;
      worker.Lock();
      h.outputFull[writeChunk_] = false;
      writeChunk_ = (writeChunk_ + 1) % kOutputChunks;
      h.stop = h.stop || abort_;
      if (h.decoderWaits) worker.Wake();
      continue;
    }
    // Chunks are handed over in order: once the stream is decoded, the
    // next chunk is empty or another stream's.
    if (h.decoded >= s || h.finished) break;
    h.writerWaits = true;
    worker.Wait();
    h.writerWaits = false;
  }
  // (Read ahead, the reader has moved on: what it said of this member was
  // kept before.)
  if (!triedAhead) memberDelivered_ = reader_.Delivered();
  if (h.inputComplete < s) {
    // Given up before its data was all read.
    h.inputComplete = s;
  }
  const int result = h.decoded >= s ? h.results[s % 2] : kExplodeTruncated;
  const bool more = h.streams > s + 1 && !h.stop;
  worker.Unlock();
  if (!more) StopDecoding();
  return result;
}

// Reads the next member header ahead, when that asks for no disk, and
// hands its stream to the decoder.
void Unshrinker::ReadAhead() {
  if (!reader_.NextHeaderInThisVolume()) return;
  readAhead_ = true;
  aheadStatus_ = reader_.NextMember(&aheadMember_);
  if (aheadStatus_ != ContainerStatus::kOk || aheadMember_.compressedSize == 0) return;
  WorkerLock lock(*worker_);
  handoff_.streams = stream_ + 2;
  if (handoff_.decoderWaits) worker_->Wake();
}

// Ends the job, if one runs: the decoder gives up what it holds, and the
// worker is joined.
void Unshrinker::StopDecoding() {
  if (!running_) return;
  {
    WorkerLock lock(*worker_);
    handoff_.stop = true;
    worker_->Wake();
  }
  worker_->Join();
  running_ = false;
  aheadFailed_ = false;
  // A stream read ahead and then given up leaves the work area as it was
  // before it.
  if (decoding_ > stream_) std::memcpy(workArea_, savedWorkArea_, kExplodeWorkAreaSize);
}

void Unshrinker::DecodeJob(void* user) { static_cast<Unshrinker*>(user)->DecodeStreams(); }

// The decoder's side: one stream after another, as long as this thread
// hands over more.
void Unshrinker::DecodeStreams() {
  Handoff& h = handoff_;
  for (;;) {
    int result = ExplodeStream(&TakeInputThunk, &PutOutputThunk, workArea_, this);
    WorkerLock lock(*worker_);
    // What is left of the stream's input is dropped.
    if (holding_) {
      h.inputFull[takeSlot_] = false;
      takeSlot_ = (takeSlot_ + 1) % kInputSlots;
      holding_ = false;
    }
    if (!discard_ && !h.stop && filled_ > 0) HandOverChunk(false);
    h.results[decoding_ % 2] = result;
    h.decoded = decoding_;
    if (h.writerWaits) worker_->Wake();
    while (h.streams <= decoding_ + 1 && !h.stop) DecoderWait();
    if (h.streams <= decoding_ + 1 || h.stop) break;
    std::memcpy(savedWorkArea_, workArea_, kExplodeWorkAreaSize);
    ++decoding_;
    firstChunk_ = true;
    while (h.outputFull[fillChunk_] && !h.stop) DecoderWait();
    if (h.stop) break;
  }
  // Under the lock, as every change this thread waits on: set between the
  // other thread's test and its sleep, the wake-up would be lost.
  WorkerLock lock(*worker_);
  h.finished = true;
  worker_->Wake();
}

// The decoder's read: from the slot it holds, or the next slot of its
// stream once this thread has filled it; 0 when the stream's data has ended
// or was given up.
unsigned Unshrinker::TakeInput(char* buffer, unsigned capacity) {
  if (!holding_ || taken_ == held_) {
    Handoff& h = handoff_;
    WorkerLock lock(*worker_);
    for (;;) {
      if (holding_) {
        h.inputFull[takeSlot_] = false;
        takeSlot_ = (takeSlot_ + 1) % kInputSlots;
        holding_ = false;
        if (h.writerWaits) worker_->Wake();
      }
      while (!h.inputFull[takeSlot_] && h.inputComplete < decoding_ && !h.stop) DecoderWait();
      if (h.stop || !h.inputFull[takeSlot_] || h.inputStream[takeSlot_] > decoding_) return 0;
      holding_ = true;
      taken_ = 0;
      held_ = h.inputSize[takeSlot_];
      // Data of a stream that ended before it is passed over.
      if (h.inputStream[takeSlot_] == decoding_) break;
    }
  }
  uint32_t n = std::min<uint32_t>(capacity, held_ - taken_);
  std::memcpy(buffer, inputRing_ + size_t(takeSlot_) * kSlotSize + taken_, n);
  taken_ += n;
  return n;
}

// The decoder's write: into the chunk it fills, handed over when full.
void Unshrinker::PutOutput(const char* buffer, unsigned size) {
  while (size > 0 && !discard_) {
    const uint32_t limit = firstChunk_ ? kFirstChunkSize : kChunkSize;
    uint32_t n = std::min<uint32_t>(size, limit - filled_);
    std::memcpy(outputRing_ + size_t(fillChunk_) * kChunkSize + filled_, buffer, n);
    filled_ += n;
    buffer += n;
    size -= n;
    if (filled_ == limit) {
      WorkerLock lock(*worker_);
      HandOverChunk(true);
    }
  }
}

// With the lock held: hands the chunk being filled to this thread and,
// with `wait`, waits until the next one is free. Once this thread gives
// up, the decoder keeps its output to itself: a chunk handed over may still
// be in this thread's hands.
void Unshrinker::HandOverChunk(bool wait) {
  Handoff& h = handoff_;
  if (h.stop) {
    discard_ = true;
    return;
  }
  h.outputSize[fillChunk_] = filled_;
  h.outputStream[fillChunk_] = decoding_;
  h.outputFull[fillChunk_] = true;
  firstChunk_ = false;
  if (h.writerWaits) worker_->Wake();
  fillChunk_ = (fillChunk_ + 1) % kOutputChunks;
  filled_ = 0;
  if (!wait) return;
  while (h.outputFull[fillChunk_] && !h.stop) DecoderWait();
  if (h.outputFull[fillChunk_]) discard_ = true;
}

}  // namespace

int UnshrinkContainer(const CopyContext& copy, const std::string& target, const std::string& source,
                      OverwritePolicy mode, uint32_t attributes) {
  Unshrinker unshrinker(copy, target, source, mode, attributes);
  return unshrinker.Run();
}

}  // namespace quorril
