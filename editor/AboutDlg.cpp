#include "editor/AboutDlg.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "editor/Icons.h"
#include "ui/StaticLink.h"

namespace {

constexpr const char* kUnavailable = "Unavaiable";

}  // namespace

std::optional<unsigned long> FreeMemoryKb() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    // The file reports no size, so it is read whole rather than line by line to its end.
    if (!meminfo.open(QIODevice::ReadOnly)) return std::nullopt;
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (!line.startsWith("MemAvailable:")) continue;
        bool ok = false;
        const unsigned long kb = line.mid(13).trimmed().split(' ').value(0).toULong(&ok);
        return ok ? std::optional<unsigned long>(kb) : std::nullopt;
    }
    return std::nullopt;
}

std::string FreeMemoryText() {
    const std::optional<unsigned long> kb = FreeMemoryKb();
    return kb ? std::to_string(*kb) + " KB" : std::string(kUnavailable);
}

std::string FreeDiskText(const std::string& folder) {
    const QStorageInfo storage(QDir(QString::fromStdString(folder)));
    if (!storage.isValid() || !storage.isReady() || storage.bytesAvailable() < 0) return kUnavailable;
    const auto kb = static_cast<unsigned long long>(storage.bytesAvailable()) / 1024;
    return std::to_string(kb) + " KB frees in " + storage.rootPath().toStdString();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Fabrio..."));
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(AboutPicture());
    layout->addWidget(picture);
    layout->addWidget(new QLabel(QStringLiteral("Fabrio, the editor of interactive titles"), this));
    link_ = new ui::CStaticLink(QString::fromUtf8(kMakerAddress), this);
    link_->SetLink(QString::fromUtf8(kMakerAddress));
    layout->addWidget(link_);
    auto* figures = new QGridLayout;
    figures->addWidget(new QLabel(QStringLiteral("Free Memory :"), this), 0, 0);
    memory_ = new QLabel(this);
    figures->addWidget(memory_, 0, 1);
    figures->addWidget(new QLabel(QStringLiteral("Free Space in disk :"), this), 1, 0);
    disk_ = new QLabel(this);
    figures->addWidget(disk_, 1, 1);
    layout->addLayout(figures);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    UpdateFigures();
    // The original refreshed the figures at every idle moment; once a second shows the same.
    update_.setInterval(1000);
    connect(&update_, &QTimer::timeout, this, &CAboutDlg::UpdateFigures);
    update_.start();
}

QString CAboutDlg::MemoryText() const {
    return memory_->text();
}

QString CAboutDlg::DiskText() const {
    return disk_->text();
}

void CAboutDlg::UpdateFigures() {
    memory_->setText(QString::fromStdString(FreeMemoryText()));
    disk_->setText(QString::fromStdString(FreeDiskText(QDir::currentPath().toStdString())));
}

CSplashWnd::CSplashWnd(QWidget* over)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    const QPixmap picture = AboutPicture();
    resize(picture.size());
    QRect area = over ? over->frameGeometry() : QRect();
    if (area.isEmpty())
        if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->geometry();
    move(area.center() - rect().center());
    qApp->installEventFilter(this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
    timer_.start(kShowMs);
    show();
}

CSplashWnd::~CSplashWnd() {
    qApp->removeEventFilter(this);
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, AboutPicture());
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            timer_.stop();
            close();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}
