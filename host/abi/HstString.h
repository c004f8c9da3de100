/* Strings and file names. Both are host-owned UTF-8 texts; a null handle reads as empty
   and ignores writes. */
#ifndef LENSARA_HST_STRING_H
#define LENSARA_HST_STRING_H

#include "HstHandles.h"

typedef struct HstStringTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new empty string owned by the caller, released with free; null when memory is short. */
  HstString (*alloc)(void);
  void (*free)(HstString s);
  /* Replaces the text of s with a copy of utf8 (null sets it empty). */
  void (*set)(HstString s, const char* utf8);
  /* The text of s, valid until s is next changed or freed; never null. */
  const char* (*get)(HstString s);
} HstStringTable;

typedef struct HstFilenameTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new empty file name owned by the caller, released with free; null when memory is short. */
  HstFilename (*alloc)(void);
  void (*free)(HstFilename f);
  /* Replaces the path of f with a copy of utf8 (null sets it empty). */
  void (*set)(HstFilename f, const char* utf8);
  /* The path of f, valid until f is next changed or freed; never null. */
  const char* (*get)(HstFilename f);
} HstFilenameTable;

#endif
