#include "CVemoraMatrices.h"

#include <vtkMatrix4x4.h>

#include <cmath>

vtkMatrix4x4* CVemoraMatrices::ConvertToMatrix(double angle, int axis)
{
  vtkMatrix4x4* matrix = vtkMatrix4x4::New();
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  // The two axes other than the rotation axis, in the order that puts -sin at (first, second).
  int first = -1;
  int second = -1;
  switch (axis)
  {
    case 1:
      first = 1;
      second = 2;
      break;
    case 2:
      // About y: rows (c, 0, s) and (-s, 0, c), so -sin sits at (2, 0).
      first = 2;
      second = 0;
      break;
    case 3:
      first = 0;
      second = 1;
      break;
    default:
      return matrix;
  }
  matrix->SetElement(first, first, c);
  matrix->SetElement(first, second, -s);
  matrix->SetElement(second, first, s);
  matrix->SetElement(second, second, c);
  return matrix;
}

vtkMatrix4x4* CVemoraMatrices::ConvertToMatrix(double x, double y, double z)
{
  vtkMatrix4x4* matrix = vtkMatrix4x4::New();
  matrix->Zero();
  matrix->SetElement(0, 3, x);
  matrix->SetElement(1, 3, y);
  matrix->SetElement(2, 3, z);
  matrix->SetElement(3, 3, 1.0);
  return matrix;
}

vtkMatrix4x4* CVemoraMatrices::ConvertToMatrix(double a,
  double b,
  double c,
  double d,
  double e,
  double f,
  int flag)
{
  (void)a;
  (void)b;
  (void)c;
  (void)d;
  (void)e;
  (void)f;
  (void)flag;
  return vtkMatrix4x4::New();
}
