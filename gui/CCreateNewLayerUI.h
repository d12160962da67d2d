#ifndef CCreateNewLayerUI_h
#define CCreateNewLayerUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

#include <string>
#include <vector>

class CVemoraCPEXE;
class QComboBox;
class QLineEdit;

/**
 * The "New Layer..." dialog: a layer kind, a resource and a renderer, each chosen from a list or
 * typed. It creates nothing itself; OK checks the choice against the workspace (the engine, the
 * "boss") and keeps the dialog open with a message until the choice is usable.
 */
class VEMORAGUI_EXPORT CCreateNewLayerUI : public QDialog
{
  Q_OBJECT
public:
  /** The kinds offered, in order. */
  static const std::vector<std::string>& GetLayerKinds();

  /** `boss` (borrowed, may be null) is the engine the choice is checked against. */
  explicit CCreateNewLayerUI(CVemoraCPEXE* boss, QWidget* parent = nullptr);

  /** Fills the three lists; call before the dialog is shown. */
  void SetLists(const std::vector<std::string>& resources,
    const std::vector<std::string>& kinds,
    const std::vector<std::string>& renderers);

  /**
   * The suggested name: "Layer_" and the smallest n from 1 that no layer of the current viewer has
   * (ignoring letter case); "" without an engine or a viewer.
   */
  std::string SuggestLayerName() const;

  const std::string& GetResource() const { return this->Resource; }
  const std::string& GetRenderer() const { return this->Renderer; }
  const std::string& GetKind() const { return this->Kind; }

  /** Checks the choice; "" when it is usable, else the message shown for it. */
  std::string Check(const std::string& kind,
    const std::string& resource,
    const std::string& renderer) const;

  QComboBox* GetKindBox() const { return this->KindBox; }
  QComboBox* GetResourceBox() const { return this->ResourceBox; }
  QComboBox* GetRendererBox() const { return this->RendererBox; }

public slots:
  void accept() override;

private:
  CVemoraCPEXE* Boss; // borrowed: the engine
  QLineEdit* NameBox = nullptr;
  QComboBox* KindBox = nullptr;
  QComboBox* ResourceBox = nullptr;
  QComboBox* RendererBox = nullptr;
  std::string Resource;
  std::string Renderer;
  std::string Kind;
};

#endif
