#include "editor/SpriteSheets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "editor/ActionArguments.h"
#include "editor/DialogIntegerField.h"
#include "editor/DialogStrings.h"
#include "editor/TitleChoosers.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "model/FichaDoc.h"

namespace {

// The choices of "Update every :", in the order of the sprite's interval index.
const char* const kIntervalLabels[CPhasedSprite::kMaxInterval + 1] = {
    "1/4 segundo", "1/2 segundo", "1 segundo", "2 segundos", "3 segundos", "4 segundos", "5 segundos",
};

// The spin ranges; a typed value outside them is stored as typed.
constexpr int32_t kMaxSpinX = 640;
constexpr int32_t kMaxSpinY = 480;
constexpr int32_t kMaxSpinPlane = 50;
constexpr int32_t kMaxSpinFrames = 10;

DialogIntegerField* AddIntegerRow(QGridLayout& grid, int row, const QString& label, int32_t value,
                                  std::optional<IntegerRange> spin, QWidget* parent) {
    DialogIntegerField* edit = MakeIntegerField(parent, value, spin);
    if (!spin) edit->HideArrows();
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(edit);
    grid.addWidget(caption, row, 0);
    grid.addWidget(edit, row, 1);
    return edit;
}

QCheckBox* AddCheck(QGridLayout& grid, int row, int column, const QString& label, bool on, QWidget* parent) {
    auto* box = new QCheckBox(label, parent);
    box->setChecked(on);
    grid.addWidget(box, row, column);
    return box;
}

const QString kSheetTitle = QStringLiteral("Sprite properties");
const QString kConfigurationTitle = QStringLiteral("Sprite configuration");
const QString kEventsTitle = QString::fromUtf8("Eventos del rat\u00f3n");

}  // namespace

// ---------------------------------------------------------------- configuration

SpriteConfigPage::SpriteConfigPage(const CPhasedSprite& sprite, QWidget* parent)
    : QWidget(parent),
      bitmapHeight_(sprite.CDIB::GetHeight()),
      storedFrames_(sprite.GetNumFrames()),
      storedInterval_(sprite.GetInterval()) {
    setObjectName("Configuration");
    auto* grid = new QGridLayout(this);
    number_ = AddIntegerRow(*grid, 0, tr("&Sprite #:"), sprite.GetNumber(), std::nullopt, this);
    text_ = new QLineEdit(ShownText(sprite.GetText()), this);
    auto* textLabel = new QLabel(tr("Sprite &text :"), this);
    textLabel->setBuddy(text_);
    grid->addWidget(textLabel, 1, 0);
    grid->addWidget(text_, 1, 1, 1, 3);
    x_ = AddIntegerRow(*grid, 2, tr("&X :"), sprite.GetX(), IntegerRange{0, kMaxSpinX}, this);
    y_ = AddIntegerRow(*grid, 3, tr("&Y :"), sprite.GetY(), IntegerRange{0, kMaxSpinY}, this);
    plane_ = AddIntegerRow(*grid, 4, tr("&Plane :"), sprite.GetPlane(), IntegerRange{0, kMaxSpinPlane}, this);
    frames_ = AddIntegerRow(*grid, 5, tr("# of &Frames :"), sprite.GetNumFrames(),
                            IntegerRange{1, kMaxSpinFrames}, this);
    transparent_ = AddCheck(*grid, 2, 2, tr("Transpar&ent"), sprite.IsTransparent(), this);
    visible_ = AddCheck(*grid, 3, 2, tr("&Visible"), sprite.IsVisible(), this);
    sensible_ = AddCheck(*grid, 4, 2, tr("Sensible &rect"), sprite.HasSensibleRect(), this);
    disabled_ = AddCheck(*grid, 5, 2, tr("&Disabled"), sprite.IsDisabled(), this);
    animated_ = AddCheck(*grid, 6, 0, tr("&Animated sprite"), sprite.IsAnimated(), this);
    alwaysAnimated_ = AddCheck(*grid, 6, 2, tr("Al&ways animated"), sprite.IsAlwaysAnimated(), this);
    interval_ = new QComboBox(this);
    for (const char* label : kIntervalLabels) interval_->addItem(label);
    // An index from another writer outside the list shows no choice and is kept unless one is made.
    const bool listed = storedInterval_ >= 0 && storedInterval_ <= CPhasedSprite::kMaxInterval;
    interval_->setCurrentIndex(listed ? storedInterval_ : -1);
    grid->addWidget(new QLabel(tr("Update every :"), this), 7, 0);
    grid->addWidget(interval_, 7, 1);

    // An always animated sprite is an animated one: ticking the first ticks the second, unticking the
    // second unticks the first. Only the author's clicks couple them.
    connect(alwaysAnimated_, &QCheckBox::clicked, this, [this](bool on) {
        if (on) animated_->setChecked(true);
    });
    connect(animated_, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) alwaysAnimated_->setChecked(false);
    });
}

