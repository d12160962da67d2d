#include "vtkTools.h"
#include "vLog.h"

#include <vtkArrayDispatch.h>
#include <vtkCellArray.h>
#include <vtkCellArrayIterator.h>
#include <vtkDataArray.h>
#include <vtkDataArrayRange.h>
#include <vtkDataSet.h>
#include <vtkDataSetWriter.h>
#include <vtkDecimatePro.h>
#include <vtkGenericCell.h>
#include <vtkImageData.h>
#include <vtkImageGaussianSmooth.h>
#include <vtkMarchingCubes.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSMPThreadLocalObject.h>
#include <vtkSMPTools.h>
#include <vtkSmartPointer.h>
#include <vtkSmoothPolyDataFilter.h>
#include <vtkStaticCellLocator.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// Fills a mask of type OutT from component 0 of the volume's typed values in one pass (on two
// busy cores a thread pool costs more than it saves here).
template <typename OutT, typename Range>
void FillMask(const Range& values,
  vtkIdType components,
  vtkIdType count,
  double low,
  double high,
  OutT inside,
  OutT* mask)
{
  if (components == 1)
  {
    // The usual single-component volume: a contiguous loop the compiler can vectorise.
    auto value = values.cbegin();
    for (vtkIdType i = 0; i < count; ++i, ++value)
    {
      const double v = static_cast<double>(*value);
      mask[i] = (low <= v && v <= high) ? inside : OutT(0);
    }
    return;
  }
  for (vtkIdType i = 0; i < count; ++i)
  {
    const double v = static_cast<double>(values[i * components]);
    mask[i] = (low <= v && v <= high) ? inside : OutT(0);
  }
}

struct vMaskWorker
{
  template <typename ArrayT>
  void operator()(ArrayT* array,
    vtkDataArray* mask,
    vtkIdType count,
    double low,
    double high,
    double inside) const
  {
    const auto values = vtk::DataArrayValueRange(array);
    const vtkIdType components = array->GetNumberOfComponents();
    switch (mask->GetDataType())
    {
      vtkTemplateMacro(FillMask(values,
        components,
        count,
        low,
        high,
        static_cast<VTK_TT>(inside),
        static_cast<VTK_TT*>(mask->GetVoidPointer(0))));
    }
  }
};

// The mask keeps the volume's own scalar type (half or a quarter of the memory of a float mask
// for the usual integer volumes, through the smoothing too) when that type holds `value`
// exactly; otherwise it takes doubles, so the value is never cut or wrapped.
int MaskScalarType(int volumeType, double value)
{
  switch (volumeType)
  {
    case VTK_FLOAT:
    {
      // Casting a finite double beyond the float range is undefined: check the range first.
      const bool inRange = !std::isfinite(value) || std::fabs(value) <= FLT_MAX;
      return inRange && static_cast<double>(static_cast<float>(value)) == value ? VTK_FLOAT
                                                                                : VTK_DOUBLE;
    }
    case VTK_DOUBLE:
      return VTK_DOUBLE;
    case VTK_CHAR:
    case VTK_SIGNED_CHAR:
    case VTK_UNSIGNED_CHAR:
    case VTK_SHORT:
    case VTK_UNSIGNED_SHORT:
    case VTK_INT:
    case VTK_UNSIGNED_INT:
    {
      double range[2] = { vtkDataArray::GetDataTypeMin(volumeType),
        vtkDataArray::GetDataTypeMax(volumeType) };
      const bool fits = std::floor(value) == value && value >= range[0] && value <= range[1];
      return fits ? volumeType : VTK_DOUBLE;
    }
    default:
      return VTK_DOUBLE;
  }
}

