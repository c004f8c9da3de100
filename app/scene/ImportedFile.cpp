#include "ImportedFile.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/postprocess.h>

#include <pthread.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

#include "app/core/Error.h"
#include "app/core/Files.h"

namespace lensara {

namespace {

// Opens regular files only, also for the files a mesh file names (an OBJ's materials, a
// glTF's buffers): a FIFO would block the import and a directory read as an empty file.
// (Assimp's own Exists opens the file to see whether it is there.)
class RegularFilesOnly : public Assimp::DefaultIOSystem {
public:
  bool Exists(const char* file) const override
  {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
  }
  Assimp::IOStream* Open(const char* file, const char* mode) override
  {
    return Exists(file) ? DefaultIOSystem::Open(file, mode) : nullptr;
  }
};

// Room for Assimp's readers and its scene's destructor, which recurse once per level of a
// file's hierarchy, some 1 to 3 KiB a level: far more than kMaxNodeDepth levels need, for
// the kinds of files CheckMeshFileDepth cannot see into. Only the pages used are taken.
constexpr std::size_t kImportStackBytes = 256u << 20;

}  // namespace

ImportedFile::ImportedFile(const std::filesystem::path& file) : file(file)
{
  CheckReadable(file);
  gltf = CheckMeshFileDepth(file);
  importer.SetIOHandler(new RegularFilesOnly);  // the importer owns it
  try {
    scene = importer.ReadFile(file.string(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
  } catch (const std::exception& e) {
    throw RefusedMeshFile(file, e.what());
  }
  if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode)
    throw RefusedMeshFile(file, importer.GetErrorString());
}

void OnImportStack(const std::filesystem::path& file, const std::function<void()>& work)
{
  struct Call {
    const std::function<void()>& work;
    std::exception_ptr thrown;
  } call{work, nullptr};
  auto run = [](void* p) -> void* {
    auto& c = *static_cast<Call*>(p);
    try {
      c.work();
    } catch (...) {
      c.thrown = std::current_exception();
    }
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kImportStackBytes);
  pthread_t thread;
  int failed = pthread_create(&thread, &attributes, run, &call);
  pthread_attr_destroy(&attributes);
  if (failed == EAGAIN || failed == ENOMEM) throw std::bad_alloc();  // no room for the stack
  if (failed) throw RefusedMeshFile(file, std::string("no thread to read it on: ") + std::strerror(failed));
  pthread_join(thread, nullptr);
  if (call.thrown) std::rethrow_exception(call.thrown);
}

}  // namespace lensara
