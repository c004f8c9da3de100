#include "FunctionTable.h"

#include <cstdlib>

#include "Container.h"
#include "Error.h"
#include "Host.h"
#include "Node.h"
#include "Resource.h"
#include "StringHandles.h"
#include "TableHandles.h"
#include "Value.h"

namespace lensara {

namespace {

Resource* R(HstResource r) { return reinterpret_cast<Resource*>(r); }

// --- memory

void* MemoryAlloc(size_t size) { return MayAllocate() ? std::malloc(size) : nullptr; }
void MemoryFree(void* block) { std::free(block); }

const HstMemoryTable kMemory = {MemoryAlloc, MemoryFree};

// --- plug-ins and resources

int32_t VersionType() { return Host::Active() ? Host::Active()->ProductKind() : 1; }

HstBool RegisterVideoPost(const HstVideoPostRegistration* registration)
{
  if (!registration || !Host::Active()) return false;
  return Guarded([registration] { return Host::Active()->RegisterVideoPost(*registration); }, false);
}

// Adds a problem to the report of the plug-in that is starting, when memory allows.
void NoteProblem(const char* problem)
{
  if (Host::Active()) Guarded([problem] { Host::Active()->NotePluginProblem(problem); });
}

HstResource LoadResource(HstFilename folder)
{
  if (!folder || !MayAllocate()) return nullptr;
  try {
    return reinterpret_cast<HstResource>(new Resource(Resource::Load(FromHandle(folder)->text)));
  } catch (const std::exception& e) {
    NoteProblem(e.what());
    return nullptr;
  }
}

void FreeResource(HstResource r) { delete R(r); }

HstBool LoadString(HstResource r, int32_t id, HstString out)
{
  const std::string* text = r ? R(r)->String(id) : nullptr;
  return Guarded(
      [&] {
        if (out) FromHandle(out)->text = text ? *text : std::string();
        return text != nullptr;
      },
      false);
}

const HstPluginTable kPlugin = {VersionType, RegisterVideoPost, LoadResource, FreeResource, LoadString};

// --- strings and file names

template <class T, class H>
struct TextSection {
  static H Alloc() { return ToHandle(NewHostObject<T>()); }
  static void Free(H h) { delete FromHandle(h); }
  static std::string* Text(H h) { return &FromHandle(h)->text; }
  static void Set(H h, const char* utf8)
  {
    if (h) Guarded([&] { *Text(h) = utf8 ? utf8 : ""; });
  }
  static const char* Get(H h) { return h ? Text(h)->c_str() : ""; }
};

using Strings = TextSection<StringValue, HstString>;
using Filenames = TextSection<FilenameValue, HstFilename>;

const HstStringTable kString = {Strings::Alloc, Strings::Free, Strings::Set, Strings::Get};
const HstFilenameTable kFilename = {Filenames::Alloc, Filenames::Free, Filenames::Set, Filenames::Get};

// --- values

HstData DataAlloc() { return reinterpret_cast<HstData>(NewHostObject<Value>()); }
void DataFree(HstData d) { delete V(d); }
void DataCopy(HstData dst, HstData src)
{
  if (dst) Guarded([&] { *V(dst) = src ? *V(src) : Value(); });
}
int32_t DataType(HstData d) { return d ? V(d)->TypeCode() : HST_DATA_NONE; }
void DataSetLong(HstData d, int32_t v)
{
  if (d) *V(d) = Value(v);
}
void DataSetReal(HstData d, double v)
{
  if (d) *V(d) = Value(v);
}
void DataSetString(HstData d, const char* utf8)
{
  if (d) Guarded([&] { *V(d) = Value(std::string(utf8 ? utf8 : "")); });
}
int32_t DataGetLong(HstData d) { return d ? V(d)->ToLong() : 0; }
double DataGetReal(HstData d) { return d ? V(d)->ToReal() : 0.0; }
const char* DataGetString(HstData d) { return d ? V(d)->ToString().c_str() : ""; }

const HstDataTable kData = {DataAlloc,        DataFree,         DataCopy,         DataType,        DataSetLong,
                            DataSetReal,      DataSetString,    DataGetLong,      DataGetReal,     DataGetString,
                            DataSetVector,    DataSetMatrix,    DataGetVector,    DataGetMatrix,   DataSetLink,
                            DataGetLink,      DataSetContainer, DataGetContainer, DataSetInExclude, DataSetGradient,
                            DataGetInExclude, DataGetGradient};

// --- containers

// Sets key of c to a copy of v (none when v is null); false when memory runs short.
HstBool SetData(Container& c, int32_t key, HstData v)
{
  return Guarded([&] { return (c.Set(key, v ? *V(v) : Value()), true); }, false);
}

// Sets key of c to value; nothing changes when c is null or memory runs short.
void SetKey(HstContainer c, int32_t key, Value value)
{
  if (c) Guarded([&] { C(c)->Set(key, std::move(value)); });
}

HstContainer ContainerAlloc() { return reinterpret_cast<HstContainer>(NewHostObject<Container>()); }
void ContainerFree(HstContainer c) { delete C(c); }
void ContainerCopy(HstContainer dst, HstContainer src)
{
  if (dst) Guarded([&] { *C(dst) = src ? *C(src) : Container(); });
}
int32_t ContainerGetLong(HstContainer c, int32_t key, int32_t preset) { return c ? C(c)->GetLong(key, preset) : preset; }
double ContainerGetReal(HstContainer c, int32_t key, double preset) { return c ? C(c)->GetReal(key, preset) : preset; }
void ContainerSetLong(HstContainer c, int32_t key, int32_t v) { SetKey(c, key, Value(v)); }
void ContainerSetReal(HstContainer c, int32_t key, double v) { SetKey(c, key, Value(v)); }
HstBool ContainerGetData(HstContainer c, int32_t key, HstData out)
{
  const Value* v = c ? C(c)->Find(key) : nullptr;
  if (!v) return false;
  return !out || Guarded([&] { return (*V(out) = *v, true); }, false);
}
void ContainerSetData(HstContainer c, int32_t key, HstData v)
{
  if (c) SetData(*C(c), key, v);
}
HstBool ContainerRemove(HstContainer c, int32_t key) { return c && C(c)->Remove(key); }
int32_t ContainerCount(HstContainer c) { return c ? static_cast<int32_t>(C(c)->Entries().size()) : 0; }
int32_t ContainerKeyAt(HstContainer c, int32_t index)
{
  if (!c || index < 0 || index >= ContainerCount(c)) return 0;
  return C(c)->Entries()[index].first;
}

const HstContainerTable kContainer = {ContainerAlloc,   ContainerFree,    ContainerCopy,    ContainerGetLong,
                                      ContainerGetReal, ContainerSetLong, ContainerSetReal, ContainerGetData,
                                      ContainerSetData, ContainerRemove,  ContainerCount,   ContainerKeyAt,
                                      ContainerGetContainerInstance,      ContainerGetInExclude,
                                      ContainerGetGradient};

// --- nodes

int32_t NodeType(HstNode n) { return n ? N(n)->Type() : 0; }
HstContainer NodeData(HstNode n) { return n ? reinterpret_cast<HstContainer>(&N(n)->Data()) : nullptr; }
void NodeGetName(HstNode n, HstString out)
{
  if (out) Guarded([&] { FromHandle(out)->text = n ? N(n)->Name() : std::string(); });
}
void NodeSetName(HstNode n, const char* utf8)
{
  if (n) Guarded([&] { N(n)->SetName(utf8 ? utf8 : ""); });
}
HstBool NodeMessage(HstNode n, int32_t type, void* data) { return n && N(n)->Message(type, data); }

// Parameters of the host's nodes are their container keys: single-level ids only.
HstBool NodeSetParameter(HstNode n, const HstDescID* id, HstData v, int32_t)
{
  if (!n || !id || id->depth != 1) return false;
  return SetData(N(n)->Data(), id->level[0].id, v);
}
HstBool NodeGetParameter(HstNode n, const HstDescID* id, HstData out, int32_t)
{
  if (!n || !id || id->depth != 1) return false;
  return ContainerGetData(NodeData(n), id->level[0].id, out);
}

const HstNodeTable kNode = {NodeType,       NodeData,       NodeGetName,  NodeSetName, NodeMessage,
                            NodeSetParameter, NodeGetParameter, NodeAlloc,  NodeFree,    NodeClone,
                            NodeUp,         NodeNext,       NodePred,     NodeFirstIn, NodeInsert,
                            NodeInsertAfter, NodeRemove,    NodeDocument, NodeDirty, NodeMakeNameUnique};

}  // namespace

std::shared_ptr<const C4DOS> MakeFunctionTable(int32_t version)
{
  auto table = std::make_shared<C4DOS>();
  table->version = version;
  table->memory = &kMemory;
  table->plugin = &kPlugin;
  table->string = &kString;
  table->filename = &kFilename;
  table->data = &kData;
  table->container = &kContainer;
  table->node = &kNode;
  table->document = &kDocumentTable;
  table->object = &kObjectTable;
  table->material = &kMaterialTable;
  table->custom = &kCustomDataTable;
  table->bitmap = &kBitmapTable;
  table->render_call = &kRenderCallTable;
  table->multipass = &kMultipassTable;
  table->renderer = &kRendererTable;
  table->render = &kRenderTable;
  table->dialog = &kDialogTable;
  return table;
}

}  // namespace lensara