// Squared distance from p to the triangle (a, b, c): the closest point is found by the triangle's
// Voronoi regions (vertex, edge, face), which handles degenerate triangles too.
double PointTriangleDistance2(const double p[3],
  const double a[3],
  const double b[3],
  const double c[3])
{
  double ab[3];
  double ac[3];
  double ap[3];
  for (int i = 0; i < 3; ++i)
  {
    ab[i] = b[i] - a[i];
    ac[i] = c[i] - a[i];
    ap[i] = p[i] - a[i];
  }
  auto dot = [](const double u[3], const double v[3])
  { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; };
  auto distance2To = [p](const double q[3])
  {
    double d[3] = { p[0] - q[0], p[1] - q[1], p[2] - q[2] };
    return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  };
  auto along = [&](const double origin[3], const double direction[3], double t)
  {
    double q[3] = {
      origin[0] + t * direction[0], origin[1] + t * direction[1], origin[2] + t * direction[2]
    };
    return distance2To(q);
  };
  const double d1 = dot(ab, ap);
  const double d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0)
  {
    return distance2To(a);
  }
  double bp[3] = { p[0] - b[0], p[1] - b[1], p[2] - b[2] };
  const double d3 = dot(ab, bp);
  const double d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3)
  {
    return distance2To(b);
  }
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0)
  {
    return along(a, ab, d1 / (d1 - d3));
  }
  double cp[3] = { p[0] - c[0], p[1] - c[1], p[2] - c[2] };
  const double d5 = dot(ab, cp);
  const double d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6)
  {
    return distance2To(c);
  }
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0)
  {
    return along(a, ac, d2 / (d2 - d6));
  }
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
  {
    double bc[3] = { c[0] - b[0], c[1] - b[1], c[2] - b[2] };
    return along(b, bc, (d4 - d3) / ((d4 - d3) + (d5 - d6)));
  }
  const double sum = va + vb + vc;
  if (!(sum > 0) || !std::isfinite(sum))
  {
    // Degenerate (collinear) triangle that no region above claimed: the closest of its edges.
    double bc[3] = { c[0] - b[0], c[1] - b[1], c[2] - b[2] };
    auto segment = [&](const double origin[3], const double direction[3])
    {
      double length2 = dot(direction, direction);
      double op[3] = { p[0] - origin[0], p[1] - origin[1], p[2] - origin[2] };
      double t = length2 > 0 ? std::min(1.0, std::max(0.0, dot(op, direction) / length2)) : 0.0;
      return along(origin, direction, t);
    };
    return std::min(segment(a, ab), std::min(segment(a, ac), segment(b, bc)));
  }
  const double v = vb / sum;
  const double w = vc / sum;
  double q[3] = {
    a[0] + ab[0] * v + ac[0] * w, a[1] + ab[1] * v + ac[1] * w, a[2] + ab[2] * v + ac[2] * w
  };
  return distance2To(q);
}

