// The function table's sections over the scene model. Every function accepts null
// handles and never throws: host failures become null or false results.
#include "Document.h"
#include "NodeTypes.h"
#include "TableHandles.h"

namespace lensara {

namespace {

Document* DocumentOf(HstNode n) { return n ? N(n)->GetDocument() : nullptr; }

Document* AsDocument(HstNode n)
{
  return n && N(n)->Type() == kDocument ? static_cast<Document*>(N(n)) : nullptr;
}

// The node of that identity in doc's document, or null.
HstNode Resolve(Identity target, HstNode doc)
{
  Document* d = DocumentOf(doc);
  return d && target ? ToHandle(d->Resolve(target)) : nullptr;
}

template <class T>
void Assign(HstData d, T value)
{
  if (d) Guarded([&] { *V(d) = Value(std::move(value)); });
}

HstNode Release(std::unique_ptr<Node> n) { return n ? n.release()->Handle() : nullptr; }

}  // namespace

// --- nodes

HstNode NodeAlloc(int32_t type)
{
  return Guarded([type] { return Release(CreateNode(type)); }, HstNode{});
}

void NodeFree(HstNode n)
{
  if (!n || N(n)->Pinned()) return;
  std::unique_ptr<Node> owned = N(n)->Unlink();
  if (!owned) delete N(n);
}

HstNode NodeClone(HstNode n, int32_t)
{
  if (!n) return nullptr;
  return Guarded([n] { return Release(N(n)->Clone()); }, HstNode{});
}

HstNode NodeUp(HstNode n) { return n ? ToHandle(N(n)->Up()) : nullptr; }
HstNode NodeNext(HstNode n) { return n ? ToHandle(N(n)->Next()) : nullptr; }
HstNode NodePred(HstNode n) { return n ? ToHandle(N(n)->Pred()) : nullptr; }
HstNode NodeFirstIn(HstNode n, int32_t branch) { return n ? ToHandle(N(n)->FirstIn(branch)) : nullptr; }

// Whether n may go into a list owned by owner: it is in none, is no document or pinned
// node, and owner does not lie inside it (which would make a cycle).
bool Insertable(HstNode n, Node* owner)
{
  return n && !N(n)->List() && !N(n)->Pinned() && N(n)->Type() != kDocument && owner && !owner->IsWithin(N(n));
}

HstBool NodeInsert(HstNode owner, int32_t branch, HstNode n, HstNode pred)
{
  if (!Insertable(n, N(owner)) || branch < HST_BRANCH_CHILDREN || branch > HST_BRANCH_RENDER_DATA) return false;
  if (pred && (!N(pred)->List() || N(pred)->List()->Owner() != N(owner) || N(pred)->List()->Kind() != branch))
    return false;
  return Guarded(
      [&] {
        N(owner)->Branch(branch).Insert(std::unique_ptr<Node>(N(n)), N(pred));
        return HstBool{true};
      },
      HstBool{false});
}

HstBool NodeInsertAfter(HstNode n, HstNode pred)
{
  if (!pred || !N(pred)->List() || !Insertable(n, N(pred)->List()->Owner())) return false;
  N(pred)->List()->Insert(std::unique_ptr<Node>(N(n)), N(pred));
  return true;
}

void NodeRemove(HstNode n)
{
  if (n) N(n)->Unlink().release();
}

HstNode NodeDocument(HstNode n) { return ToHandle(DocumentOf(n)); }
uint32_t NodeDirty(HstNode n) { return n ? N(n)->DirtyCount() : 0; }

void NodeMakeNameUnique(HstNode n)
{
  if (n) Guarded([&] { MakeNameUnique(*N(n)); });
}

// --- values

void DataSetVector(HstData d, HstVector v) { Assign(d, FromHst(v)); }
void DataSetMatrix(HstData d, HstMatrix m) { Assign(d, FromHst(m)); }

HstVector DataGetVector(HstData d)
{
  const Vector* v = d ? V(d)->GetVector() : nullptr;
  return ToHst(v ? *v : Vector{});
}

HstMatrix DataGetMatrix(HstData d)
{
  const Matrix* m = d ? V(d)->GetMatrix() : nullptr;
  return ToHst(m ? *m : Matrix{});
}

void DataSetLink(HstData d, HstNode n) { Assign(d, Link{n ? N(n)->GetIdentity() : 0}); }

HstNode DataGetLink(HstData d, HstNode doc)
{
  const Link* link = d ? V(d)->GetLink() : nullptr;
  return link ? Resolve(link->target, doc) : nullptr;
}

void DataSetContainer(HstData d, HstContainer c) { Assign(d, c ? *C(c) : Container()); }
HstContainer DataGetContainer(HstData d) { return d ? ToHandle(V(d)->GetContainer()) : nullptr; }
void DataSetInExclude(HstData d, HstInExclude l) { Assign(d, l ? *L(l) : InExclude()); }
void DataSetGradient(HstData d, HstGradient g) { Assign(d, g ? *G(g) : Gradient()); }
HstInExclude DataGetInExclude(HstData d) { return d ? ToHandle(V(d)->GetInExclude()) : nullptr; }
HstGradient DataGetGradient(HstData d) { return d ? ToHandle(V(d)->GetGradient()) : nullptr; }

// --- containers

namespace {
Value* LiveValue(HstContainer c, int32_t key) { return c ? C(c)->FindLive(key) : nullptr; }
}  // namespace

HstContainer ContainerGetContainerInstance(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetContainer()) : nullptr;
}

