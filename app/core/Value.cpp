#include "Value.h"

#include <cmath>
#include <limits>

#include "Container.h"

namespace lensara {

Value::Value() = default;
Value::Value(int32_t v) : v(v) {}
Value::Value(double v) : v(v) {}
Value::Value(std::string v) : v(std::move(v)) {}
Value::Value(const Vector& v) : v(v) {}
Value::Value(const Matrix& v) : v(v) {}
Value::Value(const Link& v) : v(v) {}
Value::Value(Container c) : v(Boxed(std::move(c))) {}
Value::Value(InExclude v) : v(std::move(v)) {}
Value::Value(Gradient v) : v(std::move(v)) {}
Value::Value(const Value& other) = default;
Value::Value(Value&& other) noexcept = default;
Value& Value::operator=(const Value& other) = default;
Value& Value::operator=(Value&& other) noexcept = default;
Value::~Value() = default;

Value::Boxed::Boxed(Container contents) : c(std::make_unique<Container>(std::move(contents))) {}

Value::Boxed::Boxed(const Boxed& other) : c(other.c ? std::make_unique<Container>(*other.c) : nullptr) {}

Value::Boxed& Value::Boxed::operator=(const Boxed& other) { return *this = Boxed(other); }

bool Value::Boxed::operator==(const Boxed& other) const { return c && other.c ? *c == *other.c : c == other.c; }

int32_t Value::TypeCode() const
{
  static constexpr int32_t kCodes[] = {HST_DATA_NONE,   HST_DATA_LONG,      HST_DATA_REAL, HST_DATA_STRING,
                                       HST_DATA_VECTOR, HST_DATA_MATRIX,    HST_DATA_LINK, HST_DATA_CONTAINER,
                                       HST_DATA_INEXCLUDE, HST_DATA_GRADIENT};
  static_assert(std::size(kCodes) == std::variant_size_v<decltype(v)>);
  return kCodes[v.index()];
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

Container* Value::GetContainer()
{
  Boxed* b = std::get_if<Boxed>(&v);
  return b ? b->c.get() : nullptr;
}

const Container* Value::GetContainer() const
{
  const Boxed* b = std::get_if<Boxed>(&v);
  return b ? b->c.get() : nullptr;
}

bool Value::operator==(const Value& other) const { return v == other.v; }

}  // namespace lensara
