#pragma once

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>

class QLabel;

namespace ui {
class CStaticLink;
}

// The figures of the about box. Memory: the physical memory still available, "%lu KB". Disk: the free
// space of the file system that holds `folder`, "%lu KB frees in %s" with the folder where that file system
// is mounted (the drive letter of the original); "Unavaiable" when it cannot be read.
std::optional<unsigned long> FreeMemoryKb();
std::string FreeMemoryText();
std::string FreeDiskText(const std::string& folder);

// "About Fabrio...": the program's picture across the top, the maker's address as a link and the two
// figures, updated while the box is open.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kMakerAddress = "https://example.org/lumeo";

    explicit CAboutDlg(QWidget* parent = nullptr);

    ui::CStaticLink& Link() { return *link_; }
    QString MemoryText() const;
    QString DiskText() const;

  private:
    void UpdateFigures();

    ui::CStaticLink* link_ = nullptr;
    QLabel* memory_ = nullptr;
    QLabel* disk_ = nullptr;
    QTimer update_;
};

// The splash screen: the program's picture in a borderless window in the middle of the screen, gone after
// 500 ms or at the first key or mouse button pressed anywhere in the application.
class CSplashWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kShowMs = 500;

    // Shows itself, centred on `over` (the screen when null), and deletes itself when it goes.
    explicit CSplashWnd(QWidget* over = nullptr);
    ~CSplashWnd() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Watches the whole application for the first press.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTimer timer_;
};
