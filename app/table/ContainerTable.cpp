// The container section (BaseContainer).
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

// Sets key of c to value; nothing changes when c is null or memory runs short.
void SetKey(HstContainer c, int32_t key, Value value)
{
  if (c) Guarded([&] { C(c)->Set(key, std::move(value)); });
}

Value* LiveValue(HstContainer c, int32_t key) { return c ? C(c)->FindLive(key) : nullptr; }

HstContainer ContainerAlloc() { return reinterpret_cast<HstContainer>(NewHostObject<Container>()); }
void ContainerFree(HstContainer c) { delete C(c); }
void ContainerCopy(HstContainer dst, HstContainer src)
{
  if (dst) Guarded([&] { *C(dst) = src ? *C(src) : Container(); });
}
int32_t ContainerGetLong(HstContainer c, int32_t key, int32_t preset) { return c ? C(c)->GetLong(key, preset) : preset; }
double ContainerGetReal(HstContainer c, int32_t key, double preset) { return c ? C(c)->GetReal(key, preset) : preset; }
void ContainerSetLong(HstContainer c, int32_t key, int32_t v) { SetKey(c, key, Value(v)); }
void ContainerSetReal(HstContainer c, int32_t key, double v) { SetKey(c, key, Value(v)); }
HstBool ContainerGetData(HstContainer c, int32_t key, HstData out) { return c && GetData(*C(c), key, out); }
void ContainerSetData(HstContainer c, int32_t key, HstData v)
{
  if (c) SetData(*C(c), key, v);
}
HstBool ContainerRemove(HstContainer c, int32_t key) { return c && C(c)->Remove(key); }
int32_t ContainerCount(HstContainer c) { return c ? static_cast<int32_t>(C(c)->Entries().size()) : 0; }
int32_t ContainerKeyAt(HstContainer c, int32_t index)
{
  if (!c || index < 0 || index >= ContainerCount(c)) return 0;
  return C(c)->Entries()[index].first;
}

HstContainer ContainerGetContainerInstance(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetContainer()) : nullptr;
}

HstInExclude ContainerGetInExclude(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetInExclude()) : nullptr;
}

HstGradient ContainerGetGradient(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetGradient()) : nullptr;
}

HstContainerTable MakeContainerSection()
{
  HstContainerTable t{};
  t.size = sizeof t;
  t.alloc = ContainerAlloc;
  t.free = ContainerFree;
  t.copy = ContainerCopy;
  t.get_long = ContainerGetLong;
  t.get_real = ContainerGetReal;
  t.set_long = ContainerSetLong;
  t.set_real = ContainerSetReal;
  t.get_data = ContainerGetData;
  t.set_data = ContainerSetData;
  t.remove = ContainerRemove;
  t.count = ContainerCount;
  t.key_at = ContainerKeyAt;
  t.get_container_instance = ContainerGetContainerInstance;
  t.get_inexclude = ContainerGetInExclude;
  t.get_gradient = ContainerGetGradient;
  return t;
}

}  // namespace

const HstContainerTable* ContainerSection()
{
  static const HstContainerTable section = MakeContainerSection();
  return &section;
}

}  // namespace lensara
