// Text files as the C runtime's text mode sees them, for the changes that
// edit configuration files line by line (ADDTEXT, AUTOEXEC.BAT,
// CONFIG.SYS).
//
// A file is read whole into lines of any length: a line feed ends a line,
// and a carriage return just before it belongs to the line end; any other
// byte (a lone CR, a NUL) is part of the text. A Ctrl-Z ends the text, as
// it does for DOS and the C runtime's text mode: it and whatever follows
// it are kept apart (the trailer) and written back after the lines, so
// that lines added at the end stand before it. The last line may lack its
// line end, and the file remembers that. Written back, every line end is
// CR LF.
//
// A changed file is written completely to a temporary file beside it and
// then put in place of the original in one step, so that the original is
// either untouched or replaced by the whole new text, never cut short.
#pragma once

#include <string>
#include <vector>

namespace quorril {

class FileSystem;

struct TextLine {
  std::string text;   // without its line end
  bool ended = true;  // false only for a last line without a line end
};

struct TextFile {
  std::vector<TextLine> lines;
  std::string trailer;  // from a Ctrl-Z on, as it stood
};

enum class TextRead { kRead, kMissing, kFailed };

// Reads the whole file into *bytes. kMissing when there is no such file,
// kFailed when it exists but cannot be read whole.
TextRead ReadWholeFile(FileSystem& files, const std::string& path, std::string* bytes);

// Reads `path` into *lines. kMissing when there is no such file (nothing
// read), kFailed when it exists but cannot be read whole.
TextRead ReadTextFile(FileSystem& files, const std::string& path, TextFile* file);

// The bytes of the file: each line's text, then CR LF where the line has
// its end, then the trailer.
std::string RenderTextFile(const TextFile& file);

// Writes `contents` completely to `temporary` and then moves it in place
// of `target` (replacing a file there). On any failure the temporary file
// is removed, `target` is as it was, and the result is false.
bool ReplaceFileContents(FileSystem& files, const std::string& temporary, const std::string& target,
                         const std::string& contents);

}  // namespace quorril
