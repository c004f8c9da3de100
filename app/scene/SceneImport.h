// A glTF as a whole scene (docs/scene-format.md, "glTF scenes"): its node hierarchy as
// objects, meshes as polygon objects, cameras, lights and its first animation as tracks.
// Internal to the mesh import.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ImportedFile.h"
#include "app/core/Document.h"

namespace lensara {

// The scene of imported, a glTF, at time 0 with the document's default fps. What it
// approximates is added to warnings when given. Throws Error naming the file for what a
// scene cannot hold (numbers that are not finite, nodes nested deeper than kMaxSceneDepth).
std::unique_ptr<Document> ImportGltfScene(const ImportedFile& imported, std::vector<std::string>* warnings);

// The deepest node hierarchy a glTF scene may have: a scene file nests two JSON levels per
// level of objects and holds no more than 256.
constexpr int kMaxSceneDepth = 100;

// glTF's unit is the metre, the host's the centimetre: positions and points are scaled.
constexpr double kCentimetresPerMetre = 100.0;

}  // namespace lensara
