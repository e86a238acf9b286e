#pragma once

#include <QDialog>

#include "editor/EditorDialogs.h"

class CFichaDoc;
class QCheckBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

// "Screen/card properties": the title's identifier, description and background music on the Screen page,
// the current card's sprites to show and hide on entering it on the Card page. It edits `fields` only when
// OK finds both lists within what the player reads; without a current card the Card page is disabled. The
// document, when given, lets the lists be chosen among its sprites and the music be browsed for.
class ScreenCardSheet : public QDialog {
    Q_OBJECT
  public:
    ScreenCardSheet(ScreenCardFields& fields, const CFichaDoc* document, QWidget* parent = nullptr);

    void accept() override;

    QTabWidget& Tabs() { return *tabs_; }
    QLineEdit& Identifier() { return *identifier_; }
    QLineEdit& Description() { return *description_; }
    QLineEdit& Music() { return *music_; }
    QToolButton& BrowseMusic() { return *browseMusic_; }
    QCheckBox& StopPrevious() { return *stopPrevious_; }
    QCheckBox& Loop() { return *loop_; }
    QWidget& CardPage() { return *cardPage_; }
    QLineEdit& Activate() { return *activate_; }
    QLineEdit& Deactivate() { return *deactivate_; }
    // Null without a document to choose from.
    QToolButton* ChooseActivate() { return chooseActivate_; }
    QToolButton* ChooseDeactivate() { return chooseDeactivate_; }

  private:
    QWidget* MakeScreenPage();
    QWidget* MakeCardPage();
    QToolButton* SpritesButton(QLineEdit* list);

    ScreenCardFields& fields_;
    const CFichaDoc* document_;
    QTabWidget* tabs_;
    QLineEdit* identifier_ = nullptr;
    QLineEdit* description_ = nullptr;
    QLineEdit* music_ = nullptr;
    QToolButton* browseMusic_ = nullptr;
    QCheckBox* stopPrevious_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QWidget* cardPage_ = nullptr;
    QLineEdit* activate_ = nullptr;
    QLineEdit* deactivate_ = nullptr;
    QToolButton* chooseActivate_ = nullptr;
    QToolButton* chooseDeactivate_ = nullptr;
};
