#include "app/scene/Json.h"

#include <gtest/gtest.h>

#include "app/core/Error.h"

namespace lensara {
namespace {

TEST(Json, LinesOfObjectsAndMembersAreRecorded)
{
  Json j = ParseJsonWithLines("{\n  \"a\": 1,\n  \"b\": {\n    \"c\": [1, 2, 3]\n  }\n}\n", "x.json");
  EXPECT_EQ(LineOf(j), 1);
  EXPECT_EQ(LineOf(j, "a"), 2);
  EXPECT_EQ(LineOf(j, "b"), 3);
  EXPECT_EQ(LineOf(j.at("b"), "c"), 4);
  EXPECT_EQ(LineOf(j, "missing"), 1);
  auto members = Members(j);
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].first, "a");
  EXPECT_EQ(members[1].first, "b");
}

TEST(Json, NestingPastTheLimitIsRefusedAtItsLineAndRepeatedKeysKeepTheLast)
{
  auto nested = [](int depth, const std::string& open, const std::string& inner, const std::string& close) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    for (int i = 0; i < depth; ++i) text += close;
    return text;
  };
  EXPECT_NO_THROW(ParseJsonWithLines(nested(257, "[", "", "]"), "x.json"));
  EXPECT_NO_THROW(ParseJsonWithLines(nested(256, "{\"a\":", "{}", "}"), "x.json"));
  auto refusal = [](const std::string& text) {
    try {
      ParseJsonWithLines(text, "x.json");
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(refusal(nested(258, "[", "", "]")), "x.json:1: nested deeper than 256 levels");
  EXPECT_EQ(refusal(nested(256, "[\n", "[1]", "]")), "x.json:257: nested deeper than 256 levels");
  EXPECT_EQ(refusal(nested(256, "{\"a\":", "{\"b\": 1}", "}")), "x.json:1: nested deeper than 256 levels");

  Json j = ParseJsonWithLines("{\"a\": 1,\n\"b\": 2,\n\"a\": [3]}", "x.json");
  EXPECT_EQ(Shown(j), "{\"a\":[3],\"b\":2}");
  EXPECT_EQ(LineOf(j, "a"), 3);
}

TEST(Json, CanonicalLayoutKeepsShortValuesOnOneLine)
{
  Json j = Json::object();
  j["vector"] = Json::array({1.0, 2.0, 3.0});
  j["link"] = Json::object({{"link", "Cube"}});
  j["empty"] = Json::array();
  Json list = Json::array();
  for (int i = 0; i < 3; ++i)
    list.push_back(Json::object({{"name", "a fairly long name to push past the width"}, {"i", i}}));
  j["list"] = list;
  EXPECT_EQ(WriteCanonicalJson(j),
            "{\n"
            "  \"vector\": [1.0, 2.0, 3.0],\n"
            "  \"link\": {\"link\": \"Cube\"},\n"
            "  \"empty\": [],\n"
            "  \"list\": [\n"
            "    {\"name\": \"a fairly long name to push past the width\", \"i\": 0},\n"
            "    {\"name\": \"a fairly long name to push past the width\", \"i\": 1},\n"
            "    {\"name\": \"a fairly long name to push past the width\", \"i\": 2}\n"
            "  ]\n"
            "}\n");
}

TEST(Json, WrittenTextParsesBackToTheSameValue)
{
  Json j = ParseJsonWithLines(R"({"s": "quote \" and \u00e9", "n": -0.5, "big": 12345678901, "t": true, "z": null})",
                              "x.json");
  j["long"] = std::string(100, 'x');  // wider than a line
  std::string text = WriteCanonicalJson(j);
  Json again = ParseJsonWithLines(text, "x.json");
  EXPECT_EQ(WriteCanonicalJson(again), text);
  EXPECT_EQ(again.at("s").get<std::string>(), "quote \" and \u00e9");
  EXPECT_EQ(again.at("long").get<std::string>(), std::string(100, 'x'));
  EXPECT_EQ(again.at("big").get<int64_t>(), 12345678901);
}

// The message of parsing text as "x.json", or "" when it parses.
std::string ParseError(const std::string& text)
{
  try {
    ParseJsonWithLines(text, "x.json");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(Json, NumbersBeyondADoubleAreReportedAtTheirLine)
{
  EXPECT_EQ(ParseError("{\n  \"time\":\n  1e400\n}\n"), "x.json:3: number out of range");
  EXPECT_EQ(ParseError("{\"a\": [1,\n-1e999]}"), "x.json:2: number out of range");
  EXPECT_EQ(ParseError("1e400"), "x.json:1: number out of range");
}

TEST(Json, KeysOfTheFileNeverTakeTheRecordedLinesPlace)
{
  Json j = ParseJsonWithLines("{\"\\u0001line\": 7,\n \"\\u0001members\": {}}", "x.json");
  auto members = Members(j);
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].first, "\x01line");
  EXPECT_EQ(LineOf(j, "\x01members"), 2);
  EXPECT_EQ(Quoted(members[0].first), "\"\\u0001line\"");
  EXPECT_EQ(Shown(Json::array({j, 1})), "[{\"\\u0001line\":7,\"\\u0001members\":{}},1]");
}

TEST(Json, BytesThatAreNotUtf8AreReplaced)
{
  EXPECT_EQ(ValidUtf8("Cr\xe8me \xc3\xa9"), "Cr\xef\xbf\xbdme \xc3\xa9");
  Json j = Json::object({{"name", "Caf\xe9"}});
  EXPECT_EQ(WriteCanonicalJson(j), "{\"name\": \"Caf\xef\xbf\xbd\"}\n");
}

}  // namespace
}  // namespace lensara
