// The editor's server in-process on a free port, driven by an HTTP client as a browser (or
// another web site) would drive it.
#include "app/editor/EditorServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <sstream>
#include <thread>

#include "PluginFolder.h"
#include "TempDir.h"
#include "app/core/Error.h"
#include "app/core/Host.h"
#include "app/render/FrameRender.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A client that sends a few bytes and then hangs, as a slow or hostile one does.
class HangingClient {
public:
  HangingClient(int port, const std::string& sent) : sock(socket(AF_INET, SOCK_STREAM, 0))
  {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(send(sock, sent.data(), sent.size(), MSG_NOSIGNAL), static_cast<ssize_t>(sent.size()));
  }
  ~HangingClient() { close(sock); }
  HangingClient(const HangingClient&) = delete;
  HangingClient& operator=(const HangingClient&) = delete;

  // What the server sent within two seconds, until a chunked answer ended or it closed.
  std::string Received()
  {
    std::string text;
    char buffer[4096];
    pollfd entry{sock, POLLIN, 0};
    for (auto until = Clock::now() + 2s; text.find("0\r\n\r\n") == std::string::npos && Clock::now() < until;) {
      if (poll(&entry, 1, 100) <= 0) continue;
      ssize_t got = recv(sock, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      text.append(buffer, static_cast<size_t>(got));
    }
    return text;
  }

private:
  int sock;
};

class EditorServerTest : public ::testing::Test {
protected:
  // Edits a copy of the example scene (a path in examples/).
  explicit EditorServerTest(const char* scene = "still-life.json")
  {
    host.LoadPlugins(BuiltPluginFolder());
    std::filesystem::copy(LENSARA_SOURCE_DIR "/examples", dir.path / "scenes", std::filesystem::copy_options::recursive);
    editor = std::make_unique<lensara::Editor>(host, dir.path / "scenes" / scene, log);
    server = std::make_unique<lensara::EditorServer>(*editor);
    port = server->Bind(0);
    listening = std::thread([this] { server->Listen(); });
  }
  ~EditorServerTest() override
  {
    if (listening.joinable()) StopServer();
  }

  void StopServer()
  {
    server->Stop();
    listening.join();
  }

  httplib::Result Post(const std::string& path, const std::string& body, httplib::Headers headers = {})
  {
    return Client().Post(path.c_str(), headers, body, "application/json");
  }
  httplib::Client Client() { return httplib::Client("127.0.0.1", port); }
  nlohmann::json State() { return nlohmann::json::parse(Client().Get("/api/state")->body); }
  // The error a refused edit answers with its status, as "422 message".
  std::string Refusal(const std::string& body)
  {
    auto result = Post("/api/edit", body);
    return std::to_string(result->status) + " " + nlohmann::json::parse(result->body, nullptr, false).value("error", "");
  }

