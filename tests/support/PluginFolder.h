// The built plug-in folder, and copies of the Lensara plug-in with altered resources.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "app/core/PluginLibrary.h"

// Where the build puts the plug-in (liblensara.so, lensara.cdl64 or lensara.cdl) and its resources.
inline std::filesystem::path BuiltPluginFolder() { return LENSARA_TEST_PLUGIN_DIR; }
inline std::filesystem::path BuiltLensaraFolder() { return BuiltPluginFolder() / "lensara"; }

// Copies the built Lensara plug-in folder into dir/lensara and returns that folder.
inline std::filesystem::path CopyLensara(const std::filesystem::path& dir)
{
  std::filesystem::path target = dir / "lensara";
  std::filesystem::copy(BuiltLensaraFolder(), target, std::filesystem::copy_options::recursive);
  return target;
}

inline void WriteFile(const std::filesystem::path& file, const std::string& text)
{
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

// Installs the stand-in hair renderer (video post 1017325) with its description in dir/hair.
inline void InstallHairStandIn(const std::filesystem::path& dir)
{
  std::filesystem::create_directories(dir / "hair");
  std::filesystem::copy_file(LENSARA_TEST_HAIR_LIBRARY, dir / "hair" / (std::string("libhair") + lensara::kPluginExtension));
  WriteFile(dir / "hair" / "res" / "description" / "vphair.json", R"({"name": "vphair", "groups": []})");
}
