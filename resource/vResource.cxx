#include "vResource.h"

vResource::vResource()
{
  this->SetName("resource");
}

vResource::~vResource() = default;

std::string vResource::GetFilename() const
{
  return this->Property->GetFilename();
}

void vResource::SetFilename(const std::string& filename)
{
  this->Property->SetFilename(filename);
}

std::string vResource::GetFileExt() const
{
  const std::string filename = this->Property->GetFilename();
  const std::string::size_type dot = filename.rfind('.');
  if (dot == std::string::npos)
  {
    return std::string();
  }
  return filename.substr(dot + 1);
}

std::string vResource::ToV()
{
  return "load '" + this->Property->GetFilename() + "'";
}

void vResource::RemoveItem(int /*index*/) {}
