#include "Lensara.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "app/cli/Blur.h"
#include "app/cli/Command.h"
#include "app/cli/CommandLine.h"
#include "app/cli/Info.h"
#include "app/cli/Params.h"
#include "app/cli/Preview.h"
#include "app/cli/Render.h"
#include "app/cli/Scene.h"
#include "app/cli/TerminalRuns.h"
#include "app/core/Host.h"
#include "app/core/Signals.h"
#include "app/editor/Serve.h"
#include "app/image/ImageIO.h"
#include "app/session/NumberOptions.h"

namespace lensara {

int RunLensara(int argc, char** argv)
{
  if (int code = PlanAllocationFaults(); code >= 0) return code;
  CLI::App app{"Lensara: the depth-of-field post effect and its host application", "lensara"};
  app.require_subcommand(1);
  app.fallthrough();  // the global options may follow the command
  app.set_version_flag("--version", "lensara " LENSARA_VERSION " (host version " + std::to_string(HST_VERSION) + ")");
  app.footer(kExitCodeText);
  std::string pluginOption;
  HostOptions options;
  app.add_option("--plugins", pluginOption, "Plug-in folder (default: $LENSARA_PLUGINS, else plugins/ beside lensara)");
  app.add_option("--product-kind", options.productKind,
                 "Product kind the host reports (1 application; 8, 9, 10 render farm client, server, command line)")
      ->check(WholeNumberIn(0, 1000));
  int pngCompression = kDefaultPngCompression;
  app.add_option("--png-compression", pngCompression,
                 "zlib level of the PNGs written, 0 (none, fastest) .. 9 (smallest) (default " +
                     std::to_string(kDefaultPngCompression) + ")")
      ->check(WholeNumberIn(0, 9));

  bool json = false;
  CLI::App* info = app.add_subcommand("info", "List the host version, the product kind and every loaded plug-in");
  info->add_flag("--json", json, "Print one JSON object");

  CLI::App* scene = app.add_subcommand("scene", "Check and convert scene files");
  scene->require_subcommand(1);
  std::string checkFile, convertIn, convertOut;
  bool params = false;
  CLI::App* check = scene->add_subcommand("check", "Load a scene or mesh file and print its objects");
  check->add_option("FILE", checkFile, "Scene file (.json) or mesh file (.obj, .gltf, ...)")->required();
  check->add_flag("--params", params, "Also print the parameters of every video post as they were understood");
  CLI::App* convert = scene->add_subcommand("convert", "Load a scene or mesh file and write it as a scene file");
  convert->add_option("IN", convertIn, "Scene file (.json) or mesh file (.obj, .gltf, ...)")->required();
  convert->add_option("OUT", convertOut, "Scene file to write (.json)")->required();

  BlurOptions blurOptions;
  CLI::App* blur = app.add_subcommand("blur", "Blur an image by a blur map with the effect's filters");
  blur->add_option("IMAGE", blurOptions.image, "Image to blur (PNG, JPEG, TIFF or EXR)")->required();
  blur->add_option("--layer", blurOptions.layer,
                   "The EXR image's layer to blur (its <layer>.R/.G/.B; default: R, G, B, else a Combined layer, else the first layer with them)");
  blur->add_option("MAP", blurOptions.map, "Blur map of the same size, read from its red channel: 0 sharp .. 255 fully blurred "
                   "(or --depth)");
  blur->add_option("-o,--output", blurOptions.output,
                   "Output image: .png, .jpg, .tif or .exr (which keeps an EXR image's other channels and, with --depth, "
                   "adds the maps)")
      ->required();
  blur->add_option("--filter", blurOptions.filter, "Filter (default gaussian)")
      ->check(CLI::IsMember(BlurFilters()));
  blur->add_option("--radius", blurOptions.radius, "Radius in pixels (default 3; the limits of the effect's DOF_RADIUS apply)")
      ->check(kWholeNumber);
  blur->add_option("--passes", blurOptions.passes, "Number of filter passes (default 1; the limits of DOF_PASSES apply)")
      ->check(kWholeNumber);
  blur->add_flag("--depth-aware", blurOptions.depthAware, "Leave out neighbours less blurred than the pixel");
  blur->add_flag("--blend", blurOptions.blend, "Blend the filtered and the sharp image by the map");
  blur->add_option("--depth", blurOptions.depth,
                   "Instead of MAP: a depth pass (OpenEXR, single-channel TIFF of 32-bit floats or 16-bit integers, "
                   "16-bit grey PNG), the maps made by the effect's rules");
  blur->add_option("--depth-channel", blurOptions.depthChannel, "The EXR depth's channel (default Z, depth.Z or <layer>.Z)");
  blur->add_option("--depth-scale", blurOptions.depthScale,
                   "Scene units per depth value (needed for integer depth, whose 0 means no surface; default 1)")
      ->check(CLI::PositiveNumber);
  blur->add_option("--depth-kind", blurOptions.depthKind, "radial (distance from the camera, default) or planar (along the view axis)")
      ->check(CLI::IsMember({"radial", "planar"}));
  blur->add_option("--fov", blurOptions.fov, "Planar depth: the camera's horizontal field of view in degrees");
  blur->add_option("--focal-length", blurOptions.focalLength, "Planar depth: the camera's focal length in mm (with --aperture)");
  blur->add_option("--aperture", blurOptions.aperture, "Planar depth: the camera's aperture width in mm");
  blur->add_option("--params", blurOptions.params, "Take every DOF_ value from this scene's first Lensara effect");
  blur->add_option("--focus", blurOptions.focus, "Focus distance (DOF_FOCUS_DISTANCE)");
  blur->add_option("--front", blurOptions.front, "Front range START-END from the focus, or off");
  blur->add_option("--rear", blurOptions.rear, "Rear range START-END from the focus, or off");
  blur->add_flag("--dilate", blurOptions.dilate, "Dilate the front map (DOF_DILATE_DEPTH)");
  blur->add_option("--save-maps", blurOptions.saveMaps, "Folder for the three depth maps as PNGs");

  RenderOptions renderOptions;
  std::string frames;
  CLI::App* render = app.add_subcommand("render", "Render a scene file with its video posts into pictures");
  render->add_option("SCENE", renderOptions.scene, "Scene file (default: the demo, examples/still-life.json)");
  render->add_option("-o,--output", renderOptions.output, "Folder for the pictures (default: the current folder)");
  render->add_option("--set", renderOptions.sets,
                     "NAME=VALUE: an effect parameter (DOF_RADIUS=5, DOF_FILTER=DOF_FILTER_MEDIAN, DOF_CAMERA=Camera) "
                     "or a render setting (width=320) or the active camera's (focus_distance=800) before rendering, checked by the effect as in the attribute manager (its "
                     "corrections are reported); repeatable")
      ->allow_extra_args(false);
  CLI::Option* framesOption =
      render->add_option("--frames", frames,
                         "Frames A-B (or one frame A), every STEP-th with A-B:STEP, or a list of them (1,5,10-12), "
                         "each at frame / fps seconds; adds .0005 to file names")
          ->check(kFrameRange);
  std::string chunk;
  render->add_option("--chunk", chunk,
                     "Render only the K-th (from 0) of N near-equal contiguous parts of the frames, as one task of a "
                     "job array")
      ->check(kFrameChunk)
      ->needs(framesOption);
  render->add_flag("--skip-existing", renderOptions.skipExisting,
                   "Leave out every frame whose files a render wrote completely, to resume an interrupted one");
  render->add_option("--threads", renderOptions.threads, "Render threads (default: every core)")
      ->check(WholeNumberIn(1, 1024));
  render->add_flag("--layers", renderOptions.layers, "Also write every light and pass layer as a PNG");
  render->add_flag("--depth-pass", renderOptions.depthPass,
                   "Add to image.exr a Z channel: each pixel's distance from the camera (at the pixel's centre, "
                   "not anti-aliased; infinite where nothing is hit), for lensara blur --depth");
  render->add_option("--save-depth-scene", renderOptions.depthScene,
                     "Save the document of every render the effect makes (its depth scene) to this .json file");
  render->add_option("--save-depth-layers", renderOptions.depthLayers,
                     "Write the layers of every render the effect makes into this folder as PNGs");

  PreviewOptions previewOptions;
  CLI::App* preview = app.add_subcommand(
      "preview", "Press the preview button of the scene's effect and write the preview window as an image");
  preview->add_option("SCENE", previewOptions.scene, "Scene file (default: the demo, examples/still-life.json)");
  preview->add_option("-o,--output", previewOptions.output,
                      "Image of the window (336 x 303 pixels): .png, .jpg, .tif or .exr")
      ->required();
  preview->add_option("--set", previewOptions.sets,
                      "NAME=VALUE: an effect parameter or a render setting before the preview, as for render; "
                      "repeatable")
      ->allow_extra_args(false);
  preview->footer("The button is pressed on the first Lensara effect of the scene's active render settings, which "
                  "renders the depth image of a 320 x 240 copy of the scene into its preview window; the window's "
                  "status text is printed. With --product-kind 8, 9 or 10 the effect shows no preview and nothing "
                  "is written.");

  ParamsOptions paramsOptions;
  CLI::App* paramsCommand =
      app.add_subcommand("params", "Print the effect's parameters as the attribute manager shows them, greyed out or not");
  paramsCommand->add_option("SCENE", paramsOptions.scene, "Scene file (default: the demo, examples/still-life.json)");
  paramsCommand
      ->add_option("--set", paramsOptions.sets,
                   "NAME=VALUE: edit a parameter first, as in the attribute manager; the effect's corrections are "
                   "reported (DOF_FRONT_START 1500.0 became 1000.0); repeatable")
      ->allow_extra_args(false);
  paramsCommand->add_flag("--json", paramsOptions.json,
                          "Print one JSON array of {name, label, group, type, value, unit, min, max, step, "
                          "enabled, animated} (cycles also their \"choices\" and \"choice_labels\")");

  ServeOptions serveOptions;
  CLI::App* serve = AddServeCommand(app, serveOptions);

  if (int code = Parse(app, argc, argv); code >= 0) return code;
  if (!frames.empty()) renderOptions.frames = *ReadFrames(frames);
  if (!chunk.empty()) renderOptions.chunk = ReadChunk(chunk);
  SetPngCompression(pngCompression);

  SignalHandlers signals;  // a signal removes the temporaries of files being written
  // Loading the plug-ins is part of the command, so that short memory there ends it alike.
  int code = RunCommand(ChosenCommand(app), std::cerr, [&]() -> int {
    Host host(options);
    host.LoadPlugins(PluginFolder(pluginOption));
    if (!*info) ReportPlugins(host);
    if (*info) WriteInfo(host, json, std::cout);
    if (*blur)
      return BlurAtTerminal(
          host, blurOptions, DepthBlurEdits(blurOptions, [blur](const char* name) { return blur->count(name) > 0; }));
    if (*render) return RenderAtTerminal(host, renderOptions);
    if (*preview) return PreviewAtTerminal(host, previewOptions);
    if (*paramsCommand) ShowParams(host, paramsOptions, std::cout, std::cerr);
    if (*serve) RunServe(host, serveOptions, std::cout, std::cerr);
    if (*check) CheckScene(checkFile, params, std::cout, std::cerr);
    if (*convert) ConvertScene(convertIn, convertOut, std::cerr);
    return kExitSuccess;
  });
  ReportAllocationFaults();
  return code;
}

}  // namespace lensara
