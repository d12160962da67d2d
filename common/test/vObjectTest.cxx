#include "vObject.h"
#include "vProp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records every notification it receives, in order.
class vRecordingObject : public vObject
{
public:
  vRecordingObject(std::vector<std::pair<vRecordingObject*, vObject*>>* log)
    : Log(log)
  {
  }
  void MakeClone(vObject* source) override { this->Log->emplace_back(this, source); }

private:
  std::vector<std::pair<vRecordingObject*, vObject*>>* Log;
};
} // namespace

TEST(Object, StartsAsAnUnnamedObject)
{
  vObject object;
  EXPECT_EQ(object.GetType(), "object");
  EXPECT_EQ(object.GetName(), "null");
  EXPECT_EQ(object.GetNumberOfConsumers(), 0);
  EXPECT_EQ(object.GetLastErr(), 0);
  EXPECT_EQ(object.ToV(), "## object reconstruction");
  EXPECT_EQ(object.GetProperty()->GetValue("IsA"), "object");
  EXPECT_EQ(object.isA("OBJECT"), 1);
  EXPECT_EQ(object.isA("Object"), 1);
  EXPECT_EQ(object.isA("objects"), 0);
  EXPECT_EQ(object.isA(""), 0);
  object.SetType("MeshLayer");
  EXPECT_EQ(object.isA("meshlayer"), 1);
  EXPECT_EQ(object.isA("object"), 0);
}

TEST(Object, DeleteTellsConsumersInOrderAndKeepsThem)
{
  std::vector<std::pair<vRecordingObject*, vObject*>> log;
  vObject source;
  vRecordingObject a(&log);
  vRecordingObject b(&log);
  source.AddConsumer(&a);
  source.AddConsumer(&b);
  source.Delete();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].first, &a);
  EXPECT_EQ(log[0].second, &source);
  EXPECT_EQ(log[1].first, &b);
  EXPECT_EQ(log[1].second, &source);
  EXPECT_EQ(source.GetNumberOfConsumers(), 2);
  source.Delete();
  EXPECT_EQ(log.size(), 4u);
}

TEST(Object, ConsumerTableRefusesTheThirteenthAndNull)
{
  std::vector<std::pair<vRecordingObject*, vObject*>> log;
  vObject source;
  std::vector<std::unique_ptr<vRecordingObject>> consumers;
  for (int i = 0; i < vObject::MaxNumberOfConsumers + 3; ++i)
  {
    consumers.emplace_back(new vRecordingObject(&log));
    source.AddConsumer(consumers.back().get());
  }
  source.AddConsumer(nullptr);
  EXPECT_EQ(vObject::MaxNumberOfConsumers, 12);
  EXPECT_EQ(source.GetNumberOfConsumers(), 12);
  source.Delete();
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log.back().first, consumers[11].get());
}

TEST(Object, SetPropertyForwardsToThePropertySet)
{
  vObject object;
  double opacity = 0.25;
  EXPECT_EQ(object.SetProperty("Opacity", &opacity), 0);
  EXPECT_EQ(object.GetProperty()->GetValue("Opacity"), "0.25");
  EXPECT_EQ(object.SetProperty("opacity", &opacity), 0);
  EXPECT_EQ(object.SetProperty("Name", "head"), 0);
  EXPECT_EQ(object.GetName(), "head");
}

TEST(Prop, NameListAndIndexChecks)
{
  vProp prop;
  ASSERT_EQ(prop.GetNumberOfItems(), 31);
  const char* expected[] = { "Axes",
    "Background",
    "Bounding Box",
    "Clipping",
    "Color",
    "Color Bar",
    "Color Map",
    "Contrast",
    "Cursor",
    "Description",
    "Filename",
    "IsA",
    "Lookup Table",
    "Name",
    "Orientation",
    "Opacity",
    "Transform",
    "Renderer",
    "Representation",
    "Resource",
    "Scale Factor",
    "Size",
    "Slice",
    "Text Size",
    "Version",
    "Visibility",
    "Visibi. XY",
    "Visibi. XZ",
    "Visibi. YZ",
    "Voxel Intensity (max)",
    "Voxel Intensity (min)" };
  for (int i = 0; i < 31; ++i)
  {
    EXPECT_EQ(prop.GetTag(i), expected[i]) << i;
    EXPECT_EQ(prop.GetPropertyDataType(i), 0);
  }
  EXPECT_EQ(prop.GetTag(31), "");
  EXPECT_EQ(prop.GetTag(-1), "");
  EXPECT_EQ(prop.GetValue(31), "error");
  EXPECT_EQ(prop.GetValue(-1), "error");
  EXPECT_EQ(prop.GetValue(1 << 30), "error");
  EXPECT_EQ(prop.GetPropertyDataType(vProp::DataTypeTableSize - 1), 0);
  EXPECT_EQ(prop.GetPropertyDataType(vProp::DataTypeTableSize), -1);
  EXPECT_EQ(prop.GetPropertyDataType(-1), -1);
  EXPECT_EQ(prop.GetIpVisibility(3), -1);
  prop.SetIpVisibility(3, 1);
  prop.SetIpVisibility(-1, 1);
  EXPECT_EQ(prop.GetValue("Visibi. XY"), "null");
}

