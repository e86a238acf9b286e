#include "player/Lumeo.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "model/Ficha.h"
#include "model/Texto.h"
#include "platform/CodePage.h"
#include "platform/Cursor.h"
#include "platform/FileDialog.h"
#include "platform/FileNames.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/qt/QtDeviceContext.h"
#include "player/BitmapButton.h"
#include "player/CardPicture.h"
#include "player/Keys.h"
#include "player/SlideShowDlg.h"
#include "player/SpriteCursor.h"
#include "player/VolumeMemory.h"
#include "ui/StaticLink.h"

namespace {

constexpr int kCardWidth = 640;
constexpr int kCardHeight = 480;

bool EndsWithNoCase(const std::string& s, const char* tail) {
    const size_t n = std::strlen(tail);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

// A name a title gives (a Windows path in Windows-1252, relative to the title's folder) as a real path;
// a name that names no file stays as it is, so that opening it reports it missing.
std::string RealPath(const std::string& stored, const std::string& folder) {
    std::optional<std::string> real = platform::ResolveWindowsPath(stored, folder);
    return real ? *real : platform::Cp1252ToUtf8(stored);
}

std::unique_ptr<CAnimDoc> MakeDocumentFor(const std::string& path) {
    if (EndsWithNoCase(path, ".anm")) return std::make_unique<CAnimDoc>(Variant::player);
    return std::make_unique<CFichaDoc>(Variant::player);
}

}  // namespace

// ---------------------------------------------------------------- command line

PlayerOptions ParsePlayerOptions(const std::vector<std::string>& arguments) {
    PlayerOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        auto value = [&](const char* option) -> std::optional<std::string> {
            if (i + 1 < arguments.size()) return arguments[++i];
            options.error = std::string(option) + " needs a value";
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--windowed") {
            options.windowed = true;
        } else if (a == "--trace") {
            options.trace = true;
        } else if (a == "--no-credits") {
            options.credits = false;
        } else if (a == "--scale") {
            std::optional<std::string> v = value("--scale");
            if (!v) break;
            if (*v == "fit") {
                options.fit = true;
            } else {
                char* end = nullptr;
                long n = std::strtol(v->c_str(), &end, 10);
                if (end == v->c_str() || *end || n < 1 || n > 16)
                    options.error = "--scale takes 1 to 16 or fit";
                else
                    options.scale = static_cast<int>(n);
            }
        } else if (a == "--card") {
            std::optional<std::string> v = value("--card");
            if (!v) break;
            char* end = nullptr;
            long n = std::strtol(v->c_str(), &end, 10);
            if (end == v->c_str() || *end || n < 0 || n > INT_MAX)
                options.error = "--card takes a card number from 0";
            else
                options.startCard = static_cast<int>(n);
        } else if (a.size() > 1 && a[0] == '-') {
            options.error = "unknown option " + a;
        } else if (options.title.empty()) {
            options.title = a;
        } else {
            options.error = "only one title can be played at a time";
        }
        if (!options.error.empty()) break;
    }
    return options;
}

std::string PlayerHelpText() {
    return "Usage: lumeo [OPTIONS] [TITLE.fca | SCENE.anm]\n"
           "Plays an interactive title. Without a title, asks for one.\n\n"
           "Options:\n"
           "  --windowed      play in a window instead of the whole screen\n"
           "  --scale N       show the card N times its size (1 to 16)\n"
           "  --scale fit     the largest size that fits the screen, keeping the card's shape\n"
           "                  (default: the largest whole factor that fits)\n"
           "  --card N        start at card N, counted from 0\n"
           "  --no-credits    skip the credits at start\n"
           "  --trace         one JSON object per line on stderr for every event (card, click, enter,\n"
           "                  leave, sound, sound-stop, volume, video, dialog, shell, exit, screenshot)\n"
           "  --help          this text\n\n" +
           PlayerKeysHelp();
}

int WholeScaleForScreen(int screenWidth, int screenHeight) {
    int factor = std::min(screenWidth / kCardWidth, screenHeight / kCardHeight);
    return factor < 1 ? 1 : factor;
}