std::optional<FieldRefusal> SpriteConfigPage::Check() {
    for (DialogIntegerField* edit : {number_, x_, y_, plane_, frames_})
        if (std::optional<FieldRefusal> refusal = IntegerRefusal(*edit)) return refusal;
    // A negative number is what the document's picture and video stand-ins carry: a sprite numbered so
    // would be taken for one and left out of the saved title.
    if (*number_->Value() < 0)
        return FieldRefusal{number_,
                            "A sprite's number is 0 or more: negative numbers stand for the card's "
                            "pictures and video."};
    // A frame count the sheet cannot cut the bitmap into would leave cells without a row of pixels; the
    // count the sprite already has is written back as it is.
    const int32_t frames = *frames_->Value();
    if (frames != storedFrames_ && (frames < 1 || frames > bitmapHeight_))
        return FieldRefusal{frames_, "The sprite's bitmap is " + std::to_string(bitmapHeight_) +
                                         " pixels high: it holds from 1 to " + std::to_string(bitmapHeight_) +
                                         " frames."};
    return std::nullopt;
}

void SpriteConfigPage::Write(CPhasedSprite& sprite) const {
    sprite.SetNumber(*number_->Value());
    sprite.SetText(StoredText(text_->text()));
    sprite.SetPosition(*x_->Value(), *y_->Value());
    sprite.SetPlane(*plane_->Value());
    sprite.SetNumFrames(*frames_->Value());
    sprite.SetTransparent(transparent_->isChecked());
    sprite.SetSensibleRect(sensible_->isChecked());
    sprite.SetVisible(visible_->isChecked());
    sprite.SetDisabled(disabled_->isChecked());
    sprite.SetInterval(interval_->currentIndex() >= 0 ? interval_->currentIndex() : storedInterval_);
    sprite.SetAlwaysAnimated(alwaysAnimated_->isChecked());
    sprite.SetAnimated(animated_->isChecked());
}

// ---------------------------------------------------------------- one event

ActionEventEditor::ActionEventEditor(Event event, const std::array<const char*, 4>& argumentLabels,
                                     int32_t code, const CSprite::Arguments& arguments,
                                     const CFichaDoc* document, QWidget* parent)
    : QWidget(parent), event_(event), storedCode_(code), document_(document) {
    auto* grid = new QGridLayout(this);
    action_ = new QComboBox(this);
    if (event == Event::click)
        for (const char* label : kClickActionLabels) action_->addItem(label);
    else
        for (const char* label : kMoveActionLabels) action_->addItem(label);
    action_->setCurrentIndex(code >= 0 && code < action_->count() ? code : -1);
    auto* actionLabel = new QLabel(tr("Action :"), this);
    actionLabel->setBuddy(action_);
    grid->addWidget(actionLabel, 0, 0);
    grid->addWidget(action_, 0, 1, 1, 2);
    for (int i = 0; i < CSprite::kArgumentCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        arguments_[k] = new QLineEdit(ShownText(arguments[k]), this);
        auto* label = new QLabel(QString::fromUtf8(argumentLabels[k]), this);
        label->setBuddy(arguments_[k]);
        helps_[k] = new QToolButton(this);
        meanings_[k] = new QLabel(this);
        meanings_[k]->setWordWrap(true);
        meanings_[k]->setForegroundRole(QPalette::PlaceholderText);
        grid->addWidget(label, 1 + 2 * i, 0);
        grid->addWidget(arguments_[k], 1 + 2 * i, 1);
        grid->addWidget(helps_[k], 1 + 2 * i, 2);
        grid->addWidget(meanings_[k], 2 + 2 * i, 1, 1, 2);
        connect(helps_[k], &QToolButton::clicked, this, [this, i] { RunHelp(i); });
    }
    grid->setColumnStretch(1, 1);
    // Wide enough for most meanings to stand on one line beside their field.
    setMinimumWidth(480);
    connect(action_, &QComboBox::currentIndexChanged, this, [this] { ShowMeanings(); });
    ShowMeanings();
}

namespace {

const ActionArgumentMeanings& MeaningsOf(ActionEventEditor::Event event, int32_t code) {
    return event == ActionEventEditor::Event::click ? ClickArgumentMeanings(code)
                                                    : MoveArgumentMeanings(code);
}

QString HelpCaption(ArgumentHelp help) {
    switch (help) {
        case ArgumentHelp::browse:
            return QObject::tr("Browse...");
        case ArgumentHelp::chooseCard:
            return QObject::tr("Cards...");
        case ArgumentHelp::chooseSprites:
            return QObject::tr("Sprites...");
        case ArgumentHelp::chooseText:
            return QObject::tr("Texts...");
        default:
            return {};
    }
}

}  // namespace

