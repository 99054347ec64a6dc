// Reading and replacing text files line by line (see text_file.h).
#include "system/text_file.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/file_system.h"

namespace quorril {

TextRead ReadWholeFile(FileSystem& files, const std::string& path, std::string* bytes) {
  bytes->clear();
  std::unique_ptr<FileHandle> in = files.Open(path, OpenMode::kRead);
  if (!in) {
    uint32_t error = files.LastError();
    bool missing = error == kErrorFileNotFound || error == kErrorPathNotFound;
    return missing ? TextRead::kMissing : TextRead::kFailed;
  }
  char buffer[16384];
  for (;;) {
    int32_t got = in->Read(buffer, sizeof buffer);
    if (got < 0) return TextRead::kFailed;
    if (got == 0) return TextRead::kRead;
    bytes->append(buffer, size_t(got));
  }
}

TextRead ReadTextFile(FileSystem& files, const std::string& path, TextFile* file) {
  file->lines.clear();
  file->trailer.clear();
  std::vector<TextLine>* lines = &file->lines;
  std::string bytes;
  TextRead read = ReadWholeFile(files, path, &bytes);
  if (read != TextRead::kRead) return read;
  size_t endOfText = bytes.find('\x1a');
  if (endOfText != std::string::npos) {
    file->trailer = bytes.substr(endOfText);
    bytes.resize(endOfText);
  }
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    TextLine line;
    if (end == std::string::npos) {
      line.text = bytes.substr(start);
      line.ended = false;
      start = bytes.size();
    } else {
      size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
      line.text = bytes.substr(start, stop - start);
      start = end + 1;
    }
    lines->push_back(std::move(line));
  }
  return TextRead::kRead;
}

std::string RenderTextFile(const TextFile& file) {
  std::string out;
  for (const TextLine& line : file.lines) {
    out += line.text;
    if (line.ended) out += "\r\n";
  }
  return out + file.trailer;
}

bool ReplaceFileContents(FileSystem& files, const std::string& temporary, const std::string& target,
                         const std::string& contents) {
  files.DeleteFile(temporary);
  std::unique_ptr<FileHandle> out = files.Open(temporary, OpenMode::kCreate);
  if (!out) return false;
  bool written = true;
  size_t done = 0;
  while (written && done < contents.size()) {
    uint32_t chunk = uint32_t(std::min<size_t>(contents.size() - done, 65536));
    int32_t put = out->Write(contents.data() + done, chunk);
    if (put <= 0) written = false;
    else done += size_t(put);
  }
  out.reset();
  if (!written || !files.ReplaceFile(temporary, target)) {
    files.DeleteFile(temporary);
    return false;
  }
  return true;
}

}  // namespace quorril
