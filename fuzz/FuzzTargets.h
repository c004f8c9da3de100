// What each fuzz target does with one input. The libFuzzer targets call these, and the
// tests run them on the inputs kept in fuzz/regressions. Errors an input deserves are no
// fault; a fault the sanitizers cannot see (a round trip that changes the text, a mesh
// naming points it lacks) aborts with a message.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lensara {

// Reads the bytes as a scene file beside the examples (so that "meshes/vase.obj" names
// theirs); when it loads, writes it, reads that back and writes it again: the two writes
// must be identical. Needs an active Host with the plug-ins loaded.
void FuzzSceneRoundTrip(const uint8_t* data, std::size_t size);

// Imports the bytes as a scene of meshes from a mesh file, glTF binary, glTF, PLY, STL or
// OBJ by their first bytes; every triangle must name points of its mesh, and the scene
// must write and read back as a scene file does.
void FuzzMeshImport(const uint8_t* data, std::size_t size);

// Reads the bytes as an image file with every reader the blur command has: the header's
// size, then the picture, the layered picture and the depth, each of which must be of that
// size.
void FuzzImageRead(const uint8_t* data, std::size_t size);

}  // namespace lensara
