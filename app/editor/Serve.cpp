#include "Serve.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/core/Signals.h"
#include "app/editor/EditorServer.h"
#include "app/session/NumberOptions.h"
#include "app/session/SceneLoading.h"

namespace lensara {

CLI::App* AddServeCommand(CLI::App& app, ServeOptions& options)
{
  CLI::App* serve = app.add_subcommand("serve", "Edit a scene's effect in the browser: a local web editor on 127.0.0.1");
  serve->add_option("SCENE", options.scene, "Scene file (default: the demo, examples/still-life.json)");
  serve->add_option("--port", options.port, "Port to listen on, on 127.0.0.1 only (default 8765; 0: any free port)")
      ->check(WholeNumberIn(0, 65535));
  serve->footer("Prints the address to open in a browser. The page edits the first Lensara effect of the scene's "
                "active render settings as the attribute manager does, shows its preview window, renders, and saves "
                "the scene file (or a new .json file beside it). Ctrl-C ends the editor (exit 0); unsaved changes are "
                "lost.");
  return serve;
}

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
