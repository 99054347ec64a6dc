// ForwardingHandle: a file handle that passes every call on to the handle
// it wraps. The fault-injecting file systems of the tests derive from it
// and override only the calls they break (a full disk's writes, say).
#pragma once

#include <memory>
#include <utility>

#include "platform/file_system.h"

namespace quorril {

class ForwardingHandle : public FileHandle {
 public:
  explicit ForwardingHandle(std::unique_ptr<FileHandle> inner) : inner_(std::move(inner)) {}
  int32_t Read(void* buffer, uint32_t count) override { return inner_->Read(buffer, count); }
  int32_t Write(const void* buffer, uint32_t count) override { return inner_->Write(buffer, count); }
  int64_t Seek(int64_t offset, int origin) override { return inner_->Seek(offset, origin); }
  int64_t Size() override { return inner_->Size(); }
  bool SetModifiedAndAttributes(DosDateTime when, uint32_t attributes) override {
    return inner_->SetModifiedAndAttributes(when, attributes);
  }

 protected:
  FileHandle& Inner() { return *inner_; }

 private:
  std::unique_ptr<FileHandle> inner_;
};

}  // namespace quorril
