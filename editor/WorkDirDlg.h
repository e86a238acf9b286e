#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// A volume the work-directory tree starts from: where it is mounted and its label (empty when it has none
// or it cannot be read).
struct WorkVolume {
    QString label;
    QString root;
};

// The volumes of this system that hold files: mounted, readable, and not one of the kernel's pseudo file
// systems. They stand where the original listed its drive letters.
std::vector<WorkVolume> MountedWorkVolumes();

// "Work directory": the folder under which the document's pictures and video are looked up. The tree has
// one root, "Unidades", with the volumes under it; a volume or folder is listed the first time it is
// expanded, and until then carries its first sub-folder only, so that it shows its expand mark. Folders
// whose names start with a dot are left out. Choosing an item puts its path into "&Directory :", where
// the author may also type one.
class CWorkDirDlg : public QDialog {
    Q_OBJECT
  public:
    CWorkDirDlg(const std::string& current, const std::vector<WorkVolume>& volumes,
                QWidget* parent = nullptr);

    // The directory confirmed, as the model stores it.
    std::string Directory() const;

    QLineEdit& DirectoryEdit() { return *directory_; }
    QTreeWidget& Tree() { return *tree_; }
    QTreeWidgetItem& RootItem() { return *root_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    // The folder an item stands for; empty for the root.
    static QString PathOf(const QTreeWidgetItem& item);

  private:
    void Expand(QTreeWidgetItem* item);
    void Select();

    std::string current_;
    QLineEdit* directory_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QTreeWidgetItem* root_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
