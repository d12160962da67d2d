#ifndef vDropPaths_h
#define vDropPaths_h

#include <QStringList>

class QMimeData;

/** What a drop on the window names: the local files and folders of its URLs. */
namespace vDropPaths
{
/** The local paths, in order; URLs that are not local files are left out. */
QStringList FromMimeData(const QMimeData* data);
} // namespace vDropPaths

#endif
