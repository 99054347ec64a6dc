// Version services for component files (see component_versions.h). The
// version resource itself is read by the machine port; this file keeps the
// rules that decide what a version text is worth.
#include "system/component_versions.h"

#include "platform/machine.h"
#include "platform/text.h"

namespace quorril {

int QueryFileVersion(Machine& machine, const std::string& path, std::string* out) {
  std::string version;
  if (!machine.FileVersionText(path, &version) || version.empty()) return 0;
  CutToCapacity(version, kFileVersionCapacity);
  *out = version;
  return 1;
}

int IsComponentFile(std::string_view name) {
  size_t dot = name.find('.');
  if (dot == std::string_view::npos) return 0;
  std::string_view extension = name.substr(dot + 1, 3);
  if (extension.size() < 3) return 0;
  for (const char* component : {"dll", "vbx", "ocx"})
    if (EqualsNoCase(extension, component)) return 1;
  return 0;
}

int CompareVersions(std::string_view a, std::string_view b) {
  int order = CompareTextNoCase(a, b);
  return order > 0 ? 1 : order < 0 ? -1 : 0;
}

}  // namespace quorril