// ---------------------------------------------------------------- card view

void CFichaView::PaintCard(platform::DeviceContext& dc, const platform::Rect& area) {
    for (CTexto* text : TextsToDraw(area)) text->Draw(dc);
    // The clip's window lies over the card and its texts.
    if (framePlace_ && frame_.bits) dc.StretchDib(frame_, *framePlace_, {0, 0, frame_.width, frame_.height});
}

void CFichaView::PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) {
    PaintCard(dc, area);
    keys_.Paint(dc);
}

void CFichaView::MousePress(const ui::MouseEvent& event) {
    if (event.button == ui::MouseButton::left) OnLeftButtonDown(event.point);
    if (event.button == ui::MouseButton::right) OnRightButtonDown(event.control);
    keys_.AfterInput();
}

void CFichaView::MouseRelease(const ui::MouseEvent& event) {
    if (event.button == ui::MouseButton::left) OnLeftButtonUp();
}

void CFichaView::MouseMove(const ui::MouseEvent& event) {
    OnMouseMove(event.point);
    keys_.PointerMoved(event.point);
}

bool CFichaView::KeyPress(const ui::KeyEvent& event) {
    const std::optional<PlayerCommand> command = MatchPlayerKey(event);
    return command && keys_.Run(*command, event.autoRepeat);
}

bool CFichaView::KeyRelease(const ui::KeyEvent& event) {
    const std::optional<PlayerCommand> command = MatchPlayerKey(event);
    return command && !event.autoRepeat && keys_.Release(*command);
}

void CFichaView::FocusLost() {
    keys_.FocusLost();
}

void CFichaView::Tick() {
    OnTimer();
    keys_.AfterInput();
}

void CFichaView::DrawMediaFrame(const platform::MediaFrame& frame) {
    CPlayerCardView::DrawMediaFrame(frame);
    const platform::DibView& p = frame.picture;
    if (!p.bits || p.width <= 0 || p.height <= 0 || p.stride <= 0) return;
    framePixels_.assign(p.bits, p.bits + static_cast<size_t>(p.stride) * static_cast<size_t>(p.height));
    frame_ = p;
    frame_.bits = framePixels_.data();
    const bool moved = !framePlace_ || !(*framePlace_ == frame.placement);
    if (framePlace_ && moved) AddDirty(*framePlace_);
    framePlace_ = frame.placement;
    AddDirty(frame.placement);
    RenderAndDrawDirtyList();
}

void CFichaView::EraseMediaArea(const platform::Rect& area) {
    framePlace_.reset();
    framePixels_.clear();
    frame_ = {};
    CPlayerCardView::EraseMediaArea(area);
}

// ---------------------------------------------------------------- application and frame

CPlayerApp::CPlayerApp(const PlayerOptions& options) : options_(options) {
    setWindowTitle("Lumeo");
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetRunState(&runState_);
    runState_.SetStartCard(options.startCard);
    view_ = std::make_unique<CFichaView>(*this);
    widget_ = new ui::ViewWidget(this);
    widget_->SetView(view_.get(), view_.get());
    widget_->setMouseTracking(true);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(kCardWidth, kCardHeight);
    if (options.fit)
        widget_->SetFitScale();
    else
        widget_->SetIntegerScale(
            options.scale > 0 ? options.scale : WholeScaleForScreen(screenSize.width(), screenSize.height()));
    tick_.setInterval(CPlayerCardView::kTimerMs);
    connect(&tick_, &QTimer::timeout, this, [this] { view_->Tick(); });
    videoPump_.setInterval(20);
    connect(&videoPump_, &QTimer::timeout, this, [this] { view_->PumpVideo(); });
    SetUpKeys();
}

void CPlayerApp::SetUpKeys() {
    // The keys reach the card view wherever the focus lands in the frame.
    setFocusProxy(widget_);
    widget_->setAccessibleName("Lumeo");
    view_->Keys().Focus().SetNameSink([this](const std::string& name) {
        widget_->setAccessibleName(name.empty() ? QString("Lumeo") : QString::fromStdString(name));
    });
    noteTimer_.setSingleShot(true);
    noteTimer_.setInterval(kPictureNoteMs);
}

