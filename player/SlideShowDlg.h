#pragma once

#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <memory>
#include <string>

#include "engine/Sprite.h"
#include "player/SlideShow.h"
#include "player/Wipes.h"

// How a slide show is shown; the defaults are those of the player.
struct SlideShowOptions {
    // The whole factor the 640 x 480 screen is drawn at (nearest pixel); wipes keep 640 x 480 units.
    int scale = 1;
    // How long each slide stays.
    int periodMs = kSlidePeriodMs;
    // The clock the wipes pace themselves on; the steady clock when null. Not owned.
    WipeClock* clock = nullptr;
    // Where relative names of the action resolve; the current directory when empty.
    std::string baseDirectory;
};

// The entry point of the action "Other - Slide Show": builds the show from the sprite's four click
// arguments (background file, name prefix, directory, sound file), runs it modally over `parent` and
// returns when it has ended. A show without any slide ends at once without opening its window.
void RunSlideShow(QWidget* parent, const CSprite::Arguments& args, int scale = 1);

// The window part of one step: the window pixels it copies, in 640 x 480 units, inside `area`.
QRegion WipeStepRegion(const WipeStep& step, const platform::Rect& area);

// The slide show's modal, frameless 640 x 480 window (times the scale), centred on the screen. It keeps
// an image of what the window shows; the first slide is put there in one piece and every later one by
// the current wipe, each step of which is copied into the image and painted at once. A left click,
// Enter, Escape, closing the window or the end of the slides ends the show.
class CSlideShowDlg : public QDialog {
    Q_OBJECT
  public:
    CSlideShowDlg(QWidget* parent, const CSprite::Arguments& args, SlideShowOptions options = {});
    ~CSlideShowDlg() override;

    // The dialog's initialisation: places the window, starts the show (background, sound, listing,
    // first slide) and the timer. False when there is no slide: the show has then stopped already and
    // the dialog is not to be run. exec() runs it itself when it has not run yet.
    bool InitDialog();
    int exec() override;

    // The timer's step, also callable directly: ends the show after the last slide, otherwise composes
    // the next slide and has the window repainted, which plays the wipe.
    void OnTimer();
    // Plays the current effect from the composition onto the window now.
    void PlayCurrentWipe();

    const CSlideShow& SlideShow() const { return show_; }
    // What the window shows, 640 x 480.
    const QImage& Screen() const { return screen_; }
    bool TimerRunning() const { return timerRunning_; }
    const QTimer& Timer() const { return timer_; }
    int Scale() const { return scale_; }

  public slots:
    // Enter: the ordinary OK handling once the show has stopped.
    void accept() override;
    // Escape and closing: the show stops and then ends as Enter does, with the OK result.
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Stops the sound and the timer and frees the images; a second run does nothing.
    void Stop();
    void PlaceWindow();
    // Copies the step's pieces from `picture` into the screen image and paints them on the window.
    bool CopyStep(const WipeStep& step, const QImage& picture, const platform::Rect& area);
    QRegion ToWindow(const QRegion& region) const;

    CSlideShow show_;
    int scale_ = 1;
    WipeClock* clock_ = nullptr;
    std::unique_ptr<WipeClock> ownClock_;
    QTimer timer_;
    bool timerRunning_ = false;
    bool initialised_ = false;
    bool playing_ = false;
    bool wipeQueued_ = false;
    QImage screen_;
};
