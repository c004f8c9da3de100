// The lensara command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/cli/Info.h"
#include "app/core/Host.h"

namespace {

// The plug-in folder: --plugins, else LENSARA_PLUGINS, else plugins/ beside the executable.
std::filesystem::path PluginFolder(const std::string& option)
{
  if (!option.empty()) return option;
  if (const char* env = std::getenv("LENSARA_PLUGINS"); env && *env) return env;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return exe.parent_path() / "plugins";
}

}  // namespace

int main(int argc, char** argv)
{
  CLI::App app{"Lensara: the depth-of-field post effect and its host application"};
  app.require_subcommand(1);
  app.fallthrough();  // the global options may follow the command
  std::string pluginOption;
  lensara::HostOptions options;
  app.add_option("--plugins", pluginOption, "Plug-in folder (default: $LENSARA_PLUGINS, else plugins/ beside lensara)");
  app.add_option("--product-kind", options.productKind,
                 "Product kind the host reports (1 application; 8, 9, 10 render farm client, server, command line)")
      ->check(CLI::Range(0, 1000));

  bool json = false;
  CLI::App* info = app.add_subcommand("info", "List the host version, the product kind and every loaded plug-in");
  info->add_flag("--json", json, "Print one JSON object");

  CLI11_PARSE(app, argc, argv);

  lensara::Host host(options);
  host.LoadPlugins(PluginFolder(pluginOption));
  if (*info) lensara::WriteInfo(host, json, std::cout);
  return 0;
}
