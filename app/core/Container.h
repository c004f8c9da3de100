// An ordered key -> value map: the data of every node and the host's settings.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

#include "Value.h"

namespace lensara {

class Container {
public:
  using Entry = std::pair<int32_t, Value>;

  // The value at key, or null when absent.
  const Value* Find(int32_t key) const;
  // Replaces the value of an existing key in place; a new key goes last.
  void Set(int32_t key, Value value);
  // False when key was absent.
  bool Remove(int32_t key);

  // Typed reads: the preset when the key is absent or holds neither a long nor a real.
  int32_t GetLong(int32_t key, int32_t preset) const;
  double GetReal(int32_t key, double preset) const;

  // The value at key for changing in place, or null when absent. It stays valid while
  // keys are only added or set; removing a key may move it.
  Value* FindLive(int32_t key);

  const std::deque<Entry>& Entries() const { return entries; }
  bool operator==(const Container& other) const { return entries == other.entries; }

private:
  std::deque<Entry> entries;
};

}  // namespace lensara
