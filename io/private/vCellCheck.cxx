#include "vCellCheck.h"

#include <vtkCellArray.h>
#include <vtkPolyData.h>

#include <algorithm>
#include <type_traits>

namespace
{
/** True when every id of a connectivity array names one of `points` points. */
template <typename Array>
bool IdsAreBelow(Array* ids, vtkIdType points)
{
  using Value = typename Array::ValueType;
  using Bits = std::make_unsigned_t<Value>;
  const Value* p = ids->GetPointer(0);
  const vtkIdType n = ids->GetNumberOfValues();
  // With 0 <= limit <= top, an id v is bad when its top bit is set (negative) or when v - limit
  // does not borrow into the top bit (v >= limit). Plain integer operations, no early exit: the
  // loop vectorises on any x86-64 (which lacks 64-bit unsigned compares before SSE4.2).
  const Bits top = Bits(1) << (8 * sizeof(Value) - 1);
  const Bits limit = points > static_cast<vtkIdType>(top - 1)
    ? top
    : static_cast<Bits>(std::max<vtkIdType>(points, 0));
  Bits bad = 0;
  for (vtkIdType i = 0; i < n; ++i)
  {
    const Bits v = static_cast<Bits>(p[i]);
    bad |= v | ~(v - limit);
  }
  return !(bad & top);
}

/**
 * True when the offsets start at 0, end at the connectivity's size and grow by at least `fewest`
 * from one cell to the next (0: never decrease).
 */
template <typename Array>
bool OffsetsAreValid(Array* offsets, vtkIdType connectivity, vtkIdType fewest)
{
  const auto* p = offsets->GetPointer(0);
  const vtkIdType n = offsets->GetNumberOfValues();
  if (n == 0)
  {
    return connectivity == 0;
  }
  bool bad = p[0] != 0 || p[n - 1] != connectivity;
  // Offsets lie between 0 and the connectivity's size once the ends are right and no step is
  // negative, so the differences cannot overflow.
  for (vtkIdType i = 1; i < n; ++i)
  {
    bad |= static_cast<vtkIdType>(p[i]) - static_cast<vtkIdType>(p[i - 1]) < fewest;
  }
  return !bad;
}

} // namespace

bool vCellCheck::CellIdsAreValid(vtkCellArray* cells, vtkIdType points, vtkIdType fewestPoints)
{
  if (!cells)
  {
    return true;
  }
  const vtkIdType connectivity = cells->GetNumberOfConnectivityIds();
  return cells->IsStorage64Bit()
    ? OffsetsAreValid(cells->GetOffsetsArray64(), connectivity, fewestPoints) &&
      IdsAreBelow(cells->GetConnectivityArray64(), points)
    : OffsetsAreValid(cells->GetOffsetsArray32(), connectivity, fewestPoints) &&
      IdsAreBelow(cells->GetConnectivityArray32(), points);
}

bool vCellCheck::CellsAreValid(vtkPolyData* model)
{
  const vtkIdType points = model->GetNumberOfPoints();
  return CellIdsAreValid(model->GetVerts(), points, 1) &&
    CellIdsAreValid(model->GetLines(), points, 2) &&
    CellIdsAreValid(model->GetPolys(), points, 3) && CellIdsAreValid(model->GetStrips(), points, 3);
}
