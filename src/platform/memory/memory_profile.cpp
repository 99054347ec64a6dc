// The in-memory profile: each call loads the file into a Document (its
// sections and key lines, in file order), looks up or changes it, and
// stores it back when it changed.
#include "platform/memory/memory_profile.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {
namespace {

struct KeyLine {
  std::string name;
  std::optional<std::string> value;  // none for a line without "="
};

struct Section {
  std::string name;  // "" for the lines before the first header
  std::vector<KeyLine> keys;
};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimFront(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// A value as it reads back: without one pair of enclosing quotes.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Comments read like keys but are never listed.
bool IsComment(const KeyLine& key) { return !key.name.empty() && key.name[0] == ';'; }

}  // namespace

struct MemoryProfile::Document {
  // Always begins with the section named "", which holds the key lines
  // before the first header and is written without one.
  std::vector<Section> sections{Section{}};

  static Document Parse(std::string_view text) {
    Document document;
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = Trim(text.substr(0, end));
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (line.empty()) continue;
      size_t close = line.rfind(']');
      if (line.front() == '[' && close != std::string_view::npos) {
        document.sections.push_back(Section{std::string(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
      // A "[" without its "]" starts no section: the line is a key line.
      KeyLine key;
      size_t equals = line.find('=');
      key.name = std::string(Trim(line.substr(0, equals)));
      if (equals != std::string_view::npos) key.value = std::string(Trim(line.substr(equals + 1)));
      document.sections.back().keys.push_back(std::move(key));
    }
    return document;
  }

  std::string Text() const {
    std::string text;
    for (const Section& section : sections) {
      if (!section.name.empty()) text += "[" + section.name + "]\r\n";
      for (const KeyLine& key : section.keys) {
        text += key.name;
        if (key.value) text += "=" + *key.value;
        text += "\r\n";
      }
    }
    return text;
  }

  // The first section or key of a name, or sections.end() / keys.end().
  std::vector<Section>::iterator FindSection(std::string_view name) {
    name = Trim(name);
    for (auto it = sections.begin(); it != sections.end(); ++it)
      if (EqualsNoCase(it->name, name)) return it;
    return sections.end();
  }
  static std::vector<KeyLine>::iterator FindKey(Section& section, std::string_view name) {
    name = Trim(name);
    for (auto it = section.keys.begin(); it != section.keys.end(); ++it)
      if (EqualsNoCase(it->name, name)) return it;
    return section.keys.end();
  }
};

bool MemoryProfile::Load(const std::string& path, Document* document) {
  *document = Document{};
  std::unique_ptr<FileHandle> in = files_.Open(path, OpenMode::kRead);
  if (!in) {
    uint32_t error = files_.LastError();
    return error == kErrorFileNotFound || error == kErrorPathNotFound;
  }
  std::string text;
  char block[4096];
  for (;;) {
    int32_t n = in->Read(block, sizeof block);
    if (n < 0) return false;
    if (n == 0) break;
    text.append(block, size_t(n));
  }
  *document = Document::Parse(text);
  return true;
}

bool MemoryProfile::Store(const std::string& path, const Document& document) {
  std::unique_ptr<FileHandle> out = files_.Open(path, OpenMode::kCreate);
  if (!out) return false;
  std::string text = document.Text();
  for (size_t done = 0; done < text.size();) {
    uint32_t chunk = uint32_t(std::min<size_t>(text.size() - done, 0x10000));
    int32_t n = out->Write(text.data() + done, chunk);
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

bool MemoryProfile::ReadKeyNames(const std::string& file, const std::string& section,
                                 std::vector<std::string>* names) {
  names->clear();
  Document document;
  if (!Load(FullPath(file), &document)) return false;
  auto found = document.FindSection(section);
  if (found == document.sections.end()) return true;
  for (const KeyLine& key : found->keys)
    if (key.value && !IsComment(key)) names->push_back(key.name);
  return true;
}

bool MemoryProfile::ReadValue(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::string* value) {
  *value = defaultValue;
  Document document;
  if (!Load(FullPath(file), &document)) return false;
  auto foundSection = document.FindSection(section);
  if (foundSection == document.sections.end()) return true;
  auto foundKey = Document::FindKey(*foundSection, key);
  if (foundKey != foundSection->keys.end() && foundKey->value) *value = Unquoted(*foundKey->value);
  return true;
}

bool MemoryProfile::WriteValue(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& value) {
  std::string path = FullPath(file);
  Document document;
  if (!Load(path, &document)) return false;
  std::string stored(TrimFront(value));
  auto foundSection = document.FindSection(section);
  if (foundSection == document.sections.end()) {
    document.sections.push_back(Section{std::string(Trim(section)), {}});
    foundSection = std::prev(document.sections.end());
  }
  auto foundKey = Document::FindKey(*foundSection, key);
  if (foundKey == foundSection->keys.end()) {
    foundSection->keys.push_back(KeyLine{std::string(Trim(key)), stored});
  } else if (foundKey->value == stored) {
    return true;
  } else {
    foundKey->value = stored;
  }
  return Store(path, document);
}

bool MemoryProfile::DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  std::string path = FullPath(file);
  Document document;
  if (!Load(path, &document)) return false;
  auto foundSection = document.FindSection(section);
  if (foundSection == document.sections.end()) return true;
  auto foundKey = Document::FindKey(*foundSection, key);
  if (foundKey == foundSection->keys.end()) return true;
  foundSection->keys.erase(foundKey);
  return Store(path, document);
}

bool MemoryProfile::DeleteSection(const std::string& file, const std::string& section) {
  std::string path = FullPath(file);
  Document document;
  if (!Load(path, &document)) return false;
  auto found = document.FindSection(section);
  if (found == document.sections.end()) return true;
  document.sections.erase(found);
  // The lines before the first header stay the document's first section.
  if (document.sections.empty() || !document.sections.front().name.empty())
    document.sections.insert(document.sections.begin(), Section{});
  return Store(path, document);
}

bool MemoryProfile::Flush(const std::string& file) {
  // Every change is stored at once: the file is on disk when it exists.
  uint32_t attributes = files_.GetAttributes(FullPath(file));
  return attributes != kInvalidAttributes && !(attributes & kAttrDirectory);
}

std::string MemoryProfile::FullPath(const std::string& file) {
  if (file.find_first_of("\\/") == std::string::npos) return JoinPath(machine_.WindowsDirectory(), file);
  return ResolvePath(files_.GetCurrentDirectory(), file);
}

}  // namespace quorril
