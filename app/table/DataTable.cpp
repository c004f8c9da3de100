// The data section: typed values (GeData).
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

template <class T>
void Assign(HstData d, T value)
{
  if (d) Guarded([&] { *V(d) = Value(std::move(value)); });
}

HstData DataAlloc() { return reinterpret_cast<HstData>(NewHostObject<Value>()); }
void DataFree(HstData d) { delete V(d); }
void DataCopy(HstData dst, HstData src)
{
  if (dst) Guarded([&] { *V(dst) = src ? *V(src) : Value(); });
}
int32_t DataType(HstData d) { return d ? V(d)->TypeCode() : HST_DATA_NONE; }
void DataSetLong(HstData d, int32_t v)
{
  if (d) *V(d) = Value(v);
}
void DataSetReal(HstData d, double v)
{
  if (d) *V(d) = Value(v);
}
void DataSetString(HstData d, const char* utf8)
{
  if (d) Guarded([&] { *V(d) = Value(std::string(utf8 ? utf8 : "")); });
}
int32_t DataGetLong(HstData d) { return d ? V(d)->ToLong() : 0; }
double DataGetReal(HstData d) { return d ? V(d)->ToReal() : 0.0; }
const char* DataGetString(HstData d) { return d ? V(d)->ToString().c_str() : ""; }

void DataSetVector(HstData d, HstVector v) { Assign(d, FromHst(v)); }
void DataSetMatrix(HstData d, HstMatrix m) { Assign(d, FromHst(m)); }

HstVector DataGetVector(HstData d)
{
  const Vector* v = d ? V(d)->GetVector() : nullptr;
  return ToHst(v ? *v : Vector{});
}

HstMatrix DataGetMatrix(HstData d)
{
  const Matrix* m = d ? V(d)->GetMatrix() : nullptr;
  return ToHst(m ? *m : Matrix{});
}

void DataSetLink(HstData d, HstNode n) { Assign(d, Link{n ? N(n)->GetIdentity() : 0}); }

HstNode DataGetLink(HstData d, HstNode doc)
{
  const Link* link = d ? V(d)->GetLink() : nullptr;
  return link ? Resolve(link->target, doc) : nullptr;
}

void DataSetContainer(HstData d, HstContainer c) { Assign(d, c ? *C(c) : Container()); }
HstContainer DataGetContainer(HstData d) { return d ? ToHandle(V(d)->GetContainer()) : nullptr; }
void DataSetInExclude(HstData d, HstInExclude l) { Assign(d, l ? *L(l) : InExclude()); }
void DataSetGradient(HstData d, HstGradient g) { Assign(d, g ? *G(g) : Gradient()); }
HstInExclude DataGetInExclude(HstData d) { return d ? ToHandle(V(d)->GetInExclude()) : nullptr; }
HstGradient DataGetGradient(HstData d) { return d ? ToHandle(V(d)->GetGradient()) : nullptr; }

HstDataTable MakeDataSection()
{
  HstDataTable t{};
  t.size = sizeof t;
  t.alloc = DataAlloc;
  t.free = DataFree;
  t.copy = DataCopy;
  t.type = DataType;
  t.set_long = DataSetLong;
  t.set_real = DataSetReal;
  t.set_string = DataSetString;
  t.get_long = DataGetLong;
  t.get_real = DataGetReal;
  t.get_string = DataGetString;
  t.set_vector = DataSetVector;
  t.set_matrix = DataSetMatrix;
  t.get_vector = DataGetVector;
  t.get_matrix = DataGetMatrix;
  t.set_link = DataSetLink;
  t.get_link = DataGetLink;
  t.set_container = DataSetContainer;
  t.get_container = DataGetContainer;
  t.set_inexclude = DataSetInExclude;
  t.set_gradient = DataSetGradient;
  t.get_inexclude = DataGetInExclude;
  t.get_gradient = DataGetGradient;
  return t;
}

}  // namespace

const HstDataTable* DataSection()
{
  static const HstDataTable section = MakeDataSection();
  return &section;
}

}  // namespace lensara
