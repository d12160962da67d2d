#include "vCrossResource.h"
#include "vInfoResource.h"
#include "vShapeResource.h"
#include "vTextResource.h"

#include <vtkActor.h>
#include <vtkActor2DCollection.h>
#include <vtkActorCollection.h>
#include <vtkCoordinate.h>
#include <vtkMapper.h>
#include <vtkPolyData.h>
#include <vtkProperty.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(vTextResource, TextsAndActors)
{
  vTextResource texts;
  EXPECT_EQ(texts.GetName(), "Text");
  EXPECT_EQ(texts.GetType(), "Text");
  EXPECT_EQ(texts.GetNumberOfItems(), 0);
  EXPECT_EQ(texts.GetProperty()->GetTextSize(), 16);
  EXPECT_EQ(texts.GetProperty()->GetValue("Text Size"), "16");
  EXPECT_EQ(texts.GetTextProp().FontSize, 16);
  EXPECT_EQ(texts.AddData(nullptr, "x"), 0);
  EXPECT_EQ(texts.GetNumberOfItems(), 0);

  EXPECT_EQ(texts.AddText("alpha"), -1);
  EXPECT_EQ(texts.AddText("beta"), -1);
  EXPECT_EQ(texts.GetNumberOfItems(), 2);
  EXPECT_EQ(texts.GetText(1), "beta");
  EXPECT_EQ(texts.GetText(2), "");
  EXPECT_EQ(texts.GetText(-1), "");

  vtkActor2DCollection* actors = texts.GetOutput();
  ASSERT_EQ(actors->GetNumberOfItems(), 2);
  actors->InitTraversal();
  auto* first = vtkTextActor::SafeDownCast(actors->GetNextActor2D());
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->GetInput(), "alpha");
  actors->Delete();

  v2DDataResource plain;
  EXPECT_EQ(plain.GetName(), "resource");
  EXPECT_EQ(plain.GetType(), "object");
  EXPECT_EQ(plain.GetOutput(), nullptr);
}

TEST(vInfoResource, CornerTexts)
{
  vInfoResource info;
  EXPECT_EQ(info.GetName(), "inforesource");
  EXPECT_EQ(info.GetType(), "Text");
  EXPECT_EQ(info.GetNumberOfItems(), 4);
  EXPECT_EQ(info.GetInputTopLeft(), "");
  EXPECT_EQ(info.GetInputTopRight(), "");
  EXPECT_EQ(info.GetInputBottomLeft(), "");
  EXPECT_EQ(info.GetInputBottomRight(), "");
  EXPECT_EQ(info.GetText(0), ""); // 4 items but no stored texts: nothing is read past the list

  EXPECT_EQ(info.SetText("Name:\\nJohn", 1), 8);
  EXPECT_EQ(info.GetInputTopLeft(), "Name:\nJohn");
  EXPECT_EQ(info.SetText("a\\n\\nb\\", 2), 8);
  EXPECT_EQ(info.GetInputTopRight(), "a\n\nb\\");
  EXPECT_EQ(info.SetText("\\\\n", 3), 8);
  EXPECT_EQ(info.GetInputBottomLeft(), "\\\n");
  EXPECT_EQ(info.SetText("br", 4), 8);
  EXPECT_EQ(info.SetText("lost", 5), 8);
  EXPECT_EQ(info.SetText("lost", 0), 8);
  EXPECT_EQ(info.SetText("lost", -1), 8);
  EXPECT_EQ(info.GetInputTopLeft(), "Name:\nJohn");
  EXPECT_EQ(info.GetInputBottomRight(), "br");

  tagTEXTPROP prop = info.GetTextProp();
  prop.FontSize = 22;
  info.SetTextProp(prop);

  vtkActor2DCollection* actors = info.GetOutput();
  ASSERT_EQ(actors->GetNumberOfItems(), 4);
  struct Expected
  {
    std::string Text;
    int Vertical;
    int Horizontal;
    double X, Y;
  };
  const Expected expected[4] = {
    { "Name:\nJohn", VTK_TEXT_TOP, VTK_TEXT_LEFT, 0.01, 0.99 },
    { "a\n\nb\\", VTK_TEXT_TOP, VTK_TEXT_RIGHT, 0.99, 0.99 },
    { "\\\n", VTK_TEXT_BOTTOM, VTK_TEXT_LEFT, 0.01, 0.01 },
    { "br", VTK_TEXT_BOTTOM, VTK_TEXT_RIGHT, 0.99, 0.01 },
  };
  actors->InitTraversal();
  for (const Expected& e : expected)
  {
    auto* actor = vtkTextActor::SafeDownCast(actors->GetNextActor2D());
    ASSERT_NE(actor, nullptr);
    EXPECT_EQ(std::string(actor->GetInput()), e.Text);
    vtkTextProperty* text = actor->GetTextProperty();
    EXPECT_EQ(text->GetVerticalJustification(), e.Vertical) << e.Text;
    EXPECT_EQ(text->GetJustification(), e.Horizontal) << e.Text;
    EXPECT_EQ(text->GetFontFamily(), VTK_COURIER);
    EXPECT_EQ(text->GetFontSize(), 22);
    EXPECT_DOUBLE_EQ(text->GetColor()[0], 1.0);
    EXPECT_DOUBLE_EQ(text->GetColor()[2], 1.0);
    vtkCoordinate* position = actor->GetPositionCoordinate();
    EXPECT_EQ(position->GetCoordinateSystem(), VTK_NORMALIZED_VIEWPORT);
    EXPECT_DOUBLE_EQ(position->GetValue()[0], e.X);
    EXPECT_DOUBLE_EQ(position->GetValue()[1], e.Y);
    EXPECT_EQ(actor->GetReferenceCount(), 1);
  }
  actors->Delete();
}

