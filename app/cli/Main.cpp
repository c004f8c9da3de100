// The lensara command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/cli/Info.h"
#include "app/cli/Scene.h"
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

  CLI::App* scene = app.add_subcommand("scene", "Check and convert scene files");
  scene->require_subcommand(1);
  std::string checkFile, convertIn, convertOut;
  CLI::App* check = scene->add_subcommand("check", "Load a scene or mesh file and print its objects");
  check->add_option("FILE", checkFile, "Scene file (.json) or mesh file (.obj, .gltf, ...)")->required();
  CLI::App* convert = scene->add_subcommand("convert", "Load a scene or mesh file and write it as a scene file");
  convert->add_option("IN", convertIn, "Scene file (.json) or mesh file (.obj, .gltf, ...)")->required();
  convert->add_option("OUT", convertOut, "Scene file to write")->required();

  CLI11_PARSE(app, argc, argv);

  lensara::Host host(options);
  host.LoadPlugins(PluginFolder(pluginOption));
  if (*info) lensara::WriteInfo(host, json, std::cout);
  if (*check) return lensara::CheckScene(checkFile, std::cout, std::cerr);
  if (*convert) return lensara::ConvertScene(convertIn, convertOut, std::cerr);
  return 0;
}