HstInExclude ContainerGetInExclude(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetInExclude()) : nullptr;
}

HstGradient ContainerGetGradient(HstContainer c, int32_t key)
{
  Value* v = LiveValue(c, key);
  return v ? ToHandle(v->GetGradient()) : nullptr;
}

// --- documents

namespace {

HstNode DocSearchObject(HstNode doc, const char* name)
{
  Document* d = AsDocument(doc);
  return d && name ? Guarded([&] { return ToHandle(d->SearchObject(name)); }, HstNode{}) : nullptr;
}

HstNode DocActiveRenderData(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->ActiveRenderData()) : nullptr;
}

void DocSetActiveRenderData(HstNode doc, HstNode rd)
{
  if (Document* d = AsDocument(doc)) d->SetActiveRenderData(N(rd));
}

HstNode DocActiveCamera(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->ActiveCamera()) : nullptr;
}

void DocSetActiveCamera(HstNode doc, HstNode camera)
{
  if (Document* d = AsDocument(doc)) d->SetActiveCamera(N(camera));
}

double DocGetTime(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? d->Time() : 0.0;
}

void DocSetTime(HstNode doc, double seconds)
{
  if (Document* d = AsDocument(doc)) d->SetTime(seconds);
}

HstNode DocRenderView(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->RenderView()) : nullptr;
}

HstNode DocSceneCamera(HstNode, HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->SceneCamera()) : nullptr;
}

// --- objects

HstMatrix ObjGetMatrix(HstNode op, int32_t which)
{
  if (!op) return ToHst(Matrix{});
  return ToHst(which == HST_MATRIX_GLOBAL ? N(op)->GlobalMatrix() : N(op)->LocalMatrix());
}

void ObjSetMatrix(HstNode op, int32_t which, HstMatrix m)
{
  if (!op) return;
  if (which == HST_MATRIX_GLOBAL)
    N(op)->SetGlobalMatrix(FromHst(m));
  else
    N(op)->SetLocalMatrix(FromHst(m));
}

HstVector ObjGetPlacement(HstNode op, int32_t which)
{
  if (!op) return ToHst(Vector{});
  switch (which) {
    case HST_PLACEMENT_POSITION: return ToHst(N(op)->Position());
    case HST_PLACEMENT_ROTATION: return ToHst(N(op)->Rotation());
    case HST_PLACEMENT_SCALE: return ToHst(N(op)->Scale());
    default: return ToHst(Vector{});
  }
}