// A bounding-volume hierarchy over the triangles of a surface, for closest-point queries from
// many threads at once (read-only once built). Each query walks the tree nearest box first and
// skips every box farther than the closest triangle found so far, so it measures only a few
// triangles. Only surfaces made of triangles (polygons of three points and triangle strips) are
// taken; others are left to VTK's cell locator.
class vTriangleTree
{
public:
  bool Build(vtkDataSet* surface)
  {
    auto* poly = vtkPolyData::SafeDownCast(surface);
    if (!poly || !poly->GetPoints() || poly->GetNumberOfVerts() > 0 || poly->GetNumberOfLines() > 0)
    {
      return false;
    }
    const vtkIdType numberOfPoints = poly->GetNumberOfPoints();
    std::vector<vtkIdType> ids;
    auto takeCells = [&](vtkCellArray* cells, bool strips)
    {
      if (!cells)
      {
        return true;
      }
      auto iterator = vtk::TakeSmartPointer(cells->NewIterator());
      for (iterator->GoToFirstCell(); !iterator->IsDoneWithTraversal(); iterator->GoToNextCell())
      {
        vtkIdType size;
        const vtkIdType* cell;
        iterator->GetCurrentCell(size, cell);
        if ((!strips && size != 3) || size < 3)
        {
          return false;
        }
        for (vtkIdType k = 0; k + 2 < size; ++k)
        {
          // A cell naming a point that does not exist is skipped.
          if (std::all_of(cell + k,
                cell + k + 3,
                [numberOfPoints](vtkIdType id) { return id >= 0 && id < numberOfPoints; }))
          {
            ids.insert(ids.end(), cell + k, cell + k + 3);
          }
        }
      }
      return true;
    };
    if (!takeCells(poly->GetPolys(), false) || !takeCells(poly->GetStrips(), true) || ids.empty())
    {
      return false;
    }

    // The corners of every triangle, copied once (the tree reorders them).
    const size_t count = ids.size() / 3;
    this->Corners.resize(count * 9);
    for (size_t i = 0; i < ids.size(); ++i)
    {
      poly->GetPoint(ids[i], &this->Corners[i * 3]);
    }
    if (!std::all_of(
          this->Corners.begin(), this->Corners.end(), [](double v) { return std::isfinite(v); }))
    {
      return false;
    }

    // Triangle centres with their index, kept contiguous so that splitting touches memory in order.
    struct Centre
    {
      double X[3];
      std::uint64_t Triangle;
    };
    std::vector<Centre> centres(count);
    for (size_t t = 0; t < count; ++t)
    {
      const double* c = &this->Corners[t * 9];
      for (int a = 0; a < 3; ++a)
      {
        centres[t].X[a] = (c[a] + c[3 + a] + c[6 + a]) / 3.0;
      }
      centres[t].Triangle = t;
    }

    // Split ranges at the median centre along the longest side of their centres' bounds, until
    // a few triangles remain. Children always come after their parent in the node table.
    this->Nodes.reserve(2 * (count / LeafSize + 1));
    this->Nodes.emplace_back();
    struct Range
    {
      size_t Node;
      size_t First;
      size_t Last;
    };
    std::vector<Range> stack = { { 0, 0, count } };
    while (!stack.empty())
    {
      const Range range = stack.back();
      stack.pop_back();
      const size_t size = range.Last - range.First;
      if (size <= LeafSize)
      {
        this->Nodes[range.Node].First = range.First;
        this->Nodes[range.Node].Count = size;
        continue;
      }
      double low[3] = { VTK_DOUBLE_MAX, VTK_DOUBLE_MAX, VTK_DOUBLE_MAX };
      double high[3] = { -VTK_DOUBLE_MAX, -VTK_DOUBLE_MAX, -VTK_DOUBLE_MAX };
      for (size_t i = range.First; i < range.Last; ++i)
      {
        for (int a = 0; a < 3; ++a)
        {
          low[a] = std::min(low[a], centres[i].X[a]);
          high[a] = std::max(high[a], centres[i].X[a]);
        }
      }
      int axis = 0;
      for (int a = 1; a < 3; ++a)
      {
        if (high[a] - low[a] > high[axis] - low[axis])
        {
          axis = a;
        }
      }
      const size_t middle = range.First + size / 2;
      std::nth_element(centres.begin() + range.First,
        centres.begin() + middle,
        centres.begin() + range.Last,
        [axis](const Centre& p, const Centre& q) { return p.X[axis] < q.X[axis]; });
      const size_t left = this->Nodes.size();
      this->Nodes[range.Node].First = left;
      this->Nodes[range.Node].Count = 0;
      this->Nodes.emplace_back();
      this->Nodes.emplace_back();
      stack.push_back({ left, range.First, middle });
      stack.push_back({ left + 1, middle, range.Last });
    }

    // Store the corners in tree order, so that a leaf's triangles are contiguous.
    std::vector<double> sorted(this->Corners.size());
    for (size_t i = 0; i < count; ++i)
    {
      std::copy_n(&this->Corners[centres[i].Triangle * 9], 9, &sorted[i * 9]);
    }
    this->Corners.swap(sorted);

    // Boxes from the leaves up: children come after their parent, so walk the table backwards.
    for (size_t n = this->Nodes.size(); n-- > 0;)
    {
      Node& node = this->Nodes[n];
      for (int a = 0; a < 3; ++a)
      {
        node.Box[2 * a] = VTK_DOUBLE_MAX;
        node.Box[2 * a + 1] = -VTK_DOUBLE_MAX;
      }
      auto grow = [&node](const double* x)
      {
        for (int a = 0; a < 3; ++a)
        {
          node.Box[2 * a] = std::min(node.Box[2 * a], x[a]);
          node.Box[2 * a + 1] = std::max(node.Box[2 * a + 1], x[a]);
        }
      };
      if (node.Count > 0)
      {
        for (size_t v = node.First * 3; v < (node.First + node.Count) * 3; ++v)
        {
          grow(&this->Corners[v * 3]);
        }
      }
      else
      {
        for (size_t child = node.First; child < node.First + 2; ++child)
        {
          const double* box = this->Nodes[child].Box;
          const double lowCorner[3] = { box[0], box[2], box[4] };
          const double highCorner[3] = { box[1], box[3], box[5] };
          grow(lowCorner);
          grow(highCorner);
        }
      }
    }
    return true;
  }