TEST(vCrossResource, LinesFollowTheOrientation)
{
  vShapeResource shape;
  EXPECT_EQ(shape.GetName(), "shaperesource");
  EXPECT_EQ(shape.GetPlaneOrientation(), 2);
  EXPECT_DOUBLE_EQ(shape.GetHalfLength(), 20.0);
  EXPECT_EQ(shape.GetOutput2D(), nullptr);
  vtkActorCollection* owned = shape.GetOutput();
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(owned->GetNumberOfItems(), 0);
  EXPECT_EQ(shape.GetOutput(), owned);
  shape.PlaneOrientationYZ();
  EXPECT_EQ(shape.GetPlaneOrientation(), 0);
  shape.PlaneOrientationXZ();
  EXPECT_EQ(shape.GetPlaneOrientation(), 1);

  vCrossResource cross;
  EXPECT_EQ(cross.GetName(), "crossresource");
  EXPECT_DOUBLE_EQ(cross.GetHalfLength(), 10.0);
  EXPECT_EQ(cross.GetNumberOfItems(), 0);
  cross.SetVColor(1, 0, 0);
  cross.SetHColor(0, 0.5, 1);

  struct Case
  {
    int Orientation;
    double V1[3], V2[3], H1[3], H2[3];
  };
  const double l = 10.0;
  const Case cases[] = {
    { 2, { 0, -l, 0 }, { 0, l, 0 }, { -l, 0, 0 }, { l, 0, 0 } },
    { 0, { 0, -l, 0 }, { 0, l, 0 }, { 0, 0, -l }, { 0, 0, l } },
    { 1, { -l, 0, 0 }, { l, 0, 0 }, { 0, 0, -l }, { 0, 0, l } },
  };
  int calls = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.Orientation);
    cross.SetPlaneOrientation(c.Orientation);
    vtkActorCollection* actors = cross.GetOutput();
    ++calls;
    EXPECT_EQ(cross.GetNumberOfItems(), 2 * calls);
    EXPECT_EQ(cross.vShapeResource::GetOutput(), actors); // still owned by the resource
    ASSERT_EQ(actors->GetNumberOfItems(), 2);
    actors->InitTraversal();
    vtkActor* vertical = actors->GetNextActor();
    vtkActor* horizontal = actors->GetNextActor();
    auto* vLine = vtkPolyData::SafeDownCast(vertical->GetMapper()->GetInput());
    auto* hLine = vtkPolyData::SafeDownCast(horizontal->GetMapper()->GetInput());
    ASSERT_NE(vLine, nullptr);
    ASSERT_NE(hLine, nullptr);
    ASSERT_EQ(vLine->GetNumberOfPoints(), 11); // resolution 10
    for (int k = 0; k < 3; ++k)
    {
      EXPECT_DOUBLE_EQ(vLine->GetPoint(0)[k], c.V1[k]);
      EXPECT_DOUBLE_EQ(vLine->GetPoint(10)[k], c.V2[k]);
      EXPECT_DOUBLE_EQ(hLine->GetPoint(0)[k], c.H1[k]);
      EXPECT_DOUBLE_EQ(hLine->GetPoint(10)[k], c.H2[k]);
    }
    EXPECT_DOUBLE_EQ(vertical->GetProperty()->GetColor()[0], 1.0);
    EXPECT_DOUBLE_EQ(horizontal->GetProperty()->GetColor()[1], 0.5);
  }
  // A collection handed out earlier may be replaced, but actors kept by a user stay valid.
  vtkSmartPointer<vtkActor> kept = cross.GetOutput()->GetLastActor();
  cross.SetHalfLength(3.0);
  cross.SetPlaneOrientation(7); // unknown: lines as VTK makes them
  vtkActorCollection* unknown = cross.GetOutput();
  ASSERT_EQ(unknown->GetNumberOfItems(), 2);
  auto* line = vtkPolyData::SafeDownCast(unknown->GetLastActor()->GetMapper()->GetInput());
  EXPECT_DOUBLE_EQ(line->GetPoint(0)[0], -0.5);
  EXPECT_EQ(kept->GetReferenceCount(), 1);
  EXPECT_NE(kept->GetMapper(), nullptr);
}
