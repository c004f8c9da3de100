// Host strings and file names: values whose storage the host owns.
#pragma once

#include "Binding.h"
#include "Types.h"

// UTF-8 text. When the host cannot allocate the storage the string stays empty.
class String {
public:
  String();
  String(const char* utf8);
  String(const String& other);
  String& operator=(const String& other);
  ~String();

  // The text, valid until this string is next changed or destroyed.
  const char* GetCString() const;
  // True when the string holds text.
  Bool Content() const;
  String operator+(const String& other) const;
  Bool operator==(const String& other) const;
  Bool operator!=(const String& other) const { return !(*this == other); }

  HstString Handle() const { return handle; }

private:
  HstString handle;
};

// A file system path.
class Filename {
public:
  Filename();
  Filename(const char* utf8);
  Filename(const Filename& other);
  Filename& operator=(const Filename& other);
  ~Filename();

  // Makes this a copy of a host file name handle.
  void SetHandleCopy(HstFilename source);
  // The path, valid until this file name is next changed or destroyed.
  const char* GetCString() const;
  Bool Content() const;

  HstFilename Handle() const { return handle; }

private:
  HstFilename handle;
};
