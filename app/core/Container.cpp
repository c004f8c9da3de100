#include "Container.h"

#include <algorithm>

namespace lensara {

const Value* Container::Find(int32_t key) const { return const_cast<Container*>(this)->FindLive(key); }

Value* Container::FindLive(int32_t key)
{
  for (Entry& e : entries)
    if (e.first == key) return &e.second;
  return nullptr;
}

void Container::Set(int32_t key, Value value)
{
  if (Value* v = FindLive(key))
    *v = std::move(value);
  else
    entries.emplace_back(key, std::move(value));
}

bool Container::Remove(int32_t key)
{
  auto it = std::find_if(entries.begin(), entries.end(), [key](const Entry& e) { return e.first == key; });
  if (it == entries.end()) return false;
  entries.erase(it);
  return true;
}

int32_t Container::GetLong(int32_t key, int32_t preset) const
{
  const Value* v = Find(key);
  return v && v->IsNumber() ? v->ToLong() : preset;
}

double Container::GetReal(int32_t key, double preset) const
{
  const Value* v = Find(key);
  return v && v->IsNumber() ? v->ToReal() : preset;
}

}  // namespace lensara
