#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "editor/DialogIntegerField.h"
#include "engine/Sprite.h"

class CFichaDoc;
class CPhasedSprite;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

// The sprite's sheets: "Sprite properties" (Configuration and Events pages), the plain "Sprite
// configuration" dialog and "Eventos del ratón" (Click and Move pages). Each is filled from the sprite
// when it opens and writes back only when OK finds every field acceptable; Cancel leaves the sprite as it
// was. The document, when given, lets the event pages offer its cards, sprites and texts and write file
// names relative to the title's folder.

// The configuration fields of one sprite.
class SpriteConfigPage : public QWidget {
    Q_OBJECT
  public:
    SpriteConfigPage(const CPhasedSprite& sprite, QWidget* parent = nullptr);

    // The first field that cannot be stored, in the order of the fields, or nothing.
    std::optional<FieldRefusal> Check();
    // Number, text, position, plane, frames, transparent, sensible rectangle, visible, disabled, interval,
    // always animated, animated: in that order, through the sprite's own setters.
    void Write(CPhasedSprite& sprite) const;

    DialogIntegerField& Number() { return *number_; }
    QLineEdit& Text() { return *text_; }
    DialogIntegerField& X() { return *x_; }
    DialogIntegerField& Y() { return *y_; }
    DialogIntegerField& Plane() { return *plane_; }
    DialogIntegerField& Frames() { return *frames_; }
    QCheckBox& Transparent() { return *transparent_; }
    QCheckBox& Visible() { return *visible_; }
    QCheckBox& SensibleRect() { return *sensible_; }
    QCheckBox& Disabled() { return *disabled_; }
    QCheckBox& Animated() { return *animated_; }
    QCheckBox& AlwaysAnimated() { return *alwaysAnimated_; }
    QComboBox& Interval() { return *interval_; }

  private:
    int32_t bitmapHeight_;
    int32_t storedFrames_;
    int32_t storedInterval_;
    DialogIntegerField* number_;
    QLineEdit* text_;
    DialogIntegerField* x_;
    DialogIntegerField* y_;
    DialogIntegerField* plane_;
    DialogIntegerField* frames_;
    QCheckBox* transparent_;
    QCheckBox* visible_;
    QCheckBox* sensible_;
    QCheckBox* disabled_;
    QCheckBox* animated_;
    QCheckBox* alwaysAnimated_;
    QComboBox* interval_;
};

// One event: its action list, its four arguments and, beside each argument, what it means for the action
// chosen and the help to fill it (Browse, or a choice of cards, sprites or texts of the title).
class ActionEventEditor : public QWidget {
    Q_OBJECT
  public:
    enum class Event { click, move };
    ActionEventEditor(Event event, const std::array<const char*, 4>& argumentLabels, int32_t code,
                      const CSprite::Arguments& arguments, const CFichaDoc* document,
                      QWidget* parent = nullptr);

    // Refuses a sprite number list longer than the player reads.
    std::optional<FieldRefusal> Check();
    // The code chosen; a stored code the list does not hold stays as it was until another is chosen.
    int32_t Code() const;
    CSprite::Arguments Arguments() const;

    QComboBox& Action() { return *action_; }
    QLineEdit& Argument(int i) { return *arguments_[static_cast<size_t>(i)]; }
    QLabel& Meaning(int i) { return *meanings_[static_cast<size_t>(i)]; }
    // Browse or choose; hidden when the argument has no help.
    QToolButton& Help(int i) { return *helps_[static_cast<size_t>(i)]; }

  private:
    void ShowMeanings();
    void RunHelp(int i);
    void Browse(int i);
    void ChooseCard(int i);
    void ChooseSprites(int i);
    void ChooseText(int i);

    Event event_;
    int32_t storedCode_;
    const CFichaDoc* document_;
    QComboBox* action_;
    std::array<QLineEdit*, 4> arguments_{};
    std::array<QLabel*, 4> meanings_{};
    std::array<QToolButton*, 4> helps_{};
};

// The sheets and the dialog of a sprite.
class SpriteSheet : public QDialog {
    Q_OBJECT
  public:
    enum class Kind {
        properties,     // "Sprite properties": Configuration and Events
        configuration,  // "Sprite configuration": the configuration alone, with OK and Cancel
        events,         // "Eventos del ratón": Click and Move
    };
    SpriteSheet(Kind kind, CPhasedSprite& sprite, const CFichaDoc* document, QWidget* parent = nullptr);

    // Writes back and closes when every page accepts its fields; otherwise the refused page comes to the
    // front and the sheet stays open. A page is not left either while one of its fields is refused.
    void accept() override;

    // The pages; null where the kind has none. The tabs are null for the plain dialog.
    QTabWidget* Tabs() { return tabs_; }
    SpriteConfigPage* Config() { return config_; }
    ActionEventEditor* Click() { return click_; }
    ActionEventEditor* Move() { return move_; }
    QWidget* EventsPage() { return eventsPage_; }

  private:
    // The first field of the page that cannot be stored.
    std::optional<FieldRefusal> CheckPage(QWidget* page);
    // Turning to page `index` is refused while the page left holds a field that cannot be stored.
    void TurnPage(int index);
    bool Accepts(QWidget* page);

    CPhasedSprite& sprite_;
    int shownPage_ = 0;
    QTabWidget* tabs_ = nullptr;
    SpriteConfigPage* config_ = nullptr;
    QWidget* eventsPage_ = nullptr;
    ActionEventEditor* click_ = nullptr;
    ActionEventEditor* move_ = nullptr;
};

// Opens the sheet of `kind` modally on `sprite`; true when the author confirmed it.
bool RunSpriteSheet(SpriteSheet::Kind kind, CPhasedSprite& sprite, const CFichaDoc* document,
                    QWidget* parent);
