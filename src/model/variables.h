// Variables and path macros: the four ways in which $NAME$ variables are
// replaced by their values.
//
//  - SubstituteAtToken (ScriptTokenizer): while a line is parsed, one of the
//    seven early variables at the very start of a token.
//  - ExpandLeadingVariable: one name at the very start of a text.
//  - ExpandVariables: every occurrence of every name of its list.
//  - ExpandSearchResult: every occurrence of $LEFT$ and $RIGHT$.
//
// Names match without regard to ASCII case; an unknown name stays as it is.
// Replacement always ends: text brought in by a value is not searched again
// for the same name. A text never grows past kTextValueCapacity (999)
// characters; what would go beyond is cut off.
#pragma once

#include <string>

#include "model/script_model.h"

namespace quorril {

bool ExpandLeadingVariable(const ScriptVariables& variables, std::string* text);
void ExpandVariables(const ScriptVariables& variables, std::string* text);
inline void ExpandVariables(const ScriptVariables& variables, TextValue* value) {
  ExpandVariables(variables, &value->Mutable());
}
void ExpandSearchResult(const ScriptVariables& variables, std::string* text);

}  // namespace quorril
