#include "vRenderingTestScene.h"

#include "vInfoResource.h"
#include "vTextLayer.h"
#include "vTextResource.h"

#include "vRenderBaseline.h"

#include <vtkActor2DCollection.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <gtest/gtest.h>

namespace
{
/** A text layer holding the given texts (one text actor each). */
std::unique_ptr<vTextLayer> MakeTexts(const std::vector<std::string>& texts)
{
  vTextResource resource;
  for (const std::string& text : texts)
  {
    resource.AddText(text);
  }
  auto layer = std::make_unique<vTextLayer>();
  layer->AddInput(&resource);
  // The resource may leave its actors empty: give each its text.
  vtkActor2DCollection* actors = layer->GetActors2D();
  for (size_t i = 0; i < texts.size(); ++i)
  {
    vtkTextActor::SafeDownCast(actors->GetItemAsObject(static_cast<int>(i)))
      ->SetInput(texts[i].c_str());
  }
  layer->SetRendererName("IV");
  return layer;
}
} // namespace

TEST(TextLayer, InfoCutsLongTexts)
{
  auto layer = MakeTexts({ "Patient A", "Study 123456", "0123456789" });
  EXPECT_EQ(layer->GetType(), "TextLayer");
  EXPECT_EQ(layer->GetProperty()->GetTextSize(), 16);
  EXPECT_EQ(layer->GetNumberOfTexts(), 3);
  const std::string info = layer->GetInfo();
  const std::string tail = "\r\nPatient A,Study 1234...,0123456789";
  ASSERT_GE(info.size(), tail.size());
  EXPECT_EQ(info.substr(info.size() - tail.size()), tail);
  EXPECT_EQ(info.find("Resource name: TEXT"), info.find("Resource name: "));
}

TEST(TextLayer, ScriptLineListsAtMostFourTexts)
{
  auto two = MakeTexts({ "Patient A", "Study 1" });
  EXPECT_EQ(two->ToV(), "new layer text 'Patient A' 'Study 1' IV");
  auto six = MakeTexts({ "a", "b", "c\nd", "e", "f", "g" });
  EXPECT_EQ(six->ToV(), "new layer text 'a' 'b' 'c\\nd' 'e' IV");
  vTextLayer empty;
  empty.SetRendererName("IV");
  EXPECT_EQ(empty.ToV(), "new layer text IV");
}

TEST(TextLayer, ReplaceAndTextSize)
{
  auto layer = MakeTexts({ "Voxel", "Camera here", "Other" });
  layer->Replace("Voxel", "Voxel: 12.50");
  layer->Replace("Voxel", "Voxel: 3.00"); // the key is still in the new text
  layer->Replace("amera", "Camera: 1, 2, 3");
  layer->Replace(nullptr, "x");
  EXPECT_EQ(layer->GetText(0), "Voxel: 3.00");
  EXPECT_EQ(layer->GetText(1), "Camera: 1, 2, 3");
  EXPECT_EQ(layer->GetText(2), "Other");
  EXPECT_EQ(layer->GetText(7), "");
  layer->SetTextSize(22);
  EXPECT_EQ(layer->GetProperty()->GetTextSize(), 22);
  auto* actor = vtkTextActor::SafeDownCast(layer->GetActors2D()->GetItemAsObject(2));
  EXPECT_EQ(actor->GetTextProperty()->GetFontSize(), 22);
}

TEST(TextLayer, FourCorners)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vInfoResource info;
  info.SetText("Name:\\nJohn", 1);
  info.SetText("Study 1", 2);
  info.SetText("Slice 12", 3);
  info.SetText("W 400 L 40", 4);
  auto* layer = new vTextLayer;
  layer->AddInput(&info);
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  scene.Viewer->Render();
  EXPECT_NE(layer->GetInfo().find("Name:\nJohn,Study 1,Slice 12,W 400 L 40"), std::string::npos);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "TextLayer_FourCorners"));
  layer->VisibilityOff();
  EXPECT_EQ(layer->GetProperty()->GetVisibility(), 0);
}