  lensara::Host host;
  test::TempDir dir;
  std::ostringstream log;
  std::unique_ptr<lensara::Editor> editor;
  std::unique_ptr<lensara::EditorServer> server;
  int port = 0;
  std::thread listening;
};

TEST_F(EditorServerTest, OnlyTheEditorsOwnPageIsAnswered)
{
  const std::string own = "http://127.0.0.1:" + std::to_string(port);
  EXPECT_EQ(Client().Get("/")->status, 200);
  EXPECT_NE(Client().Get("/")->body.find("<title>Lensara editor</title>"), std::string::npos);
  EXPECT_EQ(Client().Get("/editor.js")->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  // No other page may frame it (to trick a click on Save), and it runs only its own scripts.
  auto page = Client().Get("/");
  EXPECT_EQ(page->get_header_value("X-Frame-Options"), "DENY");
  for (const char* rule : {"frame-ancestors 'none'", "script-src 'self';"})
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find(rule), std::string::npos) << rule;
  EXPECT_EQ(Post("/api/edit", R"({"name": "DOF_RADIUS", "value": 4})", {{"Origin", own}})->status, 200);

  // Another site's page, or a name that resolves here by rebinding, is refused.
  EXPECT_EQ(Post("/api/edit", R"({"name": "DOF_RADIUS", "value": 9})", {{"Origin", "http://evil.example"}})->status, 403);
  EXPECT_EQ(Post("/api/edit", R"({"name": "DOF_RADIUS", "value": 9})", {{"Origin", own + ".evil.example"}})->status, 403);
  auto rebound = Client().Get("/api/state", {{"Host", "evil.example:" + std::to_string(port)}});
  EXPECT_EQ(rebound->status, 403);
  EXPECT_EQ(rebound->body.find("DOF_RADIUS"), std::string::npos);
  nlohmann::json state = State();
  for (const auto& p : state["parameters"]) {
    if (p["name"] == "DOF_RADIUS") {
      EXPECT_EQ(p["value"], 4);
    }
  }
}

TEST_F(EditorServerTest, BadEditsAreRefusedAndChangeNothing)
{
  nlohmann::json before = State();
  EXPECT_EQ(Refusal("{\"name\": "), "400 the request is not JSON");
  EXPECT_EQ(Refusal("[1, 2]"), "400 the request is not a JSON object");
  EXPECT_EQ(Refusal(R"({"name": "DOF_RADIUS", "value": )" + std::string(50000, '[') + std::string(50000, ']') + "}"),
            "400 the request is nested too deeply (more than 256 levels)");
  EXPECT_EQ(Refusal(R"({"name": "DOF_RADIUS"})"), "400 DOF_RADIUS: no value given");
  EXPECT_EQ(Refusal(R"({"name": "DOF_NOTHING", "value": 1})"), "422 DOF_NOTHING: no parameter of that name can be edited");
  EXPECT_EQ(Refusal(R"({"name": "DOF_PREVIEW", "value": 1})").substr(0, 3), "422");
  EXPECT_EQ(Refusal(R"({"name": "objects", "value": 1})").substr(0, 3), "422");  // no setting of the page
  EXPECT_NE(Refusal(R"({"name": "DOF_RADIUS", "value": "wide"})").find("422 DOF_RADIUS: "), std::string::npos);
  EXPECT_NE(Refusal(R"({"name": "DOF_RADIUS", "value": 1000})").find("outside"), std::string::npos);
  EXPECT_EQ(Refusal(R"({"name": "width", "value": 0})").substr(0, 3), "422");
  EXPECT_EQ(Refusal(R"({"name": "DOF_FILTER", "value": -1})").find("422 DOF_FILTER: unknown cycle value -1"), 0u);
  EXPECT_EQ(Refusal(R"({"name": "DOF_USE_CAMERA_DOF", "value": -5})"),
            "422 DOF_USE_CAMERA_DOF: expects truth value, not -5");
  EXPECT_NE(Refusal(R"({"name": "DOF_CAMERA", "value": "Nobody"})").find("Nobody"), std::string::npos);
  // A body past the limit is refused unread; a long value echoed loses its middle (whole characters).
  EXPECT_EQ(Refusal(std::string(2 << 20, ' ')).substr(0, 4), "413 ");
  std::string name = "x";
  for (int i = 0; i < 50000; ++i) name += "\u00e9";
  std::string refusal = Refusal(nlohmann::json{{"name", name}, {"value", 1}}.dump());
  EXPECT_EQ(refusal.substr(0, 4), "422 ");
  EXPECT_LT(refusal.size(), 200u);
  EXPECT_NE(refusal.find("no parameter of that name can be edited"), std::string::npos);
  for (const char* focus : {R"({"x": 0.5})", R"({"x": 0.5, "y": 2})", R"({"x": 0.5, "y": 0.01})",
                            R"({"x": 0.5, "y": 0.5, "preview": true})"})
    EXPECT_EQ(Post("/api/focus", focus)->status, 422) << focus;  // no y, off the image, sky, no window
  nlohmann::json unchanged = State();
  EXPECT_GT(unchanged["sequence"], before["sequence"]);  // the only change: a later answer
  unchanged.erase("sequence");
  before.erase("sequence");
  EXPECT_EQ(unchanged, before);

  // A good edit the effect corrects: the state afterwards and what changed.
  auto result = Post("/api/edit", R"({"name": "DOF_FRONT_START", "value": 1e9})");
  ASSERT_EQ(result->status, 200);
  nlohmann::json after = nlohmann::json::parse(result->body);
  EXPECT_TRUE(after["dirty"]);
  ASSERT_EQ(after["report"].size(), 1u);
  EXPECT_NE(after["report"][0].get<std::string>().find("DOF_FRONT_START"), std::string::npos);
  EXPECT_NE(after["report"][0].get<std::string>().find("became"), std::string::npos);
}

TEST_F(EditorServerTest, SaveWritesOnlyPlainJsonNamesBesideTheScene)
{
  for (const char* name : {"../escape.json", "/tmp/escape.json", "notes.txt", ".hidden.json", "sub/x.json"})
    EXPECT_EQ(Post("/api/save", nlohmann::json{{"name", name}}.dump())->status, 422) << name;
  EXPECT_EQ(Post("/api/save", R"({"name": 5})")->status, 422);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "escape.json"));
  // Nor through a link in the folder to a file elsewhere.
  std::ofstream(dir.path / "outside.json") << "{}";
  std::filesystem::create_symlink(dir.path / "outside.json", dir.path / "scenes" / "link.json");
  EXPECT_EQ(Post("/api/save", R"({"name": "link.json"})")->status, 422);
  EXPECT_EQ(test::Contents(dir.path / "outside.json"), "{}");

  ASSERT_EQ(Post("/api/edit", R"({"name": "DOF_RADIUS", "value": 7})")->status, 200);
  auto saved = Post("/api/save", R"({"name": "mine.json"})");
  ASSERT_EQ(saved->status, 200) << saved->body;
  EXPECT_EQ(nlohmann::json::parse(saved->body)["scene"], "mine.json");
  EXPECT_FALSE(nlohmann::json::parse(saved->body)["dirty"]);
  EXPECT_NE(test::Contents(dir.path / "scenes" / "mine.json").find("\"DOF_RADIUS\": 7"), std::string::npos);
}

