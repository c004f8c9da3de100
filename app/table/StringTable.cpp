// The string and file name sections: host-owned UTF-8 texts.
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

template <class T, class H>
struct TextSection {
  static H Alloc() { return ToHandle(NewHostObject<T>()); }
  static void Free(H h) { delete FromHandle(h); }
  static std::string* Text(H h) { return &FromHandle(h)->text; }
  static void Set(H h, const char* utf8)
  {
    if (h) Guarded([&] { *Text(h) = utf8 ? utf8 : ""; });
  }
  static const char* Get(H h) { return h ? Text(h)->c_str() : ""; }

  // The section over T: both sections have these four functions, in this order.
  template <class Table>
  static Table Make()
  {
    Table t{};
    t.size = sizeof t;
    t.alloc = Alloc;
    t.free = Free;
    t.set = Set;
    t.get = Get;
    return t;
  }
};

using Strings = TextSection<StringValue, HstString>;
using Filenames = TextSection<FilenameValue, HstFilename>;

}  // namespace

const HstStringTable* StringSection()
{
  static const HstStringTable section = Strings::Make<HstStringTable>();
  return &section;
}

const HstFilenameTable* FilenameSection()
{
  static const HstFilenameTable section = Filenames::Make<HstFilenameTable>();
  return &section;
}

}  // namespace lensara
