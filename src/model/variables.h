// Variables and path macros: the four ways in which $NAME$ variables are
// replaced by their values.
//
//  - SubstituteAtToken (ScriptTokenizer): while a line is parsed, one of the
//    seven early variables at the very start of a token.
//  - ExpandLeadingVariable: one name at the very start of a text; the
//    registry blocks apply it at every "$" of a text in turn
//    (ExpandLeadingVariableAtEveryDollar).
//  - ExpandVariables: every occurrence of every name of its list.
//  - ExpandSearchResult: every occurrence of $LEFT$ and $RIGHT$.
//
// Names match without regard to ASCII case; an unknown name stays as it is.
// Replacement always ends: text brought in by a value is not searched again
// for the same name (at every "$": the number of replacements is bounded).
// A text never grows past kTextValueCapacity (999) characters, or the
// capacity given; what would go beyond is cut off.
#pragma once

#include <string>

#include "model/script_model.h"

namespace quorril {

bool ExpandLeadingVariable(const ScriptVariables& variables, std::string* text);
// ExpandLeadingVariable at every "$" of the text: after each replacement the
// text is scanned again from its start, so a name that a value brought in is
// replaced too; a "$" that starts no name stays. A value that brings its own
// name back would never end: at most `capacity` replacements are made, and
// the text is cut to `capacity` characters.
void ExpandLeadingVariableAtEveryDollar(const ScriptVariables& variables, std::string* text, size_t capacity);
void ExpandVariables(const ScriptVariables& variables, std::string* text);
inline void ExpandVariables(const ScriptVariables& variables, TextValue* value) {
  ExpandVariables(variables, &value->Mutable());
}
void ExpandSearchResult(const ScriptVariables& variables, std::string* text);

}  // namespace quorril