void ActionEventEditor::ShowMeanings() {
    const ActionArgumentMeanings& meanings = MeaningsOf(event_, Code());
    for (size_t k = 0; k < meanings.size(); ++k) {
        meanings_[k]->setText(QString::fromUtf8(meanings[k].meaning));
        arguments_[k]->setToolTip(meanings_[k]->text());
        const ArgumentHelp help = HelpFor(meanings[k].kind);
        // The choices among cards, sprites and texts need the title; Browse needs nothing.
        const bool offered = help == ArgumentHelp::browse || (help != ArgumentHelp::none && document_);
        helps_[k]->setText(HelpCaption(help));
        helps_[k]->setVisible(offered);
    }
}

int32_t ActionEventEditor::Code() const {
    return action_->currentIndex() >= 0 ? action_->currentIndex() : storedCode_;
}

CSprite::Arguments ActionEventEditor::Arguments() const {
    CSprite::Arguments values;
    for (size_t k = 0; k < values.size(); ++k) values[k] = StoredText(arguments_[k]->text());
    return values;
}

std::optional<FieldRefusal> ActionEventEditor::Check() {
    const ActionArgumentMeanings& meanings = MeaningsOf(event_, Code());
    for (size_t k = 0; k < meanings.size(); ++k) {
        if (meanings[k].kind != ArgumentKind::numberList) continue;
        const size_t count = CountListNumbers(arguments_[k]->text().toStdString());
        if (count > CSpriteList::kMaxNumbers)
            return FieldRefusal{arguments_[k],
                                TooManyNumbersMessage("Argument " + std::to_string(k + 1), count)};
    }
    return std::nullopt;
}

void ActionEventEditor::RunHelp(int i) {
    const ArgumentHelp help = HelpFor(MeaningsOf(event_, Code())[static_cast<size_t>(i)].kind);
    if (help != ArgumentHelp::browse && !document_) return;
    switch (help) {
        case ArgumentHelp::browse:
            return Browse(i);
        case ArgumentHelp::chooseCard:
            return ChooseCard(i);
        case ArgumentHelp::chooseSprites:
            return ChooseSprites(i);
        case ArgumentHelp::chooseText:
            return ChooseText(i);
        default:
            return;
    }
}

void ActionEventEditor::Browse(int i) {
    const ArgumentKind kind = MeaningsOf(event_, Code())[static_cast<size_t>(i)].kind;
    std::optional<platform::FileDialogRequest> request = BrowseRequest(kind);
    if (!request) return;
    std::optional<std::string> chosen = platform::FileDialogs().Ask(*request);
    if (!chosen) return;
    const std::string title = document_ ? document_->GetPathName() : std::string();
    Argument(i).setText(QString::fromStdString(ArgumentForChosenFile(kind, *chosen, title)));
}

void ActionEventEditor::ChooseCard(int i) {
    const ArgumentKind kind = MeaningsOf(event_, Code())[static_cast<size_t>(i)].kind;
    // Card numbers of "File - Open a card" count from 1, card indices from 0.
    const int base = kind == ArgumentKind::cardNumber ? 1 : 0;
    const std::optional<int32_t> typed = ParseDialogInteger(Argument(i).text());
    const int current = typed ? *typed - base : document_->GetCurrentCard();
    if (std::optional<int> chosen = ChooseCardOf(document_->GetCards(), current, this))
        Argument(i).setText(QString::number(*chosen + base));
}

void ActionEventEditor::ChooseSprites(int i) {
    const ArgumentKind kind = MeaningsOf(event_, Code())[static_cast<size_t>(i)].kind;
    const std::string current = StoredText(Argument(i).text());
    if (std::optional<std::string> chosen =
            ChooseSpritesOf(document_->GetSpriteList(), current, kind == ArgumentKind::numberList, this))
        Argument(i).setText(QString::fromStdString(*chosen));
}

void ActionEventEditor::ChooseText(int i) {
    const std::string current = StoredText(Argument(i).text());
    if (std::optional<std::string> chosen =
            ChooseTextOf(document_->GetCards().DistinctIdentifiers(), current, this))
        Argument(i).setText(ShownText(*chosen));
}

// ---------------------------------------------------------------- the sheets

