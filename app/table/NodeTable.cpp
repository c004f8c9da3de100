// The node section: every scene node (C4DAtom, GeListNode, BaseList2D). Every function
// accepts null handles and never throws: host failures become null or false results.
#include "Sections.h"
#include "TableHandles.h"
#include "app/core/NodeTypes.h"

namespace lensara {

namespace {

HstNode Release(std::unique_ptr<Node> n) { return n ? n.release()->Handle() : nullptr; }

int32_t NodeGetType(HstNode n) { return n ? N(n)->Type() : 0; }
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
  return GetData(N(n)->Data(), id->level[0].id, out);
}

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

HstNodeTable MakeNodeSection()
{
  HstNodeTable t{};
  t.size = sizeof t;
  t.type = NodeGetType;
  t.data = NodeData;
  t.get_name = NodeGetName;
  t.set_name = NodeSetName;
  t.message = NodeMessage;
  t.set_parameter = NodeSetParameter;
  t.get_parameter = NodeGetParameter;
  t.alloc = NodeAlloc;
  t.free = NodeFree;
  t.clone = NodeClone;
  t.up = NodeUp;
  t.next = NodeNext;
  t.pred = NodePred;
  t.first_in = NodeFirstIn;
  t.insert = NodeInsert;
  t.insert_after = NodeInsertAfter;
  t.remove = NodeRemove;
  t.document = NodeDocument;
  t.dirty = NodeDirty;
  t.make_name_unique = NodeMakeNameUnique;
  return t;
}

}  // namespace

const HstNodeTable* NodeSection()
{
  static const HstNodeTable section = MakeNodeSection();
  return &section;
}

}  // namespace lensara
