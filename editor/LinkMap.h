#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "model/TitleCheck.h"

class CFichaDoc;
class QGraphicsScene;
class QGraphicsView;
class QLabel;

// The link map: a window that draws the cards of the active title in a column and, beside them, the
// other titles its actions reach (by next and previous card, open a card, play a video title), with an
// arrow from each card to what a sprite shown on it leads to. What is missing, a title not found beside
// this one (or one that does not open) or a card index outside its title, is drawn in red.
class CLinkMap : public QWidget {
    Q_OBJECT
  public:
    static inline const QColor kMissing = QColor(Qt::red);

    explicit CLinkMap(QWidget* parent = nullptr);

    // Draws the links of `doc` as it stands now (null: an empty map).
    void ShowDocument(CFichaDoc* doc);
    CFichaDoc* Document() const { return doc_; }

    // What the map shows, for a look from outside: each box with its label and whether it is missing.
    struct Node {
        QString label;
        bool missing = false;
    };
    const std::vector<Node>& Nodes() const { return nodes_; }
    const std::vector<TitleLink>& Links() const { return links_; }
    QGraphicsScene& Scene() const { return *scene_; }

  private:
    QGraphicsScene* scene_ = nullptr;
    QGraphicsView* view_ = nullptr;
    QLabel* caption_ = nullptr;
    CFichaDoc* doc_ = nullptr;
    std::vector<Node> nodes_;
    std::vector<TitleLink> links_;
};
