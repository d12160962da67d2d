#ifndef CVemoraMatrices_h
#define CVemoraMatrices_h

#include "VemoraCPModule.h"

class vtkMatrix4x4;

/**
 * Matrix constructors offered to analysis modules. Each returns a new `vtkMatrix4x4` that the
 * caller owns (release it with `Delete`, or adopt it with `vtkSmartPointer::Take`).
 */
class VEMORACP_EXPORT CVemoraMatrices
{
public:
  /**
   * Rotation by `angle` (radians) about the x (1), y (2) or z (3) axis. Any other axis gives the
   * identity (a new matrix's start value, last row (0, 0, 0, 1)).
   */
  static vtkMatrix4x4* ConvertToMatrix(double angle, int axis);
  /**
   * A translation column only: the last column is (x, y, z, 1) and every other element is 0 (the
   * rotation block is zero, not the identity).
   */
  static vtkMatrix4x4* ConvertToMatrix(double x, double y, double z);
  /** A new identity matrix; the arguments are not used. */
  static vtkMatrix4x4*
  ConvertToMatrix(double a, double b, double c, double d, double e, double f, int flag);
};

#endif
