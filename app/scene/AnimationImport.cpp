#include "AnimationImport.h"

#include <algorithm>
#include <cmath>

#include "Json.h"
#include "SceneImport.h"
#include "app/core/Geometry.h"

namespace lensara {

namespace {

// Rotations are keyed at every frame between their keys, or more sparsely where a track
// would otherwise get more keys than this.
constexpr double kMaxSampledKeys = 10000.0;

Interpolation HostInterpolation(GltfSampler sampler)
{
  switch (sampler) {
    case GltfSampler::Step: return Interpolation::Step;
    case GltfSampler::Linear: return Interpolation::Linear;
    default: return Interpolation::Smooth;
  }
}

// Rotations are interpolated in double precision, so that the frame keys between two
// keys hold no more rounding than the keys themselves.
using Quaternion = aiQuaterniont<double>;

// q's rotation in the host's frame as heading, pitch and bank.
Vector HostAngles(const Quaternion& q)
{
  Vector position, rotation, scale;
  DecomposeMatrix(ToHost(aiMatrix4x4t<double>(q.GetMatrix())), position, rotation, scale);
  return rotation;
}

double Unwound(double angle, double near) { return angle + 2.0 * kPi * std::round((near - angle) / (2.0 * kPi)); }

Vector Unwound(const Vector& a, const Vector& near)
{
  return {Unwound(a.x, near.x), Unwound(a.y, near.y), Unwound(a.z, near.z)};
}

// q's rotation as the angles nearest to near: of the two triples that make it, (h, p, b)
// and (h + 180, 180 - p, b + 180), the nearer one, each angle moved by whole turns toward
// near's, so that the track turns the short way from one key to the next.
Vector NearestAngles(const Quaternion& q, const Vector& near)
{
  Vector a = HostAngles(q);
  Vector first = Unwound(a, near), second = Unwound({a.x + kPi, kPi - a.y, a.z + kPi}, near);
  auto distance = [&near](const Vector& v) { return Length(v - near); };
  return distance(second) < distance(first) ? second : first;
}

// A key's rotation, normalised.
Quaternion Normalized(const aiQuaternion& q) { return Quaternion(q.w, q.x, q.y, q.z).Normalize(); }

}  // namespace

AnimationImport::AnimationImport(const ImportedFile& imported, const GltfDetails& details, double fps)
    : imported(imported), details(details)
{
  const aiScene& scene = imported.Scene();
  if (scene.mNumAnimations == 0) return;
  const aiAnimation& animation = *scene.mAnimations[0];
  framesPerTick = fps / (animation.mTicksPerSecond > 0.0 ? animation.mTicksPerSecond : 1.0);
  for (unsigned i = 0; i < animation.mNumChannels; ++i)
    channels.emplace(animation.mChannels[i]->mNodeName.C_Str(), animation.mChannels[i]);
}

bool AnimationImport::Animates(const aiNode& node) const
{
  std::string name = node.mName.C_Str();
  return channels.count(name) && (details.Channel(name, "translation") || details.Channel(name, "rotation") ||
                                  details.Channel(name, "scale"));
}

std::vector<Track> AnimationImport::TracksOf(const aiNode& node)
{
  std::vector<Track> tracks;
  auto found = channels.find(node.mName.C_Str());
  if (found == channels.end()) return tracks;
  const aiNodeAnim& channel = *found->second;
  auto add = [&](const char* path, TrackTarget::Part part, auto keysOf) {
    const GltfSampler* sampler = details.Channel(node.mName.C_Str(), path);
    if (!sampler) return;
    cubicChannels += *sampler == GltfSampler::CubicSpline;
    sampledRotations += part == TrackTarget::Part::Rotation && *sampler != GltfSampler::Step;
    std::vector<TrackKey> keys = keysOf(*sampler);
    if (!keys.empty()) tracks.emplace_back(TrackTarget{part, 0, -1}, std::move(keys));
  };
  add("translation", TrackTarget::Part::Position, [&](GltfSampler s) {
    return VectorKeys(channel.mPositionKeys, channel.mNumPositionKeys, true, s, node);
  });
  add("rotation", TrackTarget::Part::Rotation, [&](GltfSampler s) { return RotationKeys(channel, s, node); });
  add("scale", TrackTarget::Part::Scale, [&](GltfSampler s) {
    return VectorKeys(channel.mScalingKeys, channel.mNumScalingKeys, false, s, node);
  });
  return tracks;
}

std::vector<std::string> AnimationImport::Warnings() const
{
  std::vector<std::string> warnings;
  std::string file = imported.File().string();
  if (details.AnimationCount() > 1)
    warnings.push_back(file + ": only the first of its " + std::to_string(details.AnimationCount()) +
                       " animations is imported");
  std::vector<std::string> changes;
  auto counted = [](int n) { return " (" + std::to_string(n) + (n == 1 ? " channel)" : " channels)"); };
  if (cubicChannels)
    changes.push_back("cubic-spline tangents dropped, curves smooth through the keys" + counted(cubicChannels));
  if (sampledRotations)
    changes.push_back("rotations keyed at every frame and interpolated as heading, pitch and bank between frames" +
                      counted(sampledRotations));
  if (!changes.empty())
    warnings.push_back(file + ": animation approximated: " + changes.front() +
                       (changes.size() > 1 ? "; " + changes.back() : std::string()));
  return warnings;
}

// Translations are mirrored into the host's frame and scaled to centimetres; scales are kept.
std::vector<TrackKey> AnimationImport::VectorKeys(const aiVectorKey* keys, unsigned count, bool translation,
                                                  GltfSampler sampler, const aiNode& node) const
{
  std::vector<TrackKey> made;
  for (unsigned i = 0; i < count; ++i) {
    const aiVector3D& v = keys[i].mValue;
    AddKey(made, keys[i].mTime * framesPerTick, translation ? ToHost(v) * kCentimetresPerMetre : Vector(v.x, v.y, v.z),
           HostInterpolation(sampler), node);
  }
  return made;
}

// Step rotations keep their keys. Others are keyed at every frame between them (the first
// key's frame plus whole frames), each key the slerp of the two around it, and interpolated
// linearly between these frame keys: per-angle interpolation between keys far apart would
// turn along another path than the quaternions' shortest arc.
std::vector<TrackKey> AnimationImport::RotationKeys(const aiNodeAnim& channel, GltfSampler sampler,
                                                    const aiNode& node) const
{
  std::vector<TrackKey> made;
  unsigned count = channel.mNumRotationKeys;
  if (count == 0) return made;
  const aiQuatKey* keys = channel.mRotationKeys;
  bool stepped = sampler == GltfSampler::Step;
  Interpolation interpolation = stepped ? Interpolation::Step : Interpolation::Linear;
  double span = 0.0;  // the frames between keys, summed: bounds the keys made below
  for (unsigned i = 0; i + 1 < count; ++i) span += std::max(0.0, (keys[i + 1].mTime - keys[i].mTime) * framesPerTick);
  double step = std::max(1.0, std::ceil(span / kMaxSampledKeys));
  Vector angles = HostAngles(Normalized(keys[0].mValue));
  for (unsigned i = 0; i < count; ++i) {
    double f0 = keys[i].mTime * framesPerTick;
    Quaternion q0 = Normalized(keys[i].mValue);
    angles = NearestAngles(q0, angles);
    AddKey(made, f0, angles, interpolation, node);
    if (stepped || i + 1 == count) continue;
    double f1 = keys[i + 1].mTime * framesPerTick;
    Quaternion q1 = Normalized(keys[i + 1].mValue);
    for (double j = 1.0, f = f0 + step; f < f1; f = f0 + ++j * step) {
      Quaternion q;
      Quaternion::Interpolate(q, q0, q1, (f - f0) / (f1 - f0));
      angles = NearestAngles(q.Normalize(), angles);
      AddKey(made, f, angles, interpolation, node);
    }
  }
  return made;
}

void AnimationImport::AddKey(std::vector<TrackKey>& keys, double frame, const Vector& value,
                             Interpolation interpolation, const aiNode& node) const
{
  if (!std::isfinite(frame) || !IsFinite(value))
    throw RefusedMeshFile(imported.File(), "a key of the animation of node \"" + ValidUtf8(node.mName.C_Str()) +
                                               "\" is not a finite number");
  if (keys.empty() || frame > keys.back().frame) keys.push_back({frame, Value(value), interpolation});
}

}  // namespace lensara