void ObjSetPlacement(HstNode op, int32_t which, HstVector v)
{
  if (!op) return;
  switch (which) {
    case HST_PLACEMENT_POSITION: N(op)->SetPosition(FromHst(v)); break;
    case HST_PLACEMENT_ROTATION: N(op)->SetRotation(FromHst(v)); break;
    case HST_PLACEMENT_SCALE: N(op)->SetScale(FromHst(v)); break;
    default: break;
  }
}

// --- materials

HstChannel MatChannel(HstNode mat, int32_t number)
{
  if (!mat) return nullptr;
  return Guarded([&] { return reinterpret_cast<HstChannel>(N(mat)->Channel(number)); }, HstChannel{});
}

HstNode MatChannelShader(HstChannel ch)
{
  return ch ? ToHandle(reinterpret_cast<MaterialChannel*>(ch)->Shader()) : nullptr;
}

// --- custom data

bool InRange(int32_t index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

int32_t InExCount(HstInExclude l) { return l ? static_cast<int32_t>(L(l)->entries.size()) : 0; }

HstNode InExObject(HstInExclude l, HstNode doc, int32_t index)
{
  if (!l || !InRange(index, L(l)->entries.size())) return nullptr;
  return Resolve(L(l)->entries[index].target, doc);
}

int32_t InExFlags(HstInExclude l, int32_t index)
{
  return l && InRange(index, L(l)->entries.size()) ? L(l)->entries[index].flags : 0;
}

HstBool InExInsert(HstInExclude l, HstNode n, int32_t flags)
{
  if (!l || !n) return false;
  Identity id = N(n)->GetIdentity();
  for (InExclude::Entry& e : L(l)->entries) {
    if (e.target == id) {
      e.flags = flags;
      return true;
    }
  }
  return Guarded([&] { return (L(l)->entries.push_back({id, flags}), HstBool{true}); }, HstBool{false});
}

HstBool InExDelete(HstInExclude l, int32_t index)
{
  if (!l || !InRange(index, L(l)->entries.size())) return false;
  L(l)->entries.erase(L(l)->entries.begin() + index);
  return true;
}

int32_t GradKnotCount(HstGradient g) { return g ? static_cast<int32_t>(G(g)->knots.size()) : 0; }

HstGradientKnot GradKnot(HstGradient g, int32_t index)
{
  if (!g || !InRange(index, G(g)->knots.size())) return HstGradientKnot{};
  const GradientKnot& k = G(g)->knots[index];
  return HstGradientKnot{ToHst(k.col), k.brightness, k.pos, k.bias, k.index};
}

int32_t GradInsertKnot(HstGradient g, HstGradientKnot k)
{
  if (!g) return -1;
  GradientKnot knot{FromHst(k.col), k.brightness, k.pos, k.bias, k.index};
  return Guarded([&] { return (G(g)->knots.push_back(knot), GradKnotCount(g) - 1); }, -1);
}

HstBool GradRemoveKnot(HstGradient g, int32_t index)
{
  if (!g || !InRange(index, G(g)->knots.size())) return false;
  G(g)->knots.erase(G(g)->knots.begin() + index);
  return true;
}

}  // namespace

const HstDocumentTable kDocumentTable = {DocSearchObject, DocActiveRenderData, DocSetActiveRenderData,
                                         DocActiveCamera, DocSetActiveCamera,  DocGetTime,
                                         DocSetTime,      DocRenderView,       DocSceneCamera};
const HstObjectTable kObjectTable = {ObjGetMatrix, ObjSetMatrix, ObjGetPlacement, ObjSetPlacement};
const HstMaterialTable kMaterialTable = {MatChannel, MatChannelShader};
const HstCustomDataTable kCustomDataTable = {InExCount,    InExObject, InExFlags,      InExInsert,    InExDelete,
                                             GradKnotCount, GradKnot,  GradInsertKnot, GradRemoveKnot};

}  // namespace lensara
