#include "vModuleBase.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"

#include "vRendererManager.h"
#include "vViewerWrapperBase.h"

vModuleBase::vModuleBase()
{
  for (int& id : this->SecondaryDataIds)
  {
    id = -1;
  }
}

vModuleBase::~vModuleBase()
{
  // The base behaviour on purpose: a derived module is already gone.
  this->vModuleBase::DeleteViewer();
  this->SetViewerWrapper(nullptr);
}

void vModuleBase::SetViewerWrapper(vViewerWrapperBase* wrapper)
{
  if (wrapper == this->ViewerWrapper)
  {
    return;
  }
  if (wrapper)
  {
    wrapper->Register(nullptr);
  }
  if (this->ViewerWrapper)
  {
    this->ViewerWrapper->UnRegister(nullptr);
  }
  this->ViewerWrapper = wrapper;
}

vViewer* vModuleBase::GetCurrentViewer()
{
  return this->ViewerWrapper ? this->ViewerWrapper->GetViewer() : nullptr;
}

void vModuleBase::ForgetData()
{
  this->PrimaryDataId = -1;
  for (int i = 0; i < this->NumberOfSecondaryData && i < MaximumSecondaryData; ++i)
  {
    this->SecondaryDataIds[i] = -1;
  }
  this->NumberOfSecondaryData = 0;
}

void vModuleBase::DeleteViewer()
{
  if (this->ViewerWrapper)
  {
    vRendererManager* renderers = this->Controller ? this->Controller->GetRenderers() : nullptr;
    if (renderers)
    {
      renderers->SetCaption("Welcome to QOVA");
    }
    this->ViewerWrapper->RemoveViewer();
    if (this->Controller && this->Controller->GetModules())
    {
      this->Controller->GetModules()->SetActivatedModule(-1);
    }
  }
  this->ForgetData();
}

void vModuleBase::CoolStart() {}

void vModuleBase::SetPrimaryDataByName(const std::string& name)
{
  int type = 0;
  int index = -1;
  if (this->Controller)
  {
    this->Controller->Find(name, type, index);
    if (type == CVemoraCPEXE::HardResource && index >= 0)
    {
      type = this->Controller->GetHardResourceType(index);
      this->LastError = NoError;
    }
  }
  if (this->GetTargetDataType() & type)
  {
    this->SetPrimaryData(index);
    this->LastError = NoError;
  }
  else
  {
    this->LastError = UnsuitableData;
  }
  if (this->LastError == NoError)
  {
    this->PrimaryDataId = index;
  }
}

void vModuleBase::AddSecondaryDataByName(const std::string& name)
{
  this->LastError = NoError;
  int type = 0;
  int index = -1;
  if (this->Controller)
  {
    this->Controller->Find(name, type, index);
    if (type == CVemoraCPEXE::HardResource && index >= 0)
    {
      type = this->Controller->GetHardResourceType(index);
    }
  }
  if (type == 0 || index < 0)
  {
    this->LastError = DataNotFound;
    return;
  }
  this->AddSecondaryData(type, index);
}

int vModuleBase::GetSecondaryDataId(int i) const
{
  return i >= 0 && i < MaximumSecondaryData ? this->SecondaryDataIds[i] : -1;
}

bool vModuleBase::RecordSecondaryData(int index)
{
  if (this->NumberOfSecondaryData >= MaximumSecondaryData)
  {
    return false;
  }
  this->SecondaryDataIds[this->NumberOfSecondaryData++] = index;
  return true;
}