TEST(Prop, UntouchedPropertiesReadNull)
{
  vProp prop;
  for (int i = 0; i < prop.GetNumberOfItems(); ++i)
  {
    EXPECT_EQ(prop.GetValue(i), "null") << prop.GetTag(i);
  }
  double position[3] = { 7, 7, 7 };
  prop.GetPosition(position);
  EXPECT_EQ(position[0], 0.0);
  EXPECT_EQ(position[2], 0.0);
  int slice[3];
  prop.GetSlice(slice);
  EXPECT_EQ(slice[1], -999);
  int range[6];
  prop.GetSliceRange(range);
  EXPECT_EQ(range[5], -1);
  double matrix[16];
  prop.GetRigidTransform(matrix);
  EXPECT_EQ(matrix[15], -999.9);
  double scalars[2];
  prop.GetScalarRange(scalars);
  EXPECT_EQ(scalars[1], -999.0);
  EXPECT_EQ(prop.GetScaleFactor(), -1.0);
  EXPECT_EQ(prop.GetRendererName(), "null");
}

TEST(Prop, DisplayTextRules)
{
  vProp prop;
  const double color[3] = { 0.5, 0, 1 };
  prop.SetColor(color);
  EXPECT_EQ(prop.GetValue("Color"), "[0.500000, 0.000000, 1.000000]");
  const double red[3] = { -1, 0, 0 };
  prop.SetBackgroundColor(red);
  EXPECT_EQ(prop.GetValue("Background"), "null");
  const double huge[3] = { 1e300, 0, 0 };
  prop.SetBackgroundColor(huge);
  // 301 integer digits, a point and six decimals: no fixed-size buffer may cut it.
  EXPECT_EQ(prop.GetValue("Background").size(), 1u + 308 + 2 * (2 + 8) + 1);
  EXPECT_EQ(prop.GetValue("Background").substr(306), "000, 0.000000, 0.000000]");

  const double low[2] = { -5, 10 };
  prop.SetContrast(low);
  EXPECT_EQ(prop.GetValue("Contrast"), "null");
  const double full[2] = { 0, 255 };
  prop.SetContrast(full);
  EXPECT_EQ(prop.GetValue("Contrast"), "[0.0, 255.0]");

  const int single[3] = { 12, -999, -999 };
  prop.SetSlice(single);
  EXPECT_EQ(prop.GetValue("Slice"), "12");
  prop.SetSliceX(-999);
  prop.SetSliceY(4);
  EXPECT_EQ(prop.GetValue("Slice"), "-999, 4, -999");
  const int all[3] = { 1, 2, 3 };
  prop.SetSlice(all);
  EXPECT_EQ(prop.GetValue("Slice"), "1, 2, 3");

  double identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  prop.SetRigidTransform(identity);
  EXPECT_EQ(prop.GetValue("Transform"), "False");
  identity[3] = 10;
  prop.SetRigidTransform(identity);
  EXPECT_EQ(prop.GetValue("Transform"), "True");

  prop.SetTextSize(0);
  EXPECT_EQ(prop.GetValue("Text Size"), "null");
  prop.SetTextSize(14);
  EXPECT_EQ(prop.GetValue("Text Size"), "14");
  prop.SetOpacity(0);
  EXPECT_EQ(prop.GetValue("Opacity"), "0.00");
  prop.SetSize(-999);
  EXPECT_EQ(prop.GetValue("Size"), "null");
  prop.SetSize(2.5);
  EXPECT_EQ(prop.GetValue("Size"), "2.500000");
}

