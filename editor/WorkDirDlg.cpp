#include "editor/WorkDirDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QGridLayout>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTreeWidget>
#include <algorithm>

#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"

namespace {

constexpr int kPathRole = Qt::UserRole;
// How many sub-folders a listed item has; absent until it is listed.
constexpr int kListedRole = Qt::UserRole + 1;

// The file systems that hold no files of an author's, only what the kernel shows of itself.
bool IsPseudoFileSystem(const QByteArray& type) {
    static const QByteArray kPseudo[] = {"proc",       "sysfs",     "devpts",   "cgroup",   "cgroup2",
                                         "securityfs", "debugfs",   "tracefs",  "pstore",   "bpf",
                                         "mqueue",     "hugetlbfs", "configfs", "fusectl",  "binfmt_misc",
                                         "autofs",     "devtmpfs",  "nsfs",     "efivarfs", "rpc_pipefs"};
    return std::find(std::begin(kPseudo), std::end(kPseudo), type) != std::end(kPseudo);
}

// The sub-folders of `path` in name order, those starting with a dot left out; at most `limit` of them.
QStringList SubFolders(const QString& path, int limit = -1) {
    QStringList names;
    QDir dir(path);
    const QStringList all =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : all) {
        if (name.startsWith(QLatin1Char('.'))) continue;
        names.push_back(name);
        if (limit >= 0 && names.size() >= limit) break;
    }
    return names;
}

QTreeWidgetItem* FolderItem(const QString& text, const QString& path) {
    auto* item = new QTreeWidgetItem(QStringList(text));
    item->setData(0, kPathRole, path);
    return item;
}

QString Joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A folder that has sub-folders gets its first one at once, so that it shows an expand mark.
void AddFirstChild(QTreeWidgetItem& item) {
    const QString path = CWorkDirDlg::PathOf(item);
    const QStringList first = SubFolders(path, 1);
    if (!first.isEmpty()) item.addChild(FolderItem(first.front(), Joined(path, first.front())));
}

}  // namespace

std::vector<WorkVolume> MountedWorkVolumes() {
    std::vector<WorkVolume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady() || IsPseudoFileSystem(storage.fileSystemType()))
            continue;
        volumes.push_back({storage.name(), storage.rootPath()});
    }
    return volumes;
}

CWorkDirDlg::CWorkDirDlg(const std::string& current, const std::vector<WorkVolume>& volumes, QWidget* parent)
    : QDialog(parent), current_(current) {
    setWindowTitle(QStringLiteral("Work directory"));
    directory_ = new QLineEdit(ShownText(current), this);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(320, 280);
    root_ = new QTreeWidgetItem(QStringList(QStringLiteral("Unidades")));
    tree_->addTopLevelItem(root_);
    for (const WorkVolume& volume : volumes) {
        const QString text = volume.label.isEmpty() ? volume.root : volume.label + " - " + volume.root;
        QTreeWidgetItem* item = FolderItem(text, volume.root);
        root_->addChild(item);
        AddFirstChild(*item);
    }
    root_->setExpanded(true);
    connect(tree_, &QTreeWidget::itemExpanded, this, &CWorkDirDlg::Expand);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CWorkDirDlg::Select);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&Directory :"), directory_);
    grid->addWidget(tree_, 1, 0, 1, 2);
    LayOutDialog(*this, grid, buttons);
}

QString CWorkDirDlg::PathOf(const QTreeWidgetItem& item) {
    return item.data(0, kPathRole).toString();
}

// The first expansion lists the folder: its first child, made when the item was, stands for the first
// sub-folder, and the others follow it. Later expansions find it listed.
void CWorkDirDlg::Expand(QTreeWidgetItem* item) {
    if (!item || item == root_ || item->data(0, kListedRole).isValid()) return;
    const QString path = PathOf(*item);
    const QStringList names = SubFolders(path);
    item->setData(0, kListedRole, static_cast<int>(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (i == 0 && child) {
            // The folder may have changed since its first child was made.
            child->setText(0, names[0]);
            child->setData(0, kPathRole, Joined(path, names[0]));
        } else {
            child = FolderItem(names[i], Joined(path, names[i]));
            item->addChild(child);
        }
        if (child->childCount() == 0) AddFirstChild(*child);
    }
    // A first child whose folder has gone since goes with it.
    if (names.isEmpty()) qDeleteAll(item->takeChildren());
}

void CWorkDirDlg::Select() {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty() || selected.front() == root_) return;
    directory_->setText(PathOf(*selected.front()));
    directory_->setModified(true);
}

std::string CWorkDirDlg::Directory() const {
    return EditedText(*directory_, current_);
}
