#include "DeleteObjectsOfType.h"

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

}  // namespace

void DeleteObjectsOfType(BaseDocument* doc, Int32 type)
{
  BaseObject* current = doc->GetFirstObject();
  while (current) {
    BaseObject* next = current->GetNext();
    DeleteObjectsOfTypeRec(current, type);
    if (!current) next = doc->GetFirstObject();  // a deletion restarts the walk
    current = next;
  }
}

void DeleteObjectsOfTypeRec(BaseObject*& op, Int32 type)
{
  if (!op) return;
  Bool doomed = op->GetType() == type;
  if (doomed) PromoteChildren(op);
  BaseObject* child = op->GetDown();
  while (child) {
    BaseObject* next = child->GetNext();
    DeleteObjectsOfTypeRec(child, type);
    if (!child) next = op->GetDown();  // a deletion restarts the walk
    child = next;
  }
  if (!doomed) return;
  op->Remove();
  BaseObject::Free(op);
}
