#include "vObject.h"
#include "vProp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
using vNotices = std::vector<std::pair<vObject*, vObject*>>; // (consumer, source)

// Records every notification it receives, in order.
class vRecordingObject : public vObject
{
public:
  explicit vRecordingObject(vNotices* log)
    : Log(log)
  {
  }
  void MakeClone(vObject* source) override { this->Log->emplace_back(this, source); }

private:
  vNotices* Log;
};

std::vector<std::string> AllValues(const vProp& prop)
{
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(prop.GetNumberOfItems()));
  for (int i = 0; i < prop.GetNumberOfItems(); ++i)
  {
    texts.push_back(prop.GetValue(i));
  }
  return texts;
}
} // namespace

TEST(Object, StartsAsAnUnnamedObjectAndComparesTypesWithoutCase)
{
  vObject object;
  EXPECT_EQ(object.GetType(), "object");
  EXPECT_EQ(object.GetName(), "null");
  EXPECT_EQ(object.GetNumberOfConsumers(), 0);
  EXPECT_EQ(object.GetLastErr(), 0);
  EXPECT_EQ(object.ToV(), "## object reconstruction");
  EXPECT_EQ(object.isA("OBJECT"), 1);
  EXPECT_EQ(object.isA("objects"), 0);
  object.SetType("MeshLayer");
  EXPECT_EQ(object.isA("meshlayer"), 1);
  double opacity = 0.25;
  EXPECT_EQ(object.SetProperty("Opacity", &opacity), 0);
  EXPECT_EQ(object.SetProperty("Name", "head"), 0);
  EXPECT_EQ(object.GetProperty()->GetValue("Opacity"), "0.25");
  EXPECT_EQ(object.GetName(), "head");
}

TEST(Object, DeleteTellsConsumersInOrderAndTheTableRefusesTheThirteenth)
{
  vNotices log;
  vObject source;
  std::vector<std::unique_ptr<vRecordingObject>> consumers;
  for (int i = 0; i < vObject::MaxNumberOfConsumers + 2; ++i)
  {
    consumers.emplace_back(new vRecordingObject(&log));
    source.AddConsumer(consumers.back().get());
  }
  source.AddConsumer(nullptr);
  EXPECT_EQ(vObject::MaxNumberOfConsumers, 12);
  EXPECT_EQ(source.GetNumberOfConsumers(), 12);
  source.Delete();
  ASSERT_EQ(log.size(), 12u);
  for (size_t i = 0; i < log.size(); ++i)
  {
    EXPECT_EQ(log[i].first, consumers[i].get());
    EXPECT_EQ(log[i].second, &source);
  }
  source.Delete(); // the table is kept: told again
  EXPECT_EQ(log.size(), 24u);
}

