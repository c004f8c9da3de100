// The lensara command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/cli/Blur.h"
#include "app/cli/Info.h"
#include "app/cli/InterruptBreak.h"
#include "app/cli/ProgressBar.h"
#include "app/cli/Scene.h"
#include "app/core/Error.h"
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

// Runs `lensara blur`: 0 when the output is written, 1 on an error, 130 after Ctrl-C.
int Blur(const lensara::Host& host, const lensara::BlurOptions& options)
{
  try {
    lensara::InterruptBreak interrupt;
    bool written;
    {
      lensara::ProgressBar progress;
      written = lensara::RunBlur(host, options, &interrupt, &progress);
    }
    if (written) return 0;
    std::cerr << "lensara blur: interrupted; " << options.output.string() << " was not written\n";
    return 130;
  } catch (const lensara::Error& e) {
    std::cerr << "lensara blur: " << e.what() << "\n";
    return 1;
  }
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

  lensara::BlurOptions blurOptions;
  CLI::App* blur = app.add_subcommand("blur", "Blur an image by a blur map with the effect's filters (PNG in and out)");
  blur->add_option("IMAGE", blurOptions.image, "Image to blur")->required();
  blur->add_option("MAP", blurOptions.map, "Blur map of the same size: 0 sharp .. 255 fully blurred")->required();
  blur->add_option("-o,--output", blurOptions.output, "Output image")->required();
  blur->add_option("--filter", blurOptions.filter, "Filter (default gaussian)")
      ->check(CLI::IsMember(lensara::BlurFilters()));
  blur->add_option("--radius", blurOptions.radius, "Radius in pixels (default 3)")->check(CLI::Range(-100000, 100000));
  blur->add_option("--passes", blurOptions.passes, "Number of filter passes (default 1)")->check(CLI::Range(0, 10000));
  blur->add_flag("--depth-aware", blurOptions.depthAware, "Leave out neighbours less blurred than the pixel");
  blur->add_flag("--blend", blurOptions.blend, "Blend the filtered and the sharp image by the map");

  CLI11_PARSE(app, argc, argv);

  lensara::Host host(options);
  if (*blur) return Blur(host, blurOptions);
  host.LoadPlugins(PluginFolder(pluginOption));
  if (*info) lensara::WriteInfo(host, json, std::cout);
  if (*check) return lensara::CheckScene(checkFile, std::cout, std::cerr);
  if (*convert) return lensara::ConvertScene(convertIn, convertOut, std::cerr);
  return 0;
}
