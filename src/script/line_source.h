// LineSource: where the parser and the readers of blocks (text blocks,
// registry blocks, deferred IF blocks) take their lines from.
//
// The first pass reads the script file through VirtualFileSystem; the
// second pass reads the stored lines of a deferred block. Every line comes
// without its line end and with its own script line number, so that every
// line of the file is counted once whichever reader takes it.
#pragma once

#include <cstdint>
#include <string>

namespace quorril {

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next raw line (at most 998 characters, line end removed) and its
  // script line number; false at the end of the source.
  virtual bool ReadLine(std::string* line, int32_t* lineNumber) = 0;
  // True while lines come from a stored deferred block (the second pass).
  virtual bool FromDeferredBlock() const { return false; }
  // Text mode: while a text block is read the source hands out the raw
  // lines without the second pass's keyword filter.
  virtual void SetTextMode(bool on) {}
};

}  // namespace quorril