TEST(Prop, NameListIndicesAndUnsetDefaults)
{
  vProp prop;
  const std::vector<std::string> names = { "Axes",
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
  ASSERT_EQ(prop.GetNumberOfItems(), 31);
  for (int i = 0; i < 31; ++i)
  {
    EXPECT_EQ(prop.GetTag(i), names[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(AllValues(prop), std::vector<std::string>(31, "null"));
  for (int bad : { -1, 31, 1 << 30 })
  {
    EXPECT_EQ(prop.GetTag(bad), "");
    EXPECT_EQ(prop.GetValue(bad), "error");
  }
  EXPECT_EQ(prop.GetPropertyDataType(vProp::DataTypeTableSize - 1), 0);
  EXPECT_EQ(prop.GetPropertyDataType(vProp::DataTypeTableSize), -1);
  EXPECT_EQ(prop.GetIpVisibility(3), -1);
  prop.SetIpVisibility(-1, 1);

  // Defaults without a display text of their own.
  double position[3] = { 7, 7, 7 };
  double scalars[2];
  double matrix[16];
  int range[6];
  prop.GetPosition(position);
  prop.GetScalarRange(scalars);
  prop.GetRigidTransform(matrix);
  prop.GetSliceRange(range);
  EXPECT_EQ(std::vector<double>(position, position + 3), std::vector<double>(3, 0.0));
  EXPECT_EQ(std::vector<double>(scalars, scalars + 2), std::vector<double>(2, -999.0));
  EXPECT_EQ(std::vector<double>(matrix, matrix + 16), std::vector<double>(16, -999.9));
  EXPECT_EQ(std::vector<int>(range, range + 6), std::vector<int>(6, -1));
  EXPECT_EQ(prop.GetScaleFactor(), -1.0);
  EXPECT_EQ(prop.GetRendererName(), "null");
}

TEST(Prop, DisplayTextRules)
{
  vProp prop;
  const double color[3] = { 0.5, 0, 1 };
  const double negative[3] = { -1, 0, 0 };
  const double huge[3] = { 1e300, 0, 0 };
  prop.SetColor(color);
  prop.SetBackgroundColor(negative);
  EXPECT_EQ(prop.GetValue("Color"), "[0.500000, 0.000000, 1.000000]");
  EXPECT_EQ(prop.GetValue("Background"), "null");
  prop.SetBackgroundColor(huge); // 301 digits: no fixed-size buffer may cut the text
  EXPECT_EQ(prop.GetValue("Background").size(), 1u + 308 + 2 * (2 + 8) + 1);

  const double low[2] = { -5, 10 };
  const double full[2] = { 0, 255 };
  prop.SetContrast(low);
  EXPECT_EQ(prop.GetValue("Contrast"), "null");
  prop.SetContrast(full);
  EXPECT_EQ(prop.GetValue("Contrast"), "[0.0, 255.0]");

  const int single[3] = { 12, -999, -999 };
  prop.SetSlice(single);
  EXPECT_EQ(prop.GetValue("Slice"), "12");
  prop.SetSliceX(-999);
  prop.SetSliceY(4);
  EXPECT_EQ(prop.GetValue("Slice"), "-999, 4, -999");

  double identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  prop.SetRigidTransform(identity);
  EXPECT_EQ(prop.GetValue("Transform"), "False");
  identity[3] = 10;
  prop.SetRigidTransform(identity);
  EXPECT_EQ(prop.GetValue("Transform"), "True");

  prop.SetTextSize(0);
  prop.SetOpacity(0);
  prop.SetSize(-999);
  EXPECT_EQ(prop.GetValue("Text Size"), "null");
  EXPECT_EQ(prop.GetValue("Opacity"), "0.00");
  EXPECT_EQ(prop.GetValue("Size"), "null");

  const char* bars[] = { "Off", "Left", "Right", "Top", "Bottom", "null" };
  const char* planes[] = { "Plane YZ", "Plane XZ", "Plane XY", "null", "null", "null" };
  const char* kinds[] = { "Surface", "Wireframe", "Points", "null", "null", "null" };
  const char* switches[] = { "Off", "On", "On", "On", "On", "On" };
  const char* visible[] = { "False", "True", "False", "False", "False", "False" };
  for (int i = 0; i < 6; ++i)
  {
    prop.SetColorBar(i);
    prop.SetOrientation(i);
    prop.SetRepresentation(i);
    prop.SetCursor(i);
    prop.SetIpVisibility(1, i);
    EXPECT_EQ(prop.GetValue("Color Bar"), bars[i]);
    EXPECT_EQ(prop.GetValue("Orientation"), planes[i]);
    EXPECT_EQ(prop.GetValue("Representation"), kinds[i]);
    EXPECT_EQ(prop.GetValue("Cursor"), switches[i]);
    EXPECT_EQ(prop.GetValue("Visibi. XZ"), visible[i]);
  }
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
  const std::vector<std::pair<const char*, const void*>> keys = { { "IsA", "MeshLayer" },
    { "Axes", &one },
    { "Color Bar", &two },
    { "Bounding Box", &one },
    { "Clipping", &one },
    { "Color", color },
    { "Background", color },
    { "Color Map", "hot" },
    { "Contrast", contrast },
    { "Cursor", &one },
    { "Description", "a skull" },
    { "Filename", "/data/head.vtk" },
    { "Lookup Table", "grey" },
    { "Name", "head" },
    { "Orientation", &two },
    { "Renderer Name", "IV" },
    { "Representation", &one },
    { "Resource", "skin" },
    { "Size", &size },
    { "Slice", slice },
    { "Text Size", &two },
    { "Transform", matrix },
    { "Version", "2.1" },
    { "Visibility", &one },
    { "Visibi. XY", &one },
    { "Visibi. XZ", &two },
    { "Visibi. YZ", &one },
    // Names without a key, a key in the wrong case and a null pointer change nothing.
    { "Scale Factor", &size },
    { "Renderer", "ignored" },
    { "opacity", &size },
    { "Name", nullptr } };
  for (const auto& key : keys)
  {
    EXPECT_EQ(prop.SetValue(key.first, key.second), 0) << key.first;
  }
  const std::vector<std::string> expected = { "On",
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
  EXPECT_EQ(AllValues(prop), expected);
  EXPECT_EQ(prop.GetRendererName(), "IV");
  EXPECT_EQ(prop.GetValue("Renderer Name"), "null");
  EXPECT_EQ(prop.GetScaleFactor(), -1.0);
  EXPECT_EQ(prop.GetValue("name"), "null");
}
