#include "vInfoResource.h"

#include <vtkActor2DCollection.h>
#include <vtkCoordinate.h>
#include <vtkNew.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

vInfoResource::vInfoResource()
{
  this->SetName("inforesource");
  this->NumberOfItems = 4;
}

vInfoResource::~vInfoResource() = default;

int vInfoResource::SetText(const std::string& text, int corner)
{
  std::string converted;
  converted.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
  {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n')
    {
      converted += '\n';
      ++i;
    }
    else
    {
      converted += text[i];
    }
  }
  switch (corner)
  {
    case TopLeft:
      this->TopLeftText = converted;
      break;
    case TopRight:
      this->TopRightText = converted;
      break;
    case BottomLeft:
      this->BottomLeftText = converted;
      break;
    case BottomRight:
      this->BottomRightText = converted;
      break;
    default:
      break;
  }
  return 8;
}

vtkActor2DCollection* vInfoResource::GetOutput()
{
  struct CornerLayout
  {
    const std::string* Text;
    bool Top;
    bool Left;
    double X;
    double Y;
  };
  const CornerLayout corners[4] = {
    { &this->TopLeftText, true, true, 0.01, 0.99 },
    { &this->TopRightText, true, false, 0.99, 0.99 },
    { &this->BottomLeftText, false, true, 0.01, 0.01 },
    { &this->BottomRightText, false, false, 0.99, 0.01 },
  };

  vtkActor2DCollection* actors = vtkActor2DCollection::New();
  for (const CornerLayout& corner : corners)
  {
    vtkNew<vtkTextActor> actor;
    actor->SetInput(corner.Text->c_str());
    actor->GetPositionCoordinate()->SetCoordinateSystemToNormalizedViewport();
    actor->SetPosition(corner.X, corner.Y);
    vtkTextProperty* text = actor->GetTextProperty();
    text->SetFontFamilyToCourier();
    text->SetColor(1.0, 1.0, 1.0);
    text->SetFontSize(this->TextProp.FontSize);
    if (corner.Top)
    {
      text->SetVerticalJustificationToTop();
    }
    else
    {
      text->SetVerticalJustificationToBottom();
    }
    if (corner.Left)
    {
      text->SetJustificationToLeft();
    }
    else
    {
      text->SetJustificationToRight();
    }
    actors->AddItem(actor);
  }
  return actors;
}
