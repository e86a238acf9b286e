#include "editor/ScreenCardSheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/ActionArguments.h"
#include "editor/DialogIntegerField.h"
#include "editor/DialogStrings.h"
#include "editor/TitleChoosers.h"
#include "engine/SpriteList.h"
#include "model/FichaDoc.h"

namespace {

QLineEdit* AddEditRow(QGridLayout& grid, int row, const QString& label, const std::string& value,
                      QWidget* parent) {
    auto* edit = new QLineEdit(ShownText(value), parent);
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(edit);
    grid.addWidget(caption, row, 0);
    grid.addWidget(edit, row, 1);
    return edit;
}

}  // namespace

ScreenCardSheet::ScreenCardSheet(ScreenCardFields& fields, const CFichaDoc* document, QWidget* parent)
    : QDialog(parent), fields_(fields), document_(document) {
    setWindowTitle(tr("Screen/card properties"));
    tabs_ = new QTabWidget(this);
    tabs_->addTab(MakeScreenPage(), tr("Screen"));
    tabs_->addTab(MakeCardPage(), tr("Card"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    identifier_->setFocus();
}

QWidget* ScreenCardSheet::MakeScreenPage() {
    auto* page = new QWidget(tabs_);
    page->setObjectName("Screen");
    auto* grid = new QGridLayout(page);
    identifier_ = AddEditRow(*grid, 0, tr("Identificator :"), fields_.identifier, page);
    description_ = AddEditRow(*grid, 1, tr("Description :"), fields_.description, page);
    music_ = AddEditRow(*grid, 2, tr("Background music :"), fields_.backgroundMusic, page);
    browseMusic_ = new QToolButton(page);
    browseMusic_->setText(tr("Browse..."));
    grid->addWidget(browseMusic_, 2, 2);
    connect(browseMusic_, &QToolButton::clicked, this, [this] {
        std::optional<std::string> chosen =
            platform::FileDialogs().Ask(*BrowseRequest(ArgumentKind::soundFile));
        if (!chosen) return;
        const std::string title = document_ ? document_->GetPathName() : std::string();
        music_->setText(
            QString::fromStdString(ArgumentForChosenFile(ArgumentKind::soundFile, *chosen, title)));
    });
    stopPrevious_ = new QCheckBox(tr("Stop previous music"), page);
    stopPrevious_->setChecked(fields_.stopPreviousMusic);
    loop_ = new QCheckBox(tr("Loop music"), page);
    loop_->setChecked(fields_.loopMusic);
    grid->addWidget(stopPrevious_, 3, 1);
    grid->addWidget(loop_, 4, 1);
    return page;
}

QWidget* ScreenCardSheet::MakeCardPage() {
    cardPage_ = new QWidget(tabs_);
    cardPage_->setObjectName("Card");
    auto* grid = new QGridLayout(cardPage_);
    activate_ = AddEditRow(*grid, 0, tr("Activate sprites :"), fields_.activationList, cardPage_);
    deactivate_ = AddEditRow(*grid, 1, tr("Deactivate sprites :"), fields_.deactivationList, cardPage_);
    if (document_) {
        chooseActivate_ = SpritesButton(activate_);
        chooseDeactivate_ = SpritesButton(deactivate_);
        grid->addWidget(chooseActivate_, 0, 2);
        grid->addWidget(chooseDeactivate_, 1, 2);
    }
    // Without a current card there is nothing for the page to edit.
    cardPage_->setEnabled(fields_.hasCard);
    return cardPage_;
}

QToolButton* ScreenCardSheet::SpritesButton(QLineEdit* list) {
    auto* button = new QToolButton(cardPage_);
    button->setText(tr("Sprites..."));
    connect(button, &QToolButton::clicked, this, [this, list] {
        if (std::optional<std::string> chosen =
                ChooseSpritesOf(document_->GetSpriteList(), StoredText(list->text()), true, this))
            list->setText(QString::fromStdString(*chosen));
    });
    return button;
}

void ScreenCardSheet::accept() {
    if (fields_.hasCard) {
        const std::pair<QLineEdit*, const char*> lists[] = {
            {activate_, "The list of sprites to activate"},
            {deactivate_, "The list of sprites to deactivate"}};
        for (const auto& [edit, what] : lists) {
            const size_t count = CountListNumbers(edit->text().toStdString());
            if (count <= CSpriteList::kMaxNumbers) continue;
            tabs_->setCurrentWidget(cardPage_);
            Refuse({edit, TooManyNumbersMessage(what, count)});
            return;
        }
    }
    fields_.identifier = StoredText(identifier_->text());
    fields_.description = StoredText(description_->text());
    fields_.backgroundMusic = StoredText(music_->text());
    fields_.stopPreviousMusic = stopPrevious_->isChecked();
    fields_.loopMusic = loop_->isChecked();
    if (fields_.hasCard) {
        fields_.activationList = StoredText(activate_->text());
        fields_.deactivationList = StoredText(deactivate_->text());
    }
    QDialog::accept();
}
