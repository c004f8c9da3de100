#include "app/core/JsonDepth.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace lensara {
namespace {

using Json = nlohmann::json;

std::string Nested(int levels, const std::string& inner = "")
{
  return std::string(levels, '[') + inner + std::string(levels, ']');
}

TEST(JsonDepth, NestingPastTheBoundIsRefusedBeforeParsing)
{
  EXPECT_EQ(ParseBoundedJson<Json>(Nested(kMaxJsonDepth, "1")).dump(), Nested(kMaxJsonDepth, "1"));
  EXPECT_THROW(ParseBoundedJson<Json>(Nested(kMaxJsonDepth + 1)), JsonTooDeep);
  EXPECT_THROW(ParseBoundedJson<Json>("{\"a\": " + Nested(60000) + "}"), JsonTooDeep);
  std::istringstream stream(Nested(kMaxJsonDepth + 1));
  EXPECT_THROW(ParseBoundedJson<Json>(stream), JsonTooDeep);

  // Brackets inside strings, also after an escaped quote, are text.
  std::string text = "[\"\\\"" + std::string(300, '[') + "\"]";
  EXPECT_EQ(ParseBoundedJson<Json>(text)[0].get<std::string>(), "\"" + std::string(300, '['));
  // Malformed text is the parser's to report.
  EXPECT_TRUE(ParseBoundedJson<Json>("[1, ", false).is_discarded());
  EXPECT_THROW(ParseBoundedJson<Json>("[1, "), Json::parse_error);
}

}  // namespace
}  // namespace lensara