SpriteSheet::SpriteSheet(Kind kind, CPhasedSprite& sprite, const CFichaDoc* document, QWidget* parent)
    : QDialog(parent), sprite_(sprite) {
    auto* layout = new QVBoxLayout(this);
    const auto click = ActionEventEditor::Event::click;
    const auto move = ActionEventEditor::Event::move;
    if (kind == Kind::configuration) {
        setWindowTitle(kConfigurationTitle);
        config_ = new SpriteConfigPage(sprite, this);
        layout->addWidget(config_);
    } else {
        tabs_ = new QTabWidget(this);
        layout->addWidget(tabs_);
    }
    if (kind == Kind::properties) {
        setWindowTitle(kSheetTitle);
        config_ = new SpriteConfigPage(sprite, tabs_);
        tabs_->addTab(config_, tr("Configuration"));
        eventsPage_ = new QWidget(tabs_);
        auto* both = new QVBoxLayout(eventsPage_);
        const std::array<const char*, 4> numbered = {"1 :", "2 :", "3 :", "4 :"};
        auto* clickBox = new QGroupBox(tr("&Click"), eventsPage_);
        click_ = new ActionEventEditor(click, numbered, sprite.GetClickAction(), sprite.GetClickArguments(),
                                       document, clickBox);
        (new QVBoxLayout(clickBox))->addWidget(click_);
        auto* moveBox = new QGroupBox(tr("&Move"), eventsPage_);
        move_ = new ActionEventEditor(move, numbered, sprite.GetMoveAction(), sprite.GetMoveArguments(),
                                      document, moveBox);
        (new QVBoxLayout(moveBox))->addWidget(move_);
        both->addWidget(clickBox);
        both->addWidget(moveBox);
        tabs_->addTab(eventsPage_, tr("Events"));
    } else if (kind == Kind::events) {
        setWindowTitle(kEventsTitle);
        click_ = new ActionEventEditor(click, {"Arg # &1 :", "Arg # &2 :", "Arg # &3 :", "Arg # &4 :"},
                                       sprite.GetClickAction(), sprite.GetClickArguments(), document, tabs_);
        tabs_->addTab(click_, tr("Click"));
        move_ = new ActionEventEditor(move, {"Arg # &1 :", "Arg # &2 :", "Arg # &3 :", "Arg #  &4 :"},
                                      sprite.GetMoveAction(), sprite.GetMoveArguments(), document, tabs_);
        tabs_->addTab(move_, tr("Move"));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (tabs_) connect(tabs_, &QTabWidget::currentChanged, this, &SpriteSheet::TurnPage);
    // The sheet opens with the focus on the first field of its first page, so that the keyboard can move
    // between the pages (Ctrl+Tab) at once.
    if (config_)
        config_->Number().setFocus();
    else
        click_->Action().setFocus();
}

std::optional<FieldRefusal> SpriteSheet::CheckPage(QWidget* page) {
    if (page == config_) return config_->Check();
    std::optional<FieldRefusal> refusal;
    if (click_ && (page == click_ || page == eventsPage_)) refusal = click_->Check();
    if (!refusal && move_ && (page == move_ || page == eventsPage_)) refusal = move_->Check();
    return refusal;
}

void SpriteSheet::TurnPage(int index) {
    // As the framework's sheets do, a page whose fields cannot be stored is not left.
    QWidget* left = tabs_->widget(shownPage_);
    if (std::optional<FieldRefusal> refusal = CheckPage(left)) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(shownPage_);
        Refuse(*refusal);
        return;
    }
    shownPage_ = index;
}

bool SpriteSheet::Accepts(QWidget* page) {
    std::optional<FieldRefusal> refusal = CheckPage(page);
    if (!refusal) return true;
    // The page that holds the refused field comes to the front, then the author is told why and the focus
    // stays on the field.
    if (tabs_) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentWidget(page);
        shownPage_ = tabs_->currentIndex();
    }
    Refuse(*refusal);
    return false;
}

void SpriteSheet::accept() {
    // Pages the author never brought to the front were filled when the sheet opened and write those values.
    for (QWidget* page : {static_cast<QWidget*>(config_), eventsPage_ ? eventsPage_ : click_,
                          eventsPage_ ? eventsPage_ : move_})
        if (page && !Accepts(page)) return;
    if (config_) config_->Write(sprite_);
    if (click_) {
        sprite_.SetClickAction(click_->Code());
        sprite_.SetClickArguments(click_->Arguments());
    }
    if (move_) {
        sprite_.SetMoveAction(move_->Code());
        sprite_.SetMoveArguments(move_->Arguments());
    }
    QDialog::accept();
}

bool RunSpriteSheet(SpriteSheet::Kind kind, CPhasedSprite& sprite, const CFichaDoc* document,
                    QWidget* parent) {
    SpriteSheet sheet(kind, sprite, document, parent);
    return sheet.exec() == QDialog::Accepted;
}
