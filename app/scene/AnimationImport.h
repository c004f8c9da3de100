// Animation tracks from a glTF's first animation: its translation, rotation and scale
// channels keyed at the document's frames (a time of t seconds is frame t x fps). Internal
// to the mesh import.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "GltfDetails.h"
#include "ImportedFile.h"
#include "app/core/Track.h"

namespace lensara {

class AnimationImport {
public:
  AnimationImport(const ImportedFile& imported, const GltfDetails& details, double fps);

  // True when the animation drives node's translation, rotation or scale.
  bool Animates(const aiNode& node) const;
  // A track for each part of node the animation drives, keyed as docs/scene-format.md
  // says ("glTF scenes"). Keys not after the one before are left out; a key whose time or
  // value is not a finite number is an Error naming the file.
  std::vector<Track> TracksOf(const aiNode& node);
  // What the tracks made so far approximate, one line for the file; none when nothing.
  std::vector<std::string> Warnings() const;

private:
  std::vector<TrackKey> VectorKeys(const aiVectorKey* keys, unsigned count, bool translation, GltfSampler sampler,
                                   const aiNode& node) const;
  std::vector<TrackKey> RotationKeys(const aiNodeAnim& channel, GltfSampler sampler, const aiNode& node) const;
  void AddKey(std::vector<TrackKey>& keys, double frame, const Vector& value, Interpolation interpolation,
              const aiNode& node) const;

  const ImportedFile& imported;
  const GltfDetails& details;
  std::map<std::string, const aiNodeAnim*> channels;  // of the first animation, by node name
  double framesPerTick = 0.0;
  int cubicChannels = 0;    // tangents dropped
  int sampledRotations = 0; // keyed at every frame
};

}  // namespace lensara
