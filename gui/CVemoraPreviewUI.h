#ifndef CVemoraPreviewUI_h
#define CVemoraPreviewUI_h

#include "VemoraGUIModule.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

/**
 * A grey-scale thumbnail of the first slice of a QV volume file. Only the header and the first
 * slice are read. A header the QV reader refuses leaves no picture and its error text in the
 * panel; a missing file or a file of another kind leaves the panel as it was.
 */
class VEMORAGUI_EXPORT CVemoraPreviewUI : public QWidget
{
  Q_OBJECT
public:
  explicit CVemoraPreviewUI(QWidget* parent = nullptr);

  void SetFilename(const std::string& path) { this->Filename = path; }
  const std::string& GetFilename() const { return this->Filename; }
  /** Previews the file named by `SetFilename` (see the class comment). */
  void Preview();
  /** Reads the QV header and first slice of `path` and draws it; false on a bad header. */
  bool PreviewXV(const std::string& path);
  /** Leaves the panel unchanged. */
  void NoPreview() {}
  /** Draws `rows` x `columns` values (row-major) scaled so that the largest is white. */
  void DrawImageFromDataPtr(const uint32_t* values, int rows, int columns);

  const QImage& GetImage() const { return this->Image; }
  const QString& GetMessage() const { return this->Message; }

  QSize sizeHint() const override { return QSize(200, 200); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string Filename;
  QImage Image;
  QString Message;
};

#endif