TEST(Prop, EnumerationsAndSwitches)
{
  vProp prop;
  const char* bars[] = { "Off", "Left", "Right", "Top", "Bottom", "null" };
  for (int i = 0; i < 6; ++i)
  {
    prop.SetColorBar(i);
    EXPECT_EQ(prop.GetValue("Color Bar"), bars[i]);
  }
  const char* planes[] = { "Plane YZ", "Plane XZ", "Plane XY", "null" };
  const char* kinds[] = { "Surface", "Wireframe", "Points", "null" };
  for (int i = 0; i < 4; ++i)
  {
    prop.SetOrientation(i);
    prop.SetRepresentation(i);
    EXPECT_EQ(prop.GetValue("Orientation"), planes[i]);
    EXPECT_EQ(prop.GetValue("Representation"), kinds[i]);
  }
  prop.SetAxes(0);
  prop.SetBoundingBox(2);
  prop.SetClippingPlane(1);
  prop.SetCursor(-3);
  EXPECT_EQ(prop.GetValue("Axes"), "Off");
  EXPECT_EQ(prop.GetValue("Bounding Box"), "On");
  EXPECT_EQ(prop.GetValue("Clipping"), "On");
  EXPECT_EQ(prop.GetClipplingPlane(), 1);
  EXPECT_EQ(prop.GetValue("Cursor"), "null");

  prop.SetVisibility(1);
  prop.SetIpVisibility(0, 0);
  prop.SetIpVisibility(1, 2);
  prop.SetIpVisibility(2, 1);
  EXPECT_EQ(prop.GetValue("Visibility"), "True");
  EXPECT_EQ(prop.GetValue("Visibi. YZ"), "False");
  EXPECT_EQ(prop.GetValue("Visibi. XZ"), "False");
  EXPECT_EQ(prop.GetValue("Visibi. XY"), "True");
}

TEST(Prop, SetValueKeysReachTheirFields)
{
  vProp prop;
  int one = 1;
  int two = 2;
  double color[3] = { 0.1, 0.2, 0.3 };
  double contrast[2] = { 1, 2 };
  double size = 3;
  int slice[3] = { 4, 5, 6 };
  double matrix[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  EXPECT_EQ(prop.SetValue("IsA", "MeshLayer"), 0);
  prop.SetValue("Axes", &one);
  prop.SetValue("Color Bar", &two);
  prop.SetValue("Bounding Box", &one);
  prop.SetValue("Clipping", &one);
  prop.SetValue("Color", color);
  prop.SetValue("Background", color);
  prop.SetValue("Color Map", "hot");
  prop.SetValue("Contrast", contrast);
  prop.SetValue("Cursor", &one);
  prop.SetValue("Description", "a skull");
  prop.SetValue("Filename", "/data/head.vtk");
  prop.SetValue("Lookup Table", "grey");
  prop.SetValue("Name", "head");
  prop.SetValue("Orientation", &two);
  prop.SetValue("Renderer Name", "IV");
  prop.SetValue("Representation", &one);
  prop.SetValue("Resource", "skin");
  prop.SetValue("Size", &size);
  prop.SetValue("Slice", slice);
  prop.SetValue("Text Size", &two);
  prop.SetValue("Transform", matrix);
  prop.SetValue("Version", "2.1");
  prop.SetValue("Visibility", &one);
  prop.SetValue("Visibi. XY", &one);
  prop.SetValue("Visibi. XZ", &two);
  prop.SetValue("Visibi. YZ", &one);
  EXPECT_EQ(prop.SetValue("Scale Factor", &size), 0);
  EXPECT_EQ(prop.SetValue("Renderer", "ignored"), 0);
  EXPECT_EQ(prop.SetValue("Name", nullptr), 0);

  std::vector<std::string> texts;
  texts.reserve(31);
  for (int i = 0; i < prop.GetNumberOfItems(); ++i)
  {
    texts.push_back(prop.GetValue(i));
  }
  std::vector<std::string> expected = { "On",
    "[0.100000, 0.200000, 0.300000]",
    "On",
    "On",
    "[0.100000, 0.200000, 0.300000]",
    "Right",
    "hot",
    "[1.0, 2.0]",
    "On",
    "a skull",
    "/data/head.vtk",
    "MeshLayer",
    "grey",
    "head",
    "Plane XY",
    "null",
    "False",
    "null",
    "Wireframe",
    "skin",
    "null",
    "3.000000",
    "4, 5, 6",
    "2",
    "2.1",
    "True",
    "True",
    "False",
    "True",
    "null",
    "null" };
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(prop.GetRendererName(), "IV");
  EXPECT_EQ(prop.GetValue("Renderer Name"), "null");
  EXPECT_EQ(prop.GetValue("Renderer"), "null");
  EXPECT_EQ(prop.GetValue("Scale Factor"), "null");
  EXPECT_EQ(prop.GetScaleFactor(), -1.0);
  EXPECT_EQ(prop.GetValue("name"), "null");
}
