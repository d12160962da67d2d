#include "CVemoraCPUI.h"

#include "CPropertyUI.h"
#include "vIconSet.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"

#include "vDataResource.h"
#include "vLayer.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vProp.h"
#include "vUserPrompt.h"

#include <vtkPolyData.h>
#include <vtkUnstructuredGrid.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
const char* const RootNames[CVemoraCPUI::NumberOfRoots] = { "Meshes",
  "Markers",
  "PointCloud",
  "Images",
  "Recent Files",
  "LocalRepository" };
const char* const CategoryNames[4] = { "Meshes", "Points", "PointCloud", "Images" };
/** From this many points on, a model without cells is a point cloud (as the reader decides). */
constexpr vtkIdType SmallPointSetLimit = 128;

std::string Trim(const std::string& text)
{
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
  {
    return std::string();
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
} // namespace

CVemoraCPUI::CVemoraCPUI(CVemoraCP* facade, QWidget* parent)
  : QWidget(parent)
  , Facade(facade)
  , Workspace(facade ? facade->GetUI() : nullptr)
{
  this->setObjectName(QStringLiteral("WorkspaceUI"));
  this->Tree = new QTreeWidget(this);
  this->Tree->setObjectName(QStringLiteral("WorkspaceTree"));
  this->Tree->setHeaderHidden(true);
  this->Tree->setIconSize(QSize(vIconSet::Size, vIconSet::Size));
  this->Tree->installEventFilter(this);
  connect(this->Tree, &QTreeWidget::itemSelectionChanged, this, &CVemoraCPUI::Selected);

  this->FolderBox = new QComboBox(this);
  this->FolderBox->setObjectName(QStringLiteral("FolderBox"));
  this->FolderBox->setEditable(true);
  this->FolderBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(this->FolderBox,
    &QComboBox::currentTextChanged,
    this,
    [this](const QString& text)
    {
      if (this->Workspace && !this->Syncing)
      {
        this->Workspace->SetCurDir(text.toStdString());
      }
    });
  auto* folder = new QToolButton(this);
  folder->setObjectName(QStringLiteral("FolderButton"));
  folder->setIcon(vIconSet::Icon(vIconSet::Folder));
  folder->setToolTip(QStringLiteral("Choose the current folder"));
  connect(folder, &QToolButton::clicked, this, &CVemoraCPUI::ChooseFolder);
  auto* load = new QPushButton(QStringLiteral("Load"), this);
  load->setObjectName(QStringLiteral("LoadButton"));
  load->setIcon(vIconSet::Icon(vIconSet::File));
  connect(load, &QPushButton::clicked, this, &CVemoraCPUI::LoadFile);
  auto* attach = new QPushButton(QStringLiteral("Attach"), this);
  attach->setObjectName(QStringLiteral("AttachButton"));
  attach->setToolTip(QStringLiteral("Give the selected data source to the active module"));
  connect(attach, &QPushButton::clicked, this, &CVemoraCPUI::AttachData);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(this->FolderBox);
  folderRow->addWidget(folder);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(load);
  buttonRow->addWidget(attach);
  auto* modules = new QGridLayout;
  modules->setSpacing(2);
  CVemoraCPEXE* engine = facade ? facade->GetEXE() : nullptr;
  const int count = engine ? engine->GetModules()->GetNumberOfModules() : 0;
  for (int i = 0; i < count; ++i)
  {
    const std::string name = engine->GetModules()->GetModuleName(i);
    auto* button = new QPushButton(QString::fromStdString(name), this);
    button->setObjectName(QString::number(45000 + i));
    connect(button, &QPushButton::clicked, this, [this, name]() { this->StartModule(name); });
    modules->addWidget(button, i / 2, i % 2);
    this->ModuleButtons.push_back(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(folderRow);
  layout->addWidget(this->Tree, 1);
  layout->addLayout(buttonRow);
  layout->addLayout(modules);

  this->Build();
  if (this->Workspace)
  {
    this->Workspace->SetView(this);
  }
}

CVemoraCPUI::~CVemoraCPUI()
{
  if (this->Facade && this->Facade->GetUI() == this->Workspace && this->Workspace)
  {
    this->Workspace->SetView(nullptr);
  }
}

QTreeWidgetItem* CVemoraCPUI::GetRoot(int root) const
{
  return root >= 0 && root < NumberOfRoots ? this->Roots[root] : nullptr;
}

void CVemoraCPUI::Build()
{
  this->Syncing = true;
  this->Tree->clear();
  this->Models.clear();
  this->Volumes.clear();
  for (int r = 0; r < NumberOfRoots; ++r)
  {
    this->Roots[r] = new QTreeWidgetItem(this->Tree, { QString::fromLatin1(RootNames[r]) });
    this->Roots[r]->setIcon(
      0, vIconSet::Icon(r < RecentFiles ? vIconSet::Category : vIconSet::Folder));
  }
  if (this->Workspace)
  {
    const vRecentFileList& recent = this->Workspace->GetRecentFiles();
    for (int i = 0; i < vRecentFileList::Limit; ++i)
    {
      if (!recent.GetName(i).empty())
      {
        this->AddItem(RecentFiles, recent.GetName(i));
      }
    }
  }
  this->Syncing = false;
  this->RefreshLocalRepository();
  CVemoraCPEXE* engine = this->Facade ? this->Facade->GetEXE() : nullptr;
  for (int i = 0; engine && this->Workspace && i < engine->GetNumberOfHardResources(); ++i)
  {
    auto* node = new QTreeWidgetItem(
      this->Tree, { QString::fromStdString(this->Workspace->GetHardwareItemText(i)) });
    node->setIcon(0, vIconSet::Icon(vIconSet::File));
  }
  this->SyncWithWorkspace();
}

QTreeWidgetItem* CVemoraCPUI::AddItem(int root, const std::string& name)
{
  static const int images[NumberOfRoots] = { vIconSet::Mesh,
    vIconSet::Markers,
    vIconSet::PointCloud,
    vIconSet::Volume,
    vIconSet::File,
    vIconSet::Folder };
  auto* item = new QTreeWidgetItem(this->Roots[root], { QString::fromStdString(name) });
  item->setIcon(0, vIconSet::Icon(images[root]));
  this->Roots[root]->setExpanded(true);
  return item;
}

void CVemoraCPUI::RefreshLocalRepository()
{
  if (!this->Workspace)
  {
    return;
  }
  this->Syncing = true;
  QTreeWidgetItem* root = this->Roots[LocalRepository];
  qDeleteAll(root->takeChildren());
  for (const vLocalRepository::Case& entry : this->Workspace->GetLocalRepository().GetCases())
  {
    auto* folder = new QTreeWidgetItem(root, { QString::fromStdString(entry.Name) });
    folder->setIcon(0, vIconSet::Icon(vIconSet::Folder));
    for (const std::string& file : entry.Files)
    {
      auto* item = new QTreeWidgetItem(folder, { QString::fromStdString(file) });
      item->setIcon(0, vIconSet::Icon(vIconSet::File));
    }
  }
  this->Syncing = false;
}

int CVemoraCPUI::ModelRoot(int index) const
{
  vtkDataSet* model = this->Facade->GetEXE()->GetModel()->GetData(index);
  vtkIdType cells = 0;
  if (auto* poly = vtkPolyData::SafeDownCast(model))
  {
    cells = poly->GetNumberOfPolys() + poly->GetNumberOfStrips();
  }
  else if (auto* grid = vtkUnstructuredGrid::SafeDownCast(model))
  {
    cells = grid->GetNumberOfCells();
  }
  if (cells > 0)
  {
    return Meshes;
  }
  return model && model->GetNumberOfPoints() >= SmallPointSetLimit ? PointCloud : Markers;
}

void CVemoraCPUI::SyncCollection(std::vector<Entry>& seen, bool volumes)
{
  CVemoraCPEXE* engine = this->Facade->GetEXE();
  std::vector<std::string> names;
  if (volumes)
  {
    vVolumeResource* collection = engine->GetVolume();
    for (int i = 0; i < collection->GetNumberOfItems(); ++i)
    {
      names.push_back(collection->GetDataName(i));
    }
  }
  else
  {
    vDataResource* collection = engine->GetModel();
    for (int i = 0; i < collection->GetNumberOfItems(); ++i)
    {
      names.push_back(collection->GetDataName(i));
    }
  }
  // Collections only grow at the end and lose items anywhere: walk both in order.
  std::vector<Entry> kept;
  size_t j = 0;
  for (const Entry& entry : seen)
  {
    if (j < names.size() && entry.Name == names[j])
    {
      kept.push_back(entry);
      ++j;
    }
    else
    {
      delete entry.Item;
    }
  }
  for (; j < names.size(); ++j)
  {
    QTreeWidgetItem* item = nullptr;
    if (volumes)
    {
      item = this->AddItem(Images, names[j]);
    }
    else if (j + 1 == names.size() && this->OpenedType != 0)
    {
      const int type = this->OpenedType;
      const int root = type == CVemoraCPEXE::SurfaceMesh ? Meshes
        : type == CVemoraCPEXE::SmallPointSet            ? Markers
        : type == CVemoraCPEXE::PointCloud               ? PointCloud
                                                         : -1;
      item = root >= 0 ? this->AddItem(root, names[j]) : nullptr; // reader type 2: no item
    }
    else
    {
      item = this->AddItem(this->ModelRoot(static_cast<int>(j)), names[j]);
    }
    kept.push_back({ names[j], item });
  }
  seen.swap(kept);
}

void CVemoraCPUI::FillFolderBox()
{
  if (!this->Workspace)
  {
    return;
  }
  const QSignalBlocker block(this->FolderBox);
  this->FolderBox->clear();
  for (const std::string& folder : this->Workspace->GetFolders().GetFolders())
  {
    this->FolderBox->addItem(QString::fromStdString(folder));
  }
  this->FolderBox->setEditText(QString::fromStdString(this->Workspace->GetCurDir()));
}

void CVemoraCPUI::SyncWithWorkspace()
{
  if (!this->Facade || !this->Facade->GetEXE())
  {
    return;
  }
  this->Syncing = true;
  this->SyncCollection(this->Models, false);
  this->SyncCollection(this->Volumes, true);
  this->FillFolderBox();
  this->Syncing = false;
}

void CVemoraCPUI::ItemOpened(int type, const std::string& name)
{
  (void)name;
  this->OpenedType = type;
  this->SyncWithWorkspace();
  this->OpenedType = 0;
}

void CVemoraCPUI::RecentFileAdded(const std::string& name)
{
  this->AddItem(RecentFiles, name);
}

void CVemoraCPUI::ShowRecord(const vProp& set)
{
  if (this->Grid)
  {
    this->Grid->RemoveAll();
    this->Grid->UpdateProperty(set);
  }
}

void CVemoraCPUI::ShowItemProp(const std::string& name)
{
  if (!this->Grid)
  {
    return;
  }
  this->Grid->RemoveAll();
  CVemoraCPEXE* engine = this->Facade ? this->Facade->GetEXE() : nullptr;
  vViewer* viewer = engine ? engine->GetModules()->GetViewer() : nullptr;
  if (!viewer)
  {
    vProp set;
    set.SetType("Resource");
    set.SetName(name);
    this->Grid->UpdateProperty(set);
    return;
  }
  this->Grid->UpdateProperty(viewer);
  vLayer* key = viewer->GetKeyLayerId() >= 0 ? viewer->GetKeyLayer() : nullptr;
  if (key && key->SearchResource(name) >= 0)
  {
    this->Grid->UpdateProperty(key);
    return;
  }
  const int index = viewer->SearchResource(name);
  if (vLayer* layer = index >= 0 ? viewer->GetInput(index) : nullptr)
  {
    this->Grid->UpdateProperty(layer);
  }
}

void CVemoraCPUI::Selected()
{
  QTreeWidgetItem* item = this->Tree->currentItem();
  if (this->Syncing || !item || !this->Workspace)
  {
    return;
  }
  QTreeWidgetItem* parent = item->parent();
  const std::string text = item->text(0).toStdString();
  this->Workspace->SetSelectedItemText(
    text, parent ? parent->text(0).toStdString() : std::string());
  vProp set;
  for (int r = 0; r < NumberOfRoots; ++r)
  {
    if (item != this->Roots[r])
    {
      continue;
    }
    set.SetType("Category");
    if (r < RecentFiles)
    {
      set.SetName(CategoryNames[r]);
    }
    else if (r == RecentFiles)
    {
      set.SetName("Recent files");
    }
    else
    {
      set.SetName("Local Repository");
      set.SetFilename(this->Workspace->GetLocalRepository().GetFolder());
    }
    this->ShowRecord(set);
    return;
  }
  if (parent == this->Roots[RecentFiles])
  {
    set.SetType("Recent file");
    set.SetName(text);
    set.SetFilename(this->Workspace->GetRecentFiles().GetPathOf(text));
    this->ShowRecord(set);
    return;
  }
  QTreeWidgetItem* grandparent = parent ? parent->parent() : nullptr;
  if (parent == this->Roots[LocalRepository] || grandparent == this->Roots[LocalRepository])
  {
    const vLocalRepository& local = this->Workspace->GetLocalRepository();
    set.SetType("Local Repository");
    set.SetName(text);
    for (const vLocalRepository::Case& entry : local.GetCases())
    {
      if (parent == this->Roots[LocalRepository] && entry.Name == text)
      {
        set.SetFilename(entry.Path);
      }
      else if (grandparent && entry.Name == parent->text(0).toStdString())
      {
        set.SetFilename(local.GetFilePath(entry.Name, text));
      }
    }
    this->ShowRecord(set);
    return;
  }
  CVemoraCPEXE* engine = this->Facade->GetEXE();
  const auto bracket = text.rfind(']');
  if (!parent && bracket != std::string::npos)
  {
    const std::string name = Trim(text.substr(bracket + 1));
    const int index = engine->FindHardResource(name);
    if (index >= 0)
    {
      set.SetName(name);
      set.SetDescription(engine->GetHardResourceDesc(index));
      set.SetVersion(engine->GetHardResourceVer(index));
      set.SetFilename(engine->GetHardResourceDLL(index));
      this->ShowRecord(set);
      return;
    }
  }
  this->Workspace->ShowItemProp(text);
}

bool CVemoraCPUI::Select(const QString& text, int root)
{
  QTreeWidgetItem* under = this->GetRoot(root);
  const QList<QTreeWidgetItem*> found =
    this->Tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  for (QTreeWidgetItem* item : found)
  {
    if (!under || item->parent() == under)
    {
      if (this->Tree->currentItem() == item)
      {
        this->Selected(); // shown again with the values of now
      }
      else
      {
        this->Tree->setCurrentItem(item);
      }
      return true;
    }
  }
  return false;
}

void CVemoraCPUI::LoadFile()
{
  if (this->Workspace && !this->Workspace->LoadFile().empty())
  {
    emit this->WorkspaceChanged();
  }
}

void CVemoraCPUI::ChooseFolder()
{
  if (!this->Workspace)
  {
    return;
  }
  const std::string folder = vUserPrompt::Get()->AskFolder(this->Workspace->GetCurDir());
  if (!folder.empty())
  {
    this->Workspace->SetCurDir(folder);
    this->Workspace->AddRecentFolder(folder);
    this->FillFolderBox();
  }
}

void CVemoraCPUI::AttachData()
{
  if (this->Workspace)
  {
    this->Workspace->AttachSelectedData();
  }
}

void CVemoraCPUI::StartModule(const std::string& name)
{
  if (!this->Workspace)
  {
    return;
  }
  this->Workspace->StartModule(name);
  this->SyncWithWorkspace();
  emit this->WorkspaceChanged();
}

void CVemoraCPUI::RemoveSelectedItem()
{
  QTreeWidgetItem* item = this->Tree->currentItem();
  QTreeWidgetItem* parent = item ? item->parent() : nullptr;
  // Only data items go: categories stay, recent files and the repository are lists of files.
  bool dataItem = false;
  for (int r = Meshes; r <= Images; ++r)
  {
    dataItem = dataItem || (parent && parent == this->Roots[r]);
  }
  if (!dataItem || !this->Workspace)
  {
    return;
  }
  CVemoraCPEXE* engine = this->Facade->GetEXE();
  const int before =
    engine->GetModel()->GetNumberOfItems() + engine->GetVolume()->GetNumberOfItems();
  if (!this->Workspace->RemoveItem(item->text(0).toStdString()))
  {
    return;
  }
  if (this->Grid)
  {
    this->Grid->RemoveAll();
  }
  const int after =
    engine->GetModel()->GetNumberOfItems() + engine->GetVolume()->GetNumberOfItems();
  if (after == before)
  {
    // The engine did not know the name: the item goes all the same, its entry stays in step.
    for (std::vector<Entry>* entries : { &this->Models, &this->Volumes })
    {
      for (Entry& entry : *entries)
      {
        if (entry.Item == item)
        {
          entry.Item = nullptr;
        }
      }
    }
    delete item;
  }
  this->SyncWithWorkspace();
  emit this->WorkspaceChanged();
}

bool CVemoraCPUI::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == this->Tree && event->type() == QEvent::KeyPress &&
    static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
  {
    this->RemoveSelectedItem();
    return true; // the keystroke is handled
  }
  return QWidget::eventFilter(watched, event);
}
