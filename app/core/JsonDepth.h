// JSON that comes into the host from outside (editor requests, --set values, a plug-in's
// resource files, glTF files before import), parsed with a bound on its nesting: the JSON library writes, compares
// and copies values recursively, so a value nested tens of thousands of levels deep would
// overflow the stack of whatever handles it next.
#pragma once

#include <istream>
#include <iterator>
#include <string>

#include "Error.h"

namespace lensara {

// No JSON the host takes in nests deeper; scene files hold to the same bound.
constexpr int kMaxJsonDepth = 256;

// JSON nested deeper than kMaxJsonDepth.
class JsonTooDeep : public Error {
public:
  JsonTooDeep() : Error("nested too deeply (more than " + std::to_string(kMaxJsonDepth) + " levels)") {}
};

// Throws JsonTooDeep when the arrays and objects of text nest deeper than kMaxJsonDepth.
// Looks at brackets and strings only, in one pass, so that text is refused before the
// parser builds anything of it; malformed text is left to the parser.
void CheckJsonDepth(const std::string& text);

// text as a J after CheckJsonDepth. Malformed JSON throws the library's exception, or
// gives a discarded value when allowExceptions is false.
template <class J>
J ParseBoundedJson(const std::string& text, bool allowExceptions = true)
{
  CheckJsonDepth(text);
  return J::parse(text, nullptr, allowExceptions);
}

// The rest of in as a J, as ParseBoundedJson of its text.
template <class J>
J ParseBoundedJson(std::istream& in)
{
  return ParseBoundedJson<J>(std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace lensara
