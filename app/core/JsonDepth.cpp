#include "JsonDepth.h"

namespace lensara {

void CheckJsonDepth(const std::string& text)
{
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inString) {
      if (c == '\\') ++i;  // the escaped character cannot end the string
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) throw JsonTooDeep();
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
}

}  // namespace lensara
