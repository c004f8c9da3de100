// One typed value of the host's containers and parameters.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "host/abi/HstHandles.h"

namespace lensara {

class Value {
public:
  Value() = default;
  Value(int32_t v) : v(v) {}
  Value(double v) : v(v) {}
  Value(std::string v) : v(std::move(v)) {}

  // HST_DATA_NONE, HST_DATA_LONG, HST_DATA_REAL or HST_DATA_STRING.
  int32_t TypeCode() const;
  bool IsNone() const { return std::holds_alternative<std::monostate>(v); }
  bool IsLong() const { return std::holds_alternative<int32_t>(v); }
  bool IsReal() const { return std::holds_alternative<double>(v); }
  bool IsString() const { return std::holds_alternative<std::string>(v); }

  // The value as a long (a real truncated toward zero) or a real; other types give 0.
  int32_t ToLong() const;
  double ToReal() const;
  // The text of a string value, "" otherwise.
  const std::string& ToString() const;

  bool operator==(const Value& other) const { return v == other.v; }

private:
  std::variant<std::monostate, int32_t, double, std::string> v;
};

}  // namespace lensara
