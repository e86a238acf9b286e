#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/FichaDoc.h"
#include "model/PlayerRunState.h"
#include "player/CardView.h"
#include "player/Keyboard.h"
#include "player/PlayerHost.h"
#include "ui/ViewClient.h"
#include "ui/ViewWidget.h"

// What the command line asks of the player.
struct PlayerOptions {
    std::string title;  // the title (".fca") or scene (".anm") to open; empty asks with the open dialog
    bool windowed = false;
    int scale = 0;  // 0: the largest whole factor that fits the screen
    bool fit = false;
    int startCard = 0;
    bool credits = true;
    bool trace = false;  // one JSON line per event on stderr
    bool help = false;
    std::string error;  // a command line that cannot be understood
};

// Reads `lumeo [OPTIONS] [TITLE.fca | SCENE.anm]`.
PlayerOptions ParsePlayerOptions(const std::vector<std::string>& arguments);
// The text of `lumeo --help`.
std::string PlayerHelpText();
// The largest whole factor at which a 640 x 480 card fits the screen, at least 1.
int WholeScaleForScreen(int screenWidth, int screenHeight);

// The player's card view in its window: the plain view takes the mouse and the timers from the widget
// and draws the current card's texts and the clip's picture over the buffer on the widget's painter.
class CFichaView : public CPlayerCardView, public ui::ViewClient {
  public:
    explicit CFichaView(PlayerHost& host) : CPlayerCardView(host), keys_(*this) {}

    // The card as it is shown, over the buffer: the texts and the clip's picture.
    void PaintCard(platform::DeviceContext& dc, const platform::Rect& area);
    // The card, then the keyboard's ring and outlines and the inspector, which are never part of it.
    void PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) override;
    void MousePress(const ui::MouseEvent& event) override;
    void MouseRelease(const ui::MouseEvent& event) override;
    void MouseMove(const ui::MouseEvent& event) override;
    bool KeyPress(const ui::KeyEvent& event) override;
    bool KeyRelease(const ui::KeyEvent& event) override;
    void FocusLost() override;
    void DrawMediaFrame(const platform::MediaFrame& frame) override;
    void EraseMediaArea(const platform::Rect& area) override;
    // The 250 ms tick, and what the keys show follows what it changed.
    void Tick();

    CCardKeys& Keys() { return keys_; }

  private:
    CCardKeys keys_;
    // A copy of the clip's last picture, since the clip may reuse its memory before the next paint.
    std::vector<uint8_t> framePixels_;
    platform::DibView frame_;
    std::optional<platform::Rect> framePlace_;
};

// Lumeo's main frame and application: a black window over the whole screen with the card view in its
// middle, the run state kept across the titles it opens, and everything the card view asks of the
// program (titles, dialogs, shell, end).
class CPlayerApp : public QWidget, public PlayerHost {
    Q_OBJECT
  public:
    explicit CPlayerApp(const PlayerOptions& options);
    ~CPlayerApp() override;

    // Opens the first title (making its folder current) and shows the first card: false, after the
    // document's message, when it does not open.
    bool Start(const std::string& path);
    // The start-up credits, then the card runs.
    void ShowStartCredits();

    CFichaView& View() { return *view_; }
    ui::ViewWidget& ViewWidget() { return *widget_; }
    CAnimDoc* Document() const { return document_.get(); }
    CPlayerRunState& RunStateOf() { return runState_; }

    // PlayerHost.
    bool OpenTitle(const std::string& name) override;
    void CloseScene() override {}
    void ShowCredits() override;
    int RunCardsList(const CArrayFichas& cards, int current) override;
    void ShowPicture(const std::string& file, const std::string& sound) override;
    void RunSlideShow(const std::array<std::string, 4>& arguments) override;
    bool ShellOpen(const std::string& target) override;
    void EndProgram() override;
    void RedrawView() override;
    void CaptureMouse(bool capture) override {}
    void SetCursor(PlayerCursor cursor) override;

    static constexpr int kPictureNoteMs = 4000;
    // F12: a PNG of the card beside the title, or in `picturesFolder` when the title's folder takes no
    // file; a note on the card says where it went. The path written, or empty.
    std::string SaveCardPicture();
    // Where pictures go when the title's folder is not writable (the user's pictures folder at first).
    void SetPicturesFolder(const std::string& folder) { picturesFolder_ = folder; }
    // The note that says where the picture went, and how long it stays.
    QLabel& PictureNote();
    void SetNoteDuration(int ms) { noteTimer_.setInterval(ms); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Opens `path` into a fresh document; the document showing is replaced only when it opened.
    bool OpenDocument(const std::string& path);
    // Gives the sound output the volume the last run kept, the first time only.
    void TakeKeptVolume();
    void PlaceView();
    void ToggleFullScreen();
    void SetUpKeys();

    PlayerOptions options_;
    CPlayerRunState runState_;
    std::string startDirectory_;
    bool keptVolumeTaken_ = false;
    std::unique_ptr<CAnimDoc> document_;
    std::unique_ptr<CFichaView> view_;
    ui::ViewWidget* widget_ = nullptr;
    QTimer tick_;
    QTimer videoPump_;
    std::optional<std::string> picturesFolder_;  // the user's pictures folder until set, asked when needed
    QLabel* note_ = nullptr;                     // made by PictureNote
    QTimer noteTimer_;
    bool ended_ = false;
};

// The credits: our own picture of the authoring kit with the maker's name as a link under it; Enter or
// Escape closes it.
class CCreditsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CCreditsDlg(QWidget* parent = nullptr);
    static constexpr const char* kMakerAddress = "https://example.org/lumeo";
};

// The picture of "Other - Show bitmap": black 640 x 480 with the picture centred across and at the top;
// a click, a character key, Enter or Escape close it and stop its sound.
class CPictureDlg : public QDialog {
    Q_OBJECT
  public:
    CPictureDlg(QWidget* parent, const std::string& file, const std::string& sound, int scale);
    ~CPictureDlg() override;
    const CDibJpeg& Picture() const { return picture_; }
    // Where the picture lies in the 640 x 480 window.
    platform::Point PictureOrigin() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Finish(int result);
    CDibJpeg picture_;
    bool hasSound_ = false;
    int scale_ = 1;
};

// The cards list: each card's caption, or "Ficha nº %d"; "SI" or a double click go to the chosen card.
class CCardListDlg : public QDialog {
    Q_OBJECT
  public:
    CCardListDlg(QWidget* parent, const CArrayFichas& cards, int selection);
    int Selection() const { return selection_; }
    // The lines the list shows, in order (UTF-8).
    static std::vector<std::string> Captions(const CArrayFichas& cards);

  private:
    int selection_ = -1;
};
