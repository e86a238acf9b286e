#pragma once

#include <QWidget>
#include <memory>

#include "ui/ViewWidget.h"

class CFichaDoc;
class CFichaView;
class CardInsertion;
class CommandTarget;
class QScrollBar;

// The widget of the editing view: the view's buffer and texts as ui::ViewWidget shows them, and over
// them what only the editor draws: the grid, the selection frames, the text tracker and the rubber band.
class CFichaViewWidget : public ui::ViewWidget {
    Q_OBJECT
  public:
    explicit CFichaViewWidget(CFichaView& view, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CFichaView& view_;
};

// One document's editing view in a child window: the view, its widget at the top-left and scroll bars
// that appear when the window is smaller than the card. Card coordinates are the widget's client
// coordinates plus the scroll position, which the scroll bars set.
class CFichaViewHost : public QWidget {
    Q_OBJECT
  public:
    CFichaViewHost(CFichaDoc& doc, CardInsertion* insertion, CommandTarget& router,
                   QWidget* parent = nullptr);
    // Hosts a view made elsewhere (a derived view).
    explicit CFichaViewHost(std::unique_ptr<CFichaView> view, QWidget* parent = nullptr);
    // The widget lets go of the view before the view goes.
    ~CFichaViewHost() override;

    CFichaView& View() { return *view_; }
    CFichaViewWidget& Widget() { return *widget_; }
    QScrollBar& HorizontalBar() { return *horizontal_; }
    QScrollBar& VerticalBar() { return *vertical_; }

    // Size to content: the window that holds the host (a child window of the frame, or the top-level
    // window) is resized so that the whole card shows without scroll bars, within that window's largest
    // size.
    void SizeToContent();

    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Places the widget and shows the scroll bars a view larger than the room needs.
    void Arrange();

    std::unique_ptr<CFichaView> view_;
    CFichaViewWidget* widget_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    QScrollBar* vertical_ = nullptr;
    bool arranging_ = false;
};
