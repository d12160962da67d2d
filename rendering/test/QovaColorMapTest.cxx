#include "QovaColorMap.h"

#include <vtkLookupTable.h>
#include <vtkNew.h>

#include <gtest/gtest.h>

TEST(ColorMap, HandsOutThePaletteInOrderUntilEmpty)
{
  QovaColorMap map;
  EXPECT_EQ(map.GetMaxNumber(), 256);
  EXPECT_EQ(map.GetReservedNumber(), 64);
  const double first[5][3] = { { 1, 1, 1 }, { 0, 0.5, 0 }, { 0, 1, 0 }, { 0, 0, 1 }, { 1, 1, 0 } };
  for (const auto& expected : first)
  {
    const double* c = map.GetNextUsableColor();
    ASSERT_NE(c, nullptr);
    EXPECT_DOUBLE_EQ(c[0], expected[0]);
    EXPECT_DOUBLE_EQ(c[1], expected[1]);
    EXPECT_DOUBLE_EQ(c[2], expected[2]);
  }
  EXPECT_EQ(map.GetUsable(1), 0);
  map.UsableOn(1);
  const double* again = map.GetNextUsableColor();
  EXPECT_DOUBLE_EQ(again[1], 0.5);

  double r = 0, g = 0, b = 0;
  map.GetColor(16, r, g, b);
  EXPECT_DOUBLE_EQ(r, 5.0);
  map.GetColor(193, r, g, b);
  EXPECT_DOUBLE_EQ(g, 0.999);
  map.GetColor(100, r, g, b);
  EXPECT_DOUBLE_EQ(r + g + b, 3.0);

  for (int i = 5; i < 256; ++i)
  {
    ASSERT_NE(map.GetNextUsableColor(), nullptr) << i;
  }
  EXPECT_EQ(map.GetNextUsableColor(), nullptr);
  EXPECT_EQ(map.GetReservedNumber(), 64);

  // Indices outside the table are refused.
  EXPECT_EQ(map.GetColor(256), nullptr);
  EXPECT_EQ(map.GetColor(-1), nullptr);
  map.SetColor(300, 0, 0, 0);
  map.UsableOn(-5);
  EXPECT_EQ(map.GetUsable(256), 0);
  r = 7;
  map.GetColor(999, r, g, b);
  EXPECT_EQ(r, 7);

  QovaColorMap copy;
  copy = map;
  EXPECT_EQ(copy.GetNextUsableColor(), nullptr);
  copy.Preset();
  EXPECT_NE(copy.GetNextUsableColor(), nullptr);
}

TEST(ColorMap, NamedLookupTables)
{
  vtkNew<vtkLookupTable> table;
  ASSERT_EQ(QovaColorMap::ApplyLookupTable(table, "Rainbow"), 1);
  EXPECT_DOUBLE_EQ(table->GetHueRange()[1], 0.667);
  EXPECT_DOUBLE_EQ(table->GetValueRange()[0], 1.0);
  double low[3], high[3];
  table->GetColor(table->GetRange()[0], low);
  table->GetColor(table->GetRange()[1], high);
  EXPECT_GT(low[0], 0.9);  // red at the low end
  EXPECT_GT(high[2], 0.9); // blue at the high end

  ASSERT_EQ(QovaColorMap::ApplyLookupTable(table, "Magent"), 1);
  EXPECT_DOUBLE_EQ(table->GetHueRange()[0], 0.833);
  EXPECT_EQ(QovaColorMap::ApplyLookupTable(table, "Magenta"), 0);
  EXPECT_EQ(QovaColorMap::ApplyLookupTable(table, "red"), 0);
  EXPECT_DOUBLE_EQ(table->GetHueRange()[0], 0.833); // unchanged
  EXPECT_EQ(QovaColorMap::ApplyLookupTable(nullptr, "Red"), 0);

  ASSERT_EQ(QovaColorMap::ApplyLookupTable(table, "None"), 1);
  table->GetColor(table->GetRange()[1], high);
  EXPECT_DOUBLE_EQ(high[0], high[1]); // grey ramp
  EXPECT_EQ(QovaColorMap::GetLookupTableNames().size(), 8u);
  EXPECT_EQ(QovaColorMap::GetLookupTableNames()[5], "Magent");
}