  // Squared distance from x to the closest triangle.
  double Distance2(const double x[3]) const
  {
    double best = std::numeric_limits<double>::infinity();
    size_t stack[128];
    size_t top = 0;
    stack[top++] = 0;
    while (top > 0)
    {
      const Node& node = this->Nodes[stack[--top]];
      if (BoxDistance2(node.Box, x) >= best)
      {
        continue;
      }
      if (node.Count > 0)
      {
        for (size_t t = node.First; t < node.First + node.Count; ++t)
        {
          const double* c = &this->Corners[t * 9];
          best = std::min(best, PointTriangleDistance2(x, c, c + 3, c + 6));
        }
        continue;
      }
      // Push the farther child first so the nearer one is measured first.
      const double left = BoxDistance2(this->Nodes[node.First].Box, x);
      const double right = BoxDistance2(this->Nodes[node.First + 1].Box, x);
      if (top + 2 > sizeof(stack) / sizeof(stack[0]))
      {
        break; // cannot happen with median splits (depth below 64); never overrun
      }
      if (left <= right)
      {
        stack[top++] = node.First + 1;
        stack[top++] = node.First;
      }
      else
      {
        stack[top++] = node.First;
        stack[top++] = node.First + 1;
      }
    }
    return best;
  }

private:
  static constexpr size_t LeafSize = 4;

  struct Node
  {
    double Box[6];
    size_t First = 0; // a leaf's first triangle, or an inner node's first child
    size_t Count = 0; // a leaf's number of triangles; 0 for an inner node
  };

  static double BoxDistance2(const double box[6], const double x[3])
  {
    double gap2 = 0;
    for (int a = 0; a < 3; ++a)
    {
      const double d = x[a] < box[2 * a] ? box[2 * a] - x[a]
                                         : (x[a] > box[2 * a + 1] ? x[a] - box[2 * a + 1] : 0.0);
      gap2 += d * d;
    }
    return gap2;
  }

  std::vector<double> Corners; // nine coordinates per triangle, in tree order
  std::vector<Node> Nodes;
};

// Gives a large image scalars of `type` in memory backed by huge pages where the system offers
// them: a fresh 256^3 mask otherwise spends most of its time in page faults. False for small
// images (or when the memory cannot be had), which take VTK's ordinary allocation.
bool AllocateLargeScalars(vtkImageData* image, int type)
{
  constexpr size_t hugePage = size_t(2) << 20;
  const vtkIdType voxels = image->GetNumberOfPoints();
  vtkSmartPointer<vtkDataArray> scalars =
    vtk::TakeSmartPointer(vtkDataArray::CreateDataArray(type));
  if (!scalars)
  {
    return false;
  }
  const size_t bytes =
    static_cast<size_t>(voxels) * static_cast<size_t>(scalars->GetDataTypeSize());
  if (bytes < 4 * hugePage)
  {
    return false;
  }
  const size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
  void* memory = nullptr;
  if (posix_memalign(&memory, hugePage, rounded) != 0 || !memory)
  {
    return false;
  }
#ifdef MADV_HUGEPAGE
  madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  scalars->SetName("ImageScalars");
  scalars->SetVoidArray(memory, voxels, 0, vtkAbstractArray::VTK_DATA_ARRAY_FREE);
  image->GetPointData()->SetScalars(scalars);
  return true;
}