QLabel& CPlayerApp::PictureNote() {
    // Made when the first picture is saved: a styled label costs the start a style of its own to polish
    // before the first card can be shown, for a note most runs never show.
    if (!note_) {
        note_ = new QLabel(widget_);
        note_->setObjectName("pictureNote");
        note_->setStyleSheet("QLabel { background: rgba(0, 0, 0, 200); color: white; padding: 4px; }");
        note_->hide();
        connect(&noteTimer_, &QTimer::timeout, note_, &QWidget::hide);
    }
    return *note_;
}

std::string CPlayerApp::SaveCardPicture() {
    const QImage image = CardPicture(*view_);
    const std::string title = document_ ? document_->GetPathName() : std::string();
    std::filesystem::path path = title.empty() ? "lumeo" : title;
    // A relative name is the title's folder's, the current one; a folder gone has no absolute name.
    std::error_code ec;
    if (std::filesystem::path absolute = std::filesystem::absolute(path, ec); !ec) path = absolute;
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
    const std::string stem = path.stem().string();
    const int card = view_->GetDocument() ? view_->GetDocument()->GetCurrentCard() : 0;
    std::optional<std::string> written = WriteCardPicture(image, folder, stem, card);
    if (!picturesFolder_)
        picturesFolder_ = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
    if (!written && !picturesFolder_->empty()) {
        std::filesystem::create_directories(*picturesFolder_, ec);
        written = WriteCardPicture(image, *picturesFolder_, stem, card);
    }
    view_->Trace().Screenshot(written.value_or(""));
    QLabel& note = PictureNote();
    note.setText(written ? QString::fromUtf8("Imagen guardada en %1").arg(QString::fromStdString(*written))
                         : QString::fromUtf8("No se pudo guardar la imagen"));
    note.adjustSize();
    // At the foot of the card, whatever its scale.
    const platform::Size size = widget_->ViewSize();
    const QRect shown = widget_->Layout().ClientToWidget({0, 0, size.cx, size.cy});
    note.move(shown.left() + 8, shown.bottom() - note.height() - 8);
    note.show();
    note.raise();
    noteTimer_.start();
    return written.value_or("");
}

CPlayerApp::~CPlayerApp() {
    tick_.stop();
    videoPump_.stop();
    widget_->SetView(nullptr, nullptr);
    view_->SetDocument(nullptr);
    if (auto* doc = dynamic_cast<CFichaDoc*>(document_.get())) doc->OnCloseDocument();
    document_.reset();
    // The exit of the original program: the folder of the start comes back, the sound stops, and a
    // muted volume is put back as it was before muting.
    platform::Sounds().Stop();
    // A run that never opened a title has not taken the kept volume yet: it keeps it as it was.
    TakeKeptVolume();
    if (runState_.Muted()) platform::Sounds().SetVolume(runState_.SavedVolume());
    // The volume is kept for the next run as the wave device kept it; a mute is not, it was undone above.
    VolumeMemory().Save(platform::Sounds().GetVolume());
    if (!startDirectory_.empty() && ::chdir(startDirectory_.c_str()) != 0) {
    }
    SetRunState(nullptr);
}

bool CPlayerApp::Start(const std::string& path) {
    std::string title = path;
    const std::string folder = platform::FolderOfPath(path);
    if (!folder.empty()) {
        char current[4096];
        if (::getcwd(current, sizeof current)) startDirectory_ = current;
        if (::chdir(folder.c_str()) == 0) title = platform::NameOfPath(path);
    }
    if (!OpenDocument(title)) return false;
    view_->OnInitialUpdate();
    widget_->ViewChanged();
    tick_.start();
    videoPump_.start();
    return true;
}

void CPlayerApp::ShowStartCredits() {
    if (!options_.credits) return;
    // The card view reports the dialogs that actions open; the start-up credits are the program's own.
    view_->Trace().Dialog("credits", true);
    ShowCredits();
    view_->Trace().Dialog("credits", false);
}

