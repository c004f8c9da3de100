// Finding the first element of a list that matches.
#pragma once

#include <algorithm>

namespace lensara {

// The first element of items for which match holds, or null.
template <class Items, class Match>
const typename Items::value_type* FindFirst(const Items& items, Match match)
{
  auto it = std::find_if(items.begin(), items.end(), match);
  return it == items.end() ? nullptr : &*it;
}

}  // namespace lensara
