// The host's non-throwing allocator for the plug-in's own objects.
#pragma once

#include <new>
#include <utility>

#include "Binding.h"

// Constructs a T in memory from the host; null when memory is short.
template <class T, class... Args>
T* NewObj(Args&&... args)
{
  void* block = gC4DOS->memory->alloc(sizeof(T));
  if (!block) return nullptr;
  return new (block) T(std::forward<Args>(args)...);
}

// Destroys an object from NewObj, returns its memory to the host and clears the pointer.
template <class T>
void DeleteObj(T*& object)
{
  if (!object) return;
  object->~T();
  gC4DOS->memory->free(object);
  object = nullptr;
}

// Raw blocks from the host; null when memory is short.
inline void* MemAlloc(std::size_t size) { return gC4DOS->memory->alloc(size); }
inline void MemFree(void* block) { gC4DOS->memory->free(block); }