void CPlayerApp::TakeKeptVolume() {
    if (keptVolumeTaken_) return;
    keptVolumeTaken_ = true;
    if (std::optional<uint32_t> volume = VolumeMemory().Load()) platform::Sounds().SetVolume(*volume);
}

bool CPlayerApp::OpenDocument(const std::string& path) {
    std::unique_ptr<CAnimDoc> doc = MakeDocumentFor(path);
    // The volume the last run kept goes to the sound output before the first title's music starts: while
    // the title's background decodes, or after the open when there was no wait.
    if (!keptVolumeTaken_) doc->SetWorkWhileLoading([this] { TakeKeptVolume(); });
    const bool opened = doc->OnOpenDocument(path);
    TakeKeptVolume();
    if (!opened) return false;
    view_->SetDocument(doc.get());
    if (auto* old = dynamic_cast<CFichaDoc*>(document_.get())) old->OnCloseDocument();
    document_ = std::move(doc);
    PlaceView();
    return true;
}

bool CPlayerApp::OpenTitle(const std::string& name) {
    const std::string folder = document_ ? document_->GetBaseDirectory() : std::string();
    return OpenDocument(RealPath(name, folder));
}

void CPlayerApp::ShowCredits() {
    CCreditsDlg dialog(this);
    dialog.exec();
}

int CPlayerApp::RunCardsList(const CArrayFichas& cards, int current) {
    CCardListDlg dialog(this, cards, current);
    dialog.exec();
    return dialog.result() == QDialog::Accepted ? dialog.Selection() : -1;
}

void CPlayerApp::ShowPicture(const std::string& file, const std::string& sound) {
    const std::string folder = document_ ? document_->GetBaseDirectory() : std::string();
    CPictureDlg dialog(this, file.empty() ? file : RealPath(file, folder),
                       sound.empty() ? sound : RealPath(sound, folder), widget_->Layout().Scale());
    dialog.exec();
}

void CPlayerApp::RunSlideShow(const std::array<std::string, 4>& arguments) {
    ::RunSlideShow(this, arguments, static_cast<int>(widget_->Layout().Scale()));
}

bool CPlayerApp::ShellOpen(const std::string& target) {
    // The action that asked reports the open in the trace.
    return platform::Shells().Open(platform::Cp1252ToUtf8(target));
}

void CPlayerApp::EndProgram() {
    if (ended_) return;
    // The action that ends the program has reported the exit; only a close by the system is the frame's
    // own to report.
    ended_ = true;
    tick_.stop();
    videoPump_.stop();
    close();
}

void CPlayerApp::RedrawView() {
    widget_->ViewChanged();
    widget_->repaint();
}

void CPlayerApp::SetCursor(PlayerCursor cursor) {
    if (cursor == PlayerCursor::sprite)
        widget_->setCursor(sprite_cursor::ForDensity(widget_->devicePixelRatioF()));
    else
        widget_->setCursor(Qt::ArrowCursor);
}

void CPlayerApp::PlaceView() {
    // The view widget covers the frame and centres the card on its picture's size, so a background
    // smaller than the card lies off-centre by half the difference, as the original placed its window.
    widget_->setGeometry(rect());
}

void CPlayerApp::showEvent(QShowEvent*) {
    PlaceView();
}

void CPlayerApp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void CPlayerApp::resizeEvent(QResizeEvent*) {
    PlaceView();
}

