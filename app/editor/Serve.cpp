#include "Serve.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "app/cli/Render.h"
#include "app/core/Signals.h"
#include "app/editor/EditorServer.h"

namespace lensara {

void RunServe(const Host& host, const ServeOptions& options, std::ostream& out, std::ostream& log)
{
  Editor editor(host, options.scene.empty() ? DemoScene() : options.scene, log);
  EditorServer server(editor);
  server.Bind(options.port);
  out << "Lensara editor at " << server.Address() << " (Ctrl-C ends it)" << std::endl;

  InterruptPolling interrupt;
  std::atomic<bool> ended{false};
  std::thread watch([&] {
    while (!ended && !InterruptRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    editor.Render().RequestStop();  // so that a page following its progress lets the server end
    server.Stop();
  });
  server.Listen();
  ended = true;
  watch.join();
  out << "lensara serve: stopped" << (editor.State()["dirty"].get<bool>() ? "; the unsaved changes are lost" : "")
      << std::endl;
}

}  // namespace lensara