TEST_F(EditorServerTest, OneRenderAtATimeAndStopEndsIt)
{
  ASSERT_EQ(Post("/api/edit", R"({"name": "width", "value": 64})")->status, 200);
  ASSERT_EQ(Post("/api/edit", R"({"name": "height", "value": 48})")->status, 200);
  ASSERT_EQ(Post("/api/render", "")->status, 200);
  auto second = Post("/api/render", "");
  if (editor->Render().Running()) {
    EXPECT_EQ(second->status, 409);
    EXPECT_NE(second->body.find("a render is under way"), std::string::npos);
  }
  while (editor->Render().Running()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  nlohmann::json done = editor->Render().Progress();
  ASSERT_EQ(done["state"], "done") << done;
  EXPECT_EQ(Client().Get("/api/render/layer?name=Lensara%20Depth")->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(Client().Get("/api/render/layer?name=../../etc/passwd")->status, 404);

  // A render large enough to be under way when Stop comes.
  ASSERT_EQ(Post("/api/edit", R"({"name": "width", "value": 1280})")->status, 200);
  ASSERT_EQ(Post("/api/edit", R"({"name": "height", "value": 960})")->status, 200);
  ASSERT_EQ(Post("/api/render", "")->status, 200);
  EXPECT_EQ(Post("/api/render/stop", "")->status, 200);
  while (editor->Render().Running()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(editor->Render().Progress()["state"], "stopped");
  EXPECT_EQ(Client().Get("/api/state")->status, 200);
}

TEST_F(EditorServerTest, HangingClientsAndProgressStreamsKeepNoRequestWaiting)
{
  ASSERT_EQ(Post("/api/edit", R"({"name": "width", "value": 4000})")->status, 200);
  ASSERT_EQ(Post("/api/edit", R"({"name": "height", "value": 3000})")->status, 200);
  ASSERT_EQ(Post("/api/render", "")->status, 200);
  const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
  const std::string origin = "Origin: http://127.0.0.1:" + std::to_string(port) + "\r\n";
  std::deque<HangingClient> clients;
  for (int i = 0; i < 10; ++i) clients.emplace_back(port, "");                                // silent
  for (int i = 0; i < 10; ++i) clients.emplace_back(port, "GET /api/state HTTP/1.1\r\n" + host);  // half a head
  for (int i = 0; i < 12; ++i)
    clients.emplace_back(port, "POST /api/render/progress HTTP/1.1\r\n" + host + origin + "Content-Length: 0\r\n\r\n");

  // Another page's image of the progress (no origin) gets it once, while the render goes on.
  HangingClient image(port, "GET /api/render/progress HTTP/1.1\r\n" + host + "\r\n");
  EXPECT_NE(image.Received().find("\"rendering\""), std::string::npos);
  EXPECT_TRUE(editor->Render().Running());

  Clock::time_point start = Clock::now();
  EXPECT_EQ(Client().Get("/api/state")->status, 200);
  EXPECT_EQ(Post("/api/render/stop", "")->status, 200);
  EXPECT_LT(Clock::now() - start, 1s);
  start = Clock::now();
  StopServer();  // closes the hanging connections and ends the streams
  EXPECT_LT(Clock::now() - start, 1s);
}

// The example scene that animates a camera, a light, a ball and the effect over frames 0 to 24.
class AnimatedSceneTest : public EditorServerTest {
protected:
  AnimatedSceneTest() : EditorServerTest("tests/animation.json") {}

  // The value of a parameter, or of a setting, in a state.
  static nlohmann::json Entry(const nlohmann::json& state, const char* list, const std::string& name)
  {
    for (const auto& entry : state[list])
      if (entry["name"] == name) return entry;
    return nullptr;
  }
};

TEST_F(AnimatedSceneTest, TheTimeShowsTheAnimatedValuesWhichRefuseEdits)
{
  nlohmann::json state = State();
  EXPECT_EQ(state["frames"], nlohmann::json({{"first", 0}, {"last", 24}}));
  EXPECT_TRUE(Entry(state, "parameters", "DOF_FOCUS_DISTANCE")["animated"]);
  EXPECT_FALSE(Entry(state, "parameters", "DOF_RADIUS")["animated"]);
  EXPECT_TRUE(Entry(state, "settings", "focus_distance")["animated"]);
  for (auto [frame, distance] : {std::pair{0, 300.0}, {12, 900.0}}) {
    auto result = Post("/api/time", nlohmann::json{{"frame", frame}}.dump());
    ASSERT_EQ(result->status, 200) << result->body;
    state = nlohmann::json::parse(result->body);
    EXPECT_EQ(state["frame"], frame);
    EXPECT_EQ(Entry(state, "parameters", "DOF_FOCUS_DISTANCE")["value"], distance);
  }
  for (const char* frame : {"25", "-1", "1.5", "\"12\"", "null"})
    EXPECT_EQ(Post("/api/time", std::string(R"({"frame": )") + frame + "}")->status, 422) << frame;

  // An edit of an animated value would last until the next time change: refused.
  EXPECT_EQ(Refusal(R"({"name": "DOF_FOCUS_DISTANCE", "value": 500})"),
            "409 DOF_FOCUS_DISTANCE is animated: edit its keys in the scene file");
  EXPECT_EQ(Refusal(R"({"name": "focus_distance", "value": 500})").substr(0, 4), "409 ");
  EXPECT_EQ(Post("/api/focus", R"({"x": 0.5, "y": 0.6})")->status, 409);  // the effect's focus, animated
  EXPECT_EQ(Entry(State(), "parameters", "DOF_FOCUS_DISTANCE")["value"], 900.0);
  EXPECT_EQ(Post("/api/edit", R"({"name": "DOF_RADIUS", "value": 3})")->status, 200);
}

TEST_F(AnimatedSceneTest, RenderFramesWritesNumberedFilesWithProgressPerFrame)
{
  ASSERT_EQ(Post("/api/edit", R"({"name": "width", "value": 32})")->status, 200);
  ASSERT_EQ(Post("/api/edit", R"({"name": "height", "value": 24})")->status, 200);
  EXPECT_EQ(Post("/api/render/frames", R"({"from": 5, "to": 3})")->status, 422);
  EXPECT_EQ(Post("/api/render/frames", R"({"to": 99})")->status, 422);

  // The progress text while the effect renders each frame's depth scene: the frame's, then the effect's.
  std::vector<std::string> texts;
  lensara::NestedRenderWatch watch([&](lensara::Document&, lensara::Bitmap&) {
    std::string text = editor->Render().Progress()["text"];
    if (texts.empty() || texts.back() != text) texts.push_back(text);
  });
  auto started = Post("/api/render/frames", R"({"from": 3, "to": 5})");
  ASSERT_EQ(started->status, 200) << started->body;
  while (editor->Render().Running()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  nlohmann::json done = editor->Render().Progress();
  EXPECT_EQ(done["state"], "done") << done;
  EXPECT_EQ(done["text"], "Done: frames 3 to 5 are in animation-frames/");
  EXPECT_EQ(texts, std::vector<std::string>({"Rendering frame 3 (1 of 3): Calculating DOF",
                                             "Rendering frame 4 (2 of 3): Calculating DOF",
                                             "Rendering frame 5 (3 of 3): Calculating DOF"}));
  const std::filesystem::path frames = dir.path / "scenes" / "tests" / "animation-frames";
  for (const char* file : {"image.0003.png", "image.0005.exr", "lensara-depth.0004.png"})
    EXPECT_TRUE(std::filesystem::exists(frames / file)) << file;
  EXPECT_FALSE(std::filesystem::exists(frames / "image.0002.png"));
}

TEST_F(EditorServerTest, APortInUseIsNotShared)
{
  lensara::EditorServer second(*editor);
  try {
    second.Bind(port);
    ADD_FAILURE() << "a second editor listens on the port of the first";
  } catch (const lensara::Error& e) {
    EXPECT_NE(std::string(e.what()).find("port " + std::to_string(port) + " is in use"), std::string::npos);
  }
}

}  // namespace
