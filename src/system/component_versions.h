// Version services for component files: reading a file's FileVersion text,
// telling whether a name denotes a component (a DLL, VBX or OCX), and
// ordering two version texts.
//
// Version texts are compared as texts, by the system's case-insensitive
// string ordering (lstrcmpiA), never as numbers: "4.71" orders after
// "4.700" and "10.0" before "9.0". The file installation's NEW policy and
// the registration step rely on exactly this ordering.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/capacities.h"

namespace quorril {

class Machine;

// The longest version text kept; longer texts are cut.
constexpr size_t kFileVersionCapacity = capacity::kFileVersion;

// Reads the FileVersion text of the version resource of `path` through the
// machine port (US English, code page 1252, then Unicode). Returns 1 with
// the text in *out (at most kFileVersionCapacity characters), or 0 when the
// file has no readable, non-empty version text; *out is then left unchanged.
int QueryFileVersion(Machine& machine, const std::string& path, std::string* out);

// 1 when the first three characters after the first "." of `name` are
// "dll", "vbx" or "ocx" in any case, else 0. The first dot counts: a name
// without a dot, or with other text between its first dot and the
// extension ("my.app.dll"), is no component.
int IsComponentFile(std::string_view name);

// 1 when `a` orders after `b`, -1 when before, 0 when they are equal, by the
// system's case-insensitive string ordering.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace quorril
