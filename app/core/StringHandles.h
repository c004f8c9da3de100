// The host's storage behind string and file name handles.
#pragma once

#include <string>

#include "host/abi/HstHandles.h"

namespace lensara {

struct StringValue {
  std::string text;
};

struct FilenameValue {
  std::string text;
};

inline HstString ToHandle(StringValue* s) { return reinterpret_cast<HstString>(s); }
inline HstFilename ToHandle(FilenameValue* f) { return reinterpret_cast<HstFilename>(f); }
inline StringValue* FromHandle(HstString s) { return reinterpret_cast<StringValue*>(s); }
inline FilenameValue* FromHandle(HstFilename f) { return reinterpret_cast<FilenameValue*>(f); }

}  // namespace lensara
