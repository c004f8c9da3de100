#include "Value.h"

#include <cmath>
#include <limits>

namespace lensara {

int32_t Value::TypeCode() const
{
  if (IsLong()) return HST_DATA_LONG;
  if (IsReal()) return HST_DATA_REAL;
  if (IsString()) return HST_DATA_STRING;
  return HST_DATA_NONE;
}

int32_t Value::ToLong() const
{
  if (IsLong()) return std::get<int32_t>(v);
  if (!IsReal()) return 0;
  // Truncate toward zero, saturating where the real does not fit.
  double r = std::trunc(std::get<double>(v));
  if (std::isnan(r)) return 0;
  if (r <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

double Value::ToReal() const
{
  if (IsReal()) return std::get<double>(v);
  if (IsLong()) return std::get<int32_t>(v);
  return 0.0;
}

const std::string& Value::ToString() const
{
  static const std::string empty;
  return IsString() ? std::get<std::string>(v) : empty;
}

}  // namespace lensara
