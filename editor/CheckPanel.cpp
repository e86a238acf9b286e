#include "editor/CheckPanel.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/PlayerCopy.h"
#include "model/FichaDoc.h"

CCheckPanel::CCheckPanel(QWidget* parent) : QDockWidget(QStringLiteral("Check"), parent) {
    setObjectName(QStringLiteral("checkPanel"));
    auto* contents = new QWidget(this);
    auto* column = new QVBoxLayout(contents);
    column->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout();
    summary_ = new QLabel(contents);
    button_ = new QPushButton(QStringLiteral("Check again"), contents);
    row->addWidget(summary_, 1);
    row->addWidget(button_);
    column->addLayout(row);
    list_ = new QListWidget(contents);
    column->addWidget(list_, 1);
    setWidget(contents);
    connect(button_, &QPushButton::clicked, this, &CCheckPanel::checkRequested);
    connect(list_, &QListWidget::itemDoubleClicked, this, &CCheckPanel::Activated);
    Fill();
}

void CCheckPanel::Check(CFichaDoc* doc) {
    if (doc != doc_) notes_.clear();
    doc_ = doc;
    findings_.clear();
    // The title is checked as the player will read it: the bytes a save writes, beside the title's file.
    if (doc)
        if (std::unique_ptr<CFichaDoc> copy = PlayerCopyOf(*doc)) findings_ = CheckTitle(*copy);
    Fill();
}

void CCheckPanel::SetMoveNotes(std::vector<TitleFinding> notes) {
    notes_ = std::move(notes);
    Fill();
}

std::optional<TitleFinding> CCheckPanel::FindingAt(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
    return rows_[static_cast<size_t>(row)];
}

void CCheckPanel::AddHeading(const QString& text) {
    auto* item = new QListWidgetItem(text, list_);
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setFlags(Qt::ItemIsEnabled);
    rows_.push_back(std::nullopt);
}

void CCheckPanel::AddFinding(const TitleFinding& finding) {
    auto* item = new QListWidgetItem(QString::fromStdString(finding.line), list_);
    item->setToolTip(item->text());
    if (finding.card < 0 && !finding.sprite) item->setForeground(QBrush(Qt::darkGray));
    rows_.push_back(finding);
}

void CCheckPanel::Fill() {
    list_->clear();
    rows_.clear();
    if (!notes_.empty()) {
        AddHeading(QStringLiteral("After the card was moved, these actions reach other cards:"));
        for (const TitleFinding& note : notes_) AddFinding(note);
        AddHeading(QStringLiteral("The check of the title:"));
    }
    for (const TitleFinding& finding : findings_) AddFinding(finding);
    if (!doc_)
        summary_->setText(QStringLiteral("No title"));
    else if (findings_.empty())
        summary_->setText(QStringLiteral("Nothing would go wrong when %1 plays")
                              .arg(QString::fromStdString(doc_->GetTitle())));
    else
        summary_->setText(QStringLiteral("%1 problems in %2")
                              .arg(findings_.size())
                              .arg(QString::fromStdString(doc_->GetTitle())));
    button_->setEnabled(doc_ != nullptr);
}

void CCheckPanel::Activated(QListWidgetItem* item) {
    std::optional<TitleFinding> finding = FindingAt(list_->row(item));
    if (finding && (finding->card >= 0 || finding->sprite)) emit findingChosen(*finding);
}
