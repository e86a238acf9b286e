#include "editor/TitleChoosers.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <set>

#include "editor/ActionArguments.h"
#include "editor/DialogStrings.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"

namespace {

// A list of entries, each with the value it stands for, and OK and Cancel; a double click confirms the
// entry under the pointer. `refuse` may keep the dialog open on OK, saying why.
class ListChooser : public QDialog {
  public:
    ListChooser(const QString& title, bool many, QWidget* parent) : QDialog(parent) {
        setWindowTitle(title);
        setObjectName("TitleChooser");
        list_ = new QListWidget(this);
        list_->setSelectionMode(many ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::SingleSelection);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(list_);
        layout->addWidget(buttons);
    }

    void Add(const QString& text, const QString& value, bool selected) {
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, value);
        item->setSelected(selected);
        if (selected && !list_->currentItem()) list_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    }

    // The values of the chosen entries, in list order.
    std::vector<QString> Chosen() const {
        std::vector<QString> values;
        for (int i = 0; i < list_->count(); ++i)
            if (list_->item(i)->isSelected()) values.push_back(list_->item(i)->data(Qt::UserRole).toString());
        return values;
    }

    void accept() override {
        if (refuse_) {
            if (std::optional<std::string> message = refuse_(Chosen())) {
                platform::ShowMessage(*message);
                return;
            }
        }
        QDialog::accept();
    }

    std::function<std::optional<std::string>(const std::vector<QString>&)> refuse_;

  private:
    QListWidget* list_;
};

}  // namespace

std::optional<int> ChooseCardOf(const CArrayFichas& cards, int current, QWidget* parent) {
    ListChooser chooser(QObject::tr("Cards"), false, parent);
    for (size_t i = 0; i < cards.GetSize(); ++i)
        chooser.Add(ShownText(cards.CaptionOfCard(i)), QString::number(i), int(i) == current);
    if (chooser.exec() != QDialog::Accepted || chooser.Chosen().empty()) return std::nullopt;
    return chooser.Chosen().front().toInt();
}

std::optional<std::string> ChooseSpritesOf(const CSpriteList& sprites, const std::string& current, bool many,
                                           QWidget* parent) {
    const std::vector<int32_t> listed = CSpriteList::ParseNumberList(current);
    const std::set<int32_t> preselected(listed.begin(), listed.end());
    std::vector<const CSprite*> authored;
    for (const CSprite* sprite : sprites)
        if (!IsProxyNumber(sprite->GetNumber())) authored.push_back(sprite);
    std::stable_sort(authored.begin(), authored.end(),
                     [](const CSprite* a, const CSprite* b) { return a->GetNumber() < b->GetNumber(); });

    ListChooser chooser(QObject::tr("Sprites"), many, parent);
    for (const CSprite* sprite : authored) {
        const int32_t number = sprite->GetNumber();
        chooser.Add(QString::number(number) + "  " + ShownText(sprite->GetText()), QString::number(number),
                    !current.empty() && preselected.count(number) != 0);
    }
    chooser.refuse_ = [](const std::vector<QString>& chosen) -> std::optional<std::string> {
        if (chosen.size() <= CSpriteList::kMaxNumbers) return std::nullopt;
        return TooManyNumbersMessage("The choice", chosen.size());
    };
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    std::string list;
    for (const QString& number : chooser.Chosen()) list += (list.empty() ? "" : ",") + number.toStdString();
    return list;
}

std::optional<std::string> ChooseTextOf(const std::vector<std::string>& identifiers,
                                        const std::string& current, QWidget* parent) {
    ListChooser chooser(QObject::tr("Texts"), false, parent);
    for (const std::string& identifier : identifiers)
        chooser.Add(ShownText(identifier), ShownText(identifier), identifier == current);
    if (chooser.exec() != QDialog::Accepted || chooser.Chosen().empty()) return std::nullopt;
    return StoredText(chooser.Chosen().front());
}
