#include "vRenderable.h"

vRenderable::vRenderable() = default;

vRenderable::~vRenderable()
{
  this->ReleaseWeakReferences();
}

std::weak_ptr<vRenderable> vRenderable::GetWeakReference()
{
  // An aliasing pointer: it owns the anchor, points at the object. Once the anchor is released,
  // it (and every weak reference made from it) owns nothing and reads as expired.
  return std::shared_ptr<vRenderable>(this->Anchor, this);
}

void vRenderable::SetTransform(double matrix[16])
{
  this->GetProperty()->SetRigidTransform(matrix);
}

void vRenderable::GetTransform(double matrix[16])
{
  this->GetProperty()->GetRigidTransform(matrix);
}

void vRenderable::SetOpacity(double opacity)
{
  this->GetProperty()->SetOpacity(opacity);
}

void vRenderable::SetContrast(double window[2])
{
  this->GetProperty()->SetContrast(window);
}

void vRenderable::SetScaleFactor(double factor)
{
  this->GetProperty()->SetScaleFactor(factor);
}

void vRenderable::GetBounds(int bounds[6])
{
  for (int i = 0; i < 6; ++i)
  {
    bounds[i] = -1;
  }
}

void vRenderable::VisibilityOn()
{
  this->GetProperty()->SetVisibility(1);
}

void vRenderable::VisibilityOff()
{
  this->GetProperty()->SetVisibility(0);
}