// Makes the file ordinary users would get from a plain create (mkstemp gives 0600).
void SetDefaultPermissions(int fd)
{
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

// Flushes a written file to disk before it replaces the old one.
void SyncFile(const std::string& path)
{
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0)
  {
    fsync(fd);
    ::close(fd);
  }
}
} // namespace

bool vtkTools::vtkSave(vtkDataSet* data, const std::string& path)
{
  if (!data || path.empty())
  {
    vLog::Error("vtkSave: nothing to write to '" + path + "'");
    return false;
  }
  std::string pattern = path + ".tmpXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0)
  {
    vLog::Error("vtkSave: cannot write '" + path + "': " + std::strerror(errno));
    return false;
  }
  SetDefaultPermissions(fd);
  ::close(fd);
  const std::string temporary(name.data());

  vtkNew<vtkDataSetWriter> writer;
  writer->SetInputData(data);
  writer->SetFileName(temporary.c_str());
  // The writer reports its own failures (full disk ...) through VTK's output window.
  bool ok = writer->Write() == 1 && writer->GetErrorCode() == 0;
  if (ok)
  {
    SyncFile(temporary);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
      vLog::Error("vtkSave: cannot replace '" + path + "': " + std::strerror(errno));
      ok = false;
    }
  }
  if (!ok)
  {
    ::unlink(temporary.c_str());
  }
  return ok;
}

bool vtkTools::vtkMcMask(vtkImageData* volume, double value, vtkImageData* mask)
{
  if (!mask)
  {
    return false;
  }
  mask->Initialize();
  vtkDataArray* scalars = volume ? volume->GetPointData()->GetScalars() : nullptr;
  if (!scalars || volume->GetNumberOfPoints() < 1 || scalars->GetNumberOfComponents() < 1)
  {
    return false;
  }
  mask->CopyStructure(volume);
  const int type = MaskScalarType(scalars->GetDataType(), value);
  if (!AllocateLargeScalars(mask, type))
  {
    mask->AllocateScalars(type, 1);
  }
  vtkDataArray* out = mask->GetPointData()->GetScalars();
  if (!out || out->GetNumberOfTuples() != mask->GetNumberOfPoints())
  {
    // VTK tells of an allocation that failed only in its log, and a mask without its voxels
    // would have the filters downstream read past its end.
    mask->Initialize();
    throw std::bad_alloc();
  }
  const vtkIdType voxels = out->GetNumberOfTuples();
  // A scalar array shorter than the grid (a malformed volume) leaves the rest of the mask at 0.
  const vtkIdType count = std::min(voxels, scalars->GetNumberOfTuples());
  for (vtkIdType i = count; i < voxels; ++i)
  {
    out->SetComponent(i, 0, 0.0);
  }

  const double low = value - MaskHalfWidth;
  const double high = value + MaskHalfWidth;
  vMaskWorker worker;
  if (!vtkArrayDispatch::Dispatch::Execute(scalars, worker, out, count, low, high, value))
  {
    worker(scalars, out, count, low, high, value);
  }
  return true;
}