void CPlayerApp::ToggleFullScreen() {
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void CPlayerApp::keyPressEvent(QKeyEvent* event) {
    const std::optional<PlayerCommand> command = MatchPlayerKey(ui::TranslateKey(*event));
    if (command == PlayerCommand::fullScreen) return ToggleFullScreen();
    if (command == PlayerCommand::picture) {
        if (!event->isAutoRepeat()) SaveCardPicture();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPlayerApp::closeEvent(QCloseEvent* event) {
    if (!ended_) {
        ended_ = true;
        view_->Trace().Exit();
    }
    event->accept();
}

// ---------------------------------------------------------------- credits

namespace {

// The credits picture, 320 x 240, drawn anew: a night sky over a stage, the kit's name and our mark.
QImage CreditsPicture() {
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor(12, 20, 64));
    sky.setColorAt(1, QColor(90, 40, 120));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 210, 80));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(260, 60), 26, 26);
    p.setBrush(QColor(12, 20, 64));
    p.drawEllipse(QPointF(272, 52), 24, 24);
    p.setBrush(QColor(40, 20, 60));
    p.drawRect(0, 190, 320, 50);
    p.setPen(QColor(255, 255, 255));
    QFont title("Liberation Sans", 26, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 70, 320, 50), Qt::AlignCenter, "Lumeo");
    QFont line("Liberation Sans", 10);
    p.setFont(line);
    p.drawText(QRect(0, 120, 320, 24), Qt::AlignCenter, QString::fromUtf8("Título hecho con Fabrio"));
    p.drawText(QRect(0, 200, 320, 24), Qt::AlignCenter, QString::fromUtf8("Pulse Intro para continuar"));
    return image;
}

}  // namespace

CCreditsDlg::CCreditsDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(CreditsPicture()));
    layout->addWidget(picture);
    auto* link = new ui::CStaticLink(QString::fromUtf8("Orvanta"), this);
    link->SetLink(kMakerAddress);
    link->setAlignment(Qt::AlignCenter);
    layout->addWidget(link);
}

// ---------------------------------------------------------------- picture

CPictureDlg::CPictureDlg(QWidget* parent, const std::string& file, const std::string& sound, int scale)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), scale_(scale < 1 ? 1 : scale) {
    if (!file.empty()) {
        platform::WaitCursor wait;
        picture_.Load(file);
    }
    if (!sound.empty()) {
        hasSound_ = true;
        platform::Sounds().PlayFile(sound, false);
    }
    setFixedSize(kCardWidth * scale_, kCardHeight * scale_);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize s = screen->size();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
}

CPictureDlg::~CPictureDlg() = default;

platform::Point CPictureDlg::PictureOrigin() const {
    return {(kCardWidth - picture_.CDIB::GetWidth()) / 2, 0};
}

void CPictureDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!picture_.HasImage()) return;
    painter.scale(scale_, scale_);
    platform::QtDeviceContext dc(painter);
    const platform::Point origin = PictureOrigin();
    const int32_t w = picture_.CDIB::GetWidth(), h = picture_.CDIB::GetHeight();
    dc.StretchDib(picture_.View(), {origin.x, origin.y, origin.x + w, origin.y + h}, {0, 0, w, h});
}

void CPictureDlg::Finish(int result) {
    picture_.Clear();
    if (hasSound_) platform::Sounds().Stop();
    done(result);
}

void CPictureDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Finish(0);
}

void CPictureDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return Finish(QDialog::Accepted);
    if (event->key() == Qt::Key_Escape) return Finish(QDialog::Rejected);
    // Keys that produce no character (function keys, shifts) leave the picture open.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) Finish(0);
}

// ---------------------------------------------------------------- cards list

std::vector<std::string> CCardListDlg::Captions(const CArrayFichas& cards) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < cards.GetSize(); ++i)
        lines.push_back(platform::Cp1252ToUtf8(cards.CaptionOfCard(i)));
    return lines;
}

CCardListDlg::CCardListDlg(QWidget* parent, const CArrayFichas& cards, int selection)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), selection_(selection) {
    auto* layout = new QVBoxLayout(this);
    auto* list = new QListWidget(this);
    for (const std::string& line : Captions(cards)) list->addItem(QString::fromStdString(line));
    if (selection >= 0 && selection < list->count()) list->setCurrentRow(selection);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(this);
    auto* yes = new CBitmapButton("SI", buttons);
    buttons->addButton(yes, QDialogButtonBox::AcceptRole);
    buttons->addButton(new CBitmapButton("NO", buttons), QDialogButtonBox::RejectRole);
    yes->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this, list] {
        selection_ = list->currentRow();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
        selection_ = -1;
        reject();
    });
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list] {
        selection_ = list->currentRow();
        accept();
    });
    resize(300, 380);
}
