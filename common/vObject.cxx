#include "vObject.h"

#include <algorithm>
#include <cctype>

vObject::vObject()
  : Property(new vProp)
{
  std::fill(std::begin(this->Consumers), std::end(this->Consumers), nullptr);
  this->Property->SetType("object");
}

vObject::~vObject() = default;

std::string vObject::GetName() const
{
  return this->Property->GetName();
}

void vObject::SetName(const std::string& name)
{
  this->Property->SetName(name);
}

std::string vObject::GetType() const
{
  return this->Property->GetType();
}

void vObject::SetType(const std::string& type)
{
  this->Property->SetType(type);
}

int vObject::isA(const std::string& type) const
{
  const std::string own = this->Property->GetType();
  if (own.size() != type.size())
  {
    return 0;
  }
  for (size_t i = 0; i < own.size(); ++i)
  {
    if (std::tolower(static_cast<unsigned char>(own[i])) !=
      std::tolower(static_cast<unsigned char>(type[i])))
    {
      return 0;
    }
  }
  return 1;
}

void vObject::AddConsumer(vObject* consumer)
{
  if (!consumer || this->NumberOfConsumers < 0 || this->NumberOfConsumers >= MaxNumberOfConsumers)
  {
    return;
  }
  this->Consumers[this->NumberOfConsumers++] = consumer;
}

void vObject::Delete()
{
  // A consumer may register further consumers while it is told; the bound is re-read each time
  // and never exceeds the table.
  for (int i = 0; i < this->NumberOfConsumers && i < MaxNumberOfConsumers; ++i)
  {
    if (this->Consumers[i])
    {
      this->Consumers[i]->MakeClone(this);
    }
  }
}

void vObject::MakeClone(vObject* /*source*/) {}

std::string vObject::ToV()
{
  return "## object reconstruction";
}

int vObject::SetProperty(const std::string& name, const void* value)
{
  return this->Property->SetValue(name, value);
}
