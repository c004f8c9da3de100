// Removing every object of one type from a document while keeping its children.
#pragma once

#include "host/c4d.h"

// Deletes every object of type in doc. The children of a deleted object take its place,
// in reverse order, right behind it, where they stood in the world.
void DeleteObjectsOfType(BaseDocument* doc, Int32 type);

// Does the same for op and its subtree; op becomes null when op itself was deleted.
void DeleteObjectsOfTypeRec(BaseObject*& op, Int32 type);

// Deletes what would disturb a depth render, keeping children, in this order: lights,
// environment, sky, sun and sky, foreground (kept when not kDeletesType200000118).
void DeleteDisturbingObjects(BaseDocument* doc);

// Takes the first object of that name out of doc and frees it; false when there is none.
Bool DeleteObjectNamed(BaseDocument* doc, const char* name);