void vtkTools::vtkMcSurface(vtkImageData* mask,
  double value,
  double reduction,
  int iterations,
  vtkPolyData* out)
{
  if (!out)
  {
    return;
  }
  if (!mask || mask->GetNumberOfPoints() < 1 || !mask->GetPointData()->GetScalars())
  {
    out->Initialize();
    return;
  }
  vtkNew<vtkImageGaussianSmooth> smooth;
  smooth->SetInputData(mask);
  smooth->SetRadiusFactors(1, 1, 1);

  vtkNew<vtkMarchingCubes> contour;
  contour->SetInputConnection(smooth->GetOutputPort());
  contour->SetValue(0, value - ContourOffset);
  contour->SetValue(1, value + ContourOffset);

  // No surface at this value is an empty result, not a failure of the filters downstream.
  contour->Update();
  if (contour->GetOutput()->GetNumberOfPolys() < 1)
  {
    out->Initialize();
    return;
  }

  vtkNew<vtkDecimatePro> decimate;
  decimate->SetInputConnection(contour->GetOutputPort());
  decimate->PreserveTopologyOn();
  decimate->SetTargetReduction(reduction);

  // The filters die with this scope, so sharing their output's arrays is as good as a copy.
  if (iterations < 1)
  {
    decimate->Update();
    out->ShallowCopy(decimate->GetOutput());
    return;
  }
  vtkNew<vtkSmoothPolyDataFilter> smoothSurface;
  smoothSurface->SetInputConnection(decimate->GetOutputPort());
  smoothSurface->BoundarySmoothingOn();
  smoothSurface->SetConvergence(0.00001);
  smoothSurface->SetNumberOfIterations(iterations);
  smoothSurface->Update();
  out->ShallowCopy(smoothSurface->GetOutput());
}

void vtkTools::vtkMc(vtkImageData* volume,
  double value,
  double reduction,
  int iterations,
  vtkPolyData* out)
{
  if (!out)
  {
    return;
  }
  vtkNew<vtkImageData> mask;
  if (!vtkMcMask(volume, value, mask))
  {
    out->Initialize();
    return;
  }
  vtkMcSurface(mask, value, reduction, iterations, out);
}

vtkIdType vtkTools::vtkSurfaceDistance(vtkDataSet* surface,
  vtkDataSet* points,
  double* distances,
  vtkIdType capacity)
{
  if (!points || !distances || capacity <= 0)
  {
    return 0;
  }
  const vtkIdType count = std::min(points->GetNumberOfPoints(), capacity);
  if (count < 1)
  {
    return 0;
  }
  if (!surface || surface->GetNumberOfCells() < 1)
  {
    std::fill(distances, distances + count, -1.0);
    return count;
  }

  // The query points, read once here: not every data set's GetPoint may run on several threads.
  std::vector<double> xyz(static_cast<size_t>(count) * 3);
  for (vtkIdType i = 0; i < count; ++i)
  {
    points->GetPoint(i, &xyz[static_cast<size_t>(i) * 3]);
  }

  // Triangle surfaces (the usual case) go through a tree that measures triangles directly;
  // any other cells through VTK's static cell locator. Both answer from several threads at once.
  vTriangleTree tree;
  if (tree.Build(surface))
  {
    vtkSMPTools::For(0,
      count,
      [&](vtkIdType begin, vtkIdType end)
      {
        for (vtkIdType i = begin; i < end; ++i)
        {
          distances[i] = std::sqrt(tree.Distance2(&xyz[static_cast<size_t>(i) * 3]));
        }
      });
    return count;
  }

  // Data sets build some of their structures on first use; do that here, on one thread.
  if (auto* poly = vtkPolyData::SafeDownCast(surface))
  {
    if (poly->NeedToBuildCells())
    {
      poly->BuildCells();
    }
  }
  vtkNew<vtkGenericCell> first;
  surface->GetCell(0, first);

  vtkNew<vtkStaticCellLocator> locator;
  locator->SetDataSet(surface);
  locator->BuildLocator();

  vtkSMPThreadLocalObject<vtkGenericCell> cells;
  vtkSMPTools::For(0,
    count,
    [&](vtkIdType begin, vtkIdType end)
    {
      vtkGenericCell* cell = cells.Local();
      double closest[3];
      vtkIdType cellId;
      int subId;
      double dist2;
      for (vtkIdType i = begin; i < end; ++i)
      {
        dist2 = VTK_DOUBLE_MAX;
        locator->FindClosestPoint(
          &xyz[static_cast<size_t>(i) * 3], closest, cell, cellId, subId, dist2);
        distances[i] = std::sqrt(dist2);
      }
    });
  return count;
}
