#include "DeleteObjectsOfType.h"

#include "plugins/dof/PlatformBehaviour.h"

namespace {

// Moves every child of op out to op's level, right behind op, unmoved in the world.
void PromoteChildren(BaseObject* op)
{
  while (BaseObject* child = op->GetDown()) {
    Matrix mg = child->GetMg();
    child->Remove();
    child->InsertAfter(op);
    child->SetMg(mg);
  }
}

// Deletes the objects of type among first() and its followers and in their subtrees.
// A deletion restarts the walk at first(), as it moves the deleted object's children.
template <class First>
void DeleteAmong(First first, Int32 type)
{
  BaseObject* current = first();
  while (current) {
    BaseObject* next = current->GetNext();
    DeleteObjectsOfTypeRec(current, type);
    if (!current) next = first();
    current = next;
  }
}

}  // namespace

void DeleteObjectsOfType(BaseDocument* doc, Int32 type)
{
  DeleteAmong([doc] { return doc->GetFirstObject(); }, type);
}

void DeleteObjectsOfTypeRec(BaseObject*& op, Int32 type)
{
  if (!op) return;
  if (op->GetType() != type) {
    DeleteAmong([op] { return op->GetDown(); }, type);
    return;
  }
  PromoteChildren(op);
  op->Remove();
  BaseObject::Free(op);
}

void DeleteDisturbingObjects(BaseDocument* doc)
{
  for (Int32 type : {kLight, kEnvironment, kSky, kSun}) DeleteObjectsOfType(doc, type);
  if (kDeletesType200000118) DeleteObjectsOfType(doc, kForeground);
}

Bool DeleteObjectNamed(BaseDocument* doc, const char* name)
{
  BaseObject* op = doc->SearchObject(String(name));
  if (!op) return false;
  op->Remove();
  BaseObject::Free(op);
  return true;
}
