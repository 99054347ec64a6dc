// Variables: replacement of $NAME$ names by their values.
//
// Each operation has its own list of names; the order of a list is the order
// of testing (ExpandLeadingVariable) or of replacement (ExpandVariables,
// ExpandSearchResult) and decides what a value that itself holds a name
// turns into: a name later in the list is still replaced, an earlier one is
// not. Within one name the search goes on after the inserted value, so a
// value that holds its own name does not loop. At every "$" (the registry
// blocks' way) the scan starts over after each replacement instead, and a
// bound on the number of replacements ends such a loop.
#include "model/variables.h"

#include "platform/text.h"

namespace quorril {

namespace {

struct VariableName {
  const char* name;
  std::string ScriptVariables::*value;
};

// ExpandLeadingVariable, in testing order. A null value marks one of the
// five answers, found in ScriptVariables::ask by the digit of its name.
const VariableName kLeadingNames[] = {
    {"$LOCATEDIR$", &ScriptVariables::locateDir},     {"$LOCATEDRIVE$", &ScriptVariables::locateDrive},
    {"$DEFAULTDIR$", &ScriptVariables::defaultDir},   {"$SOURCEDIR$", &ScriptVariables::sourceDir},
    {"$WINDIR$", &ScriptVariables::winDir},           {"$WINHELPDIR$", &ScriptVariables::winHelpDir},
    {"$WINSYSDIR$", &ScriptVariables::winSysDir},     {"$DIR2$", &ScriptVariables::dir2},
    {"$DIR3$", &ScriptVariables::dir3},               {"$SYSTEM$", &ScriptVariables::system},
    {"$SYS2$", &ScriptVariables::sys2},               {"$SYS3$", &ScriptVariables::sys3},
    {"$DEFAULTDRIVE$", &ScriptVariables::defaultDrive}, {"$SOURCEDRIVE$", &ScriptVariables::sourceDrive},
    {"$ASK1$", nullptr},                              {"$ASK2$", nullptr},
    {"$ASK3$", nullptr},                              {"$ASK4$", nullptr},
    {"$ASK5$", nullptr},                              {"$RIGHT$", &ScriptVariables::right},
    {"$LEFT$", &ScriptVariables::left},
};

// ExpandVariables, in replacement order.
const VariableName kExpandNames[] = {
    {"$LOCATEDIR$", &ScriptVariables::locateDir},   {"$LOCATEDRIVE$", &ScriptVariables::locateDrive},
    {"$SYSTEM$", &ScriptVariables::system},         {"$SYS2$", &ScriptVariables::sys2},
    {"$SYS3$", &ScriptVariables::sys3},             {"$DEFAULTDIR$", &ScriptVariables::defaultDir},
    {"$DEFAULTDIR8$", &ScriptVariables::defaultDir8}, {"$DIR2$", &ScriptVariables::dir2},
    {"$DIR3$", &ScriptVariables::dir3},             {"$SOURCEDIR$", &ScriptVariables::sourceDir},
    {"$SOURCEDIR8$", &ScriptVariables::sourceDir8}, {"$WINDIR$", &ScriptVariables::winDir},
    {"$WINHELPDIR$", &ScriptVariables::winHelpDir}, {"$WINSYSDIR$", &ScriptVariables::winSysDir},
    {"$DEFAULTDRIVE$", &ScriptVariables::defaultDrive}, {"$SOURCEDRIVE$", &ScriptVariables::sourceDrive},
    {"$ASK1$", nullptr},                            {"$ASK2$", nullptr},
    {"$ASK3$", nullptr},                            {"$ASK4$", nullptr},
    {"$ASK5$", nullptr},
};

const VariableName kSearchResultNames[] = {
    {"$LEFT$", &ScriptVariables::left},
    {"$RIGHT$", &ScriptVariables::right},
};

const std::string& ValueOf(const ScriptVariables& variables, const VariableName& v) {
  if (v.value) return variables.*(v.value);
  // "$ASKn$": the digit is the fifth character.
  return variables.ask[size_t(v.name[4] - '1')];
}

void CutToTextCapacity(std::string* text) {
  if (text->size() > kTextValueCapacity) text->resize(kTextValueCapacity);
}

// Replaces every occurrence of each name, in list order. After a
// replacement the search for the same name goes on behind the inserted
// value; the next name is searched from the start again.
template <size_t N>
void ReplaceAll(const ScriptVariables& variables, const VariableName (&names)[N], std::string* text) {
  for (const VariableName& v : names) {
    std::string_view name(v.name);
    const std::string& value = ValueOf(variables, v);
    size_t from = 0;
    while (!text->empty()) {
      size_t at = FindNoCase(*text, name, from);
      if (at == std::string::npos) break;
      text->replace(at, name.size(), value);
      CutToTextCapacity(text);
      from = at + value.size();
    }
  }
}

// The first name of ExpandLeadingVariable's list that the text holds at
// `at`, or null.
const VariableName* LeadingNameAt(std::string_view text, size_t at) {
  for (const VariableName& v : kLeadingNames)
    if (StartsWithNoCase(text.substr(at), v.name)) return &v;
  return nullptr;
}

}  // namespace

bool ExpandLeadingVariable(const ScriptVariables& variables, std::string* text) {
  const VariableName* v = LeadingNameAt(*text, 0);
  if (!v) return false;
  text->replace(0, std::string_view(v->name).size(), ValueOf(variables, *v));
  CutToTextCapacity(text);
  return true;
}

void ExpandLeadingVariableAtEveryDollar(const ScriptVariables& variables, std::string* text, size_t capacity) {
  size_t replacements = 0;
  for (size_t at = text->find('$'); at != std::string::npos && replacements < capacity;) {
    const VariableName* v = LeadingNameAt(*text, at);
    if (!v) {
      at = text->find('$', at + 1);
      continue;
    }
    text->replace(at, std::string_view(v->name).size(), ValueOf(variables, *v));
    if (text->size() > capacity) text->resize(capacity);
    ++replacements;
    at = text->find('$');
  }
}

void ExpandVariables(const ScriptVariables& variables, std::string* text) {
  ReplaceAll(variables, kExpandNames, text);
}

void ExpandSearchResult(const ScriptVariables& variables, std::string* text) {
  ReplaceAll(variables, kSearchResultNames, text);
}

}  // namespace quorril
