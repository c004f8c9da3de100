#include "String.h"

#include <cstring>
#include <string>

String::String() : handle(gC4DOS->string->alloc()) {}

String::String(const char* utf8) : String() { gC4DOS->string->set(handle, utf8); }

String::String(const String& other) : String(other.GetCString()) {}

String& String::operator=(const String& other)
{
  if (this != &other) gC4DOS->string->set(handle, other.GetCString());
  return *this;
}

String::~String() { gC4DOS->string->free(handle); }

const char* String::GetCString() const { return gC4DOS->string->get(handle); }

Bool String::Content() const { return GetCString()[0] != '\0'; }

String String::operator+(const String& other) const
{
  return String((std::string(GetCString()) + other.GetCString()).c_str());
}

Bool String::operator==(const String& other) const
{
  return std::strcmp(GetCString(), other.GetCString()) == 0;
}

Filename::Filename() : handle(gC4DOS->filename->alloc()) {}

Filename::Filename(const char* utf8) : Filename() { gC4DOS->filename->set(handle, utf8); }

Filename::Filename(const Filename& other) : Filename(other.GetCString()) {}

Filename& Filename::operator=(const Filename& other)
{
  if (this != &other) gC4DOS->filename->set(handle, other.GetCString());
  return *this;
}

Filename::~Filename() { gC4DOS->filename->free(handle); }

void Filename::SetHandleCopy(HstFilename source)
{
  gC4DOS->filename->set(handle, gC4DOS->filename->get(source));
}

const char* Filename::GetCString() const { return gC4DOS->filename->get(handle); }

Bool Filename::Content() const { return GetCString()[0] != '\0'; }
