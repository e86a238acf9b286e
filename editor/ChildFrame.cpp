#include "editor/ChildFrame.h"

#include <QCloseEvent>

#include "editor/Icons.h"
#include "model/FichaDoc.h"
#include "ui/ViewWidget.h"

std::shared_ptr<CFichaDoc> MakeSharedDocument() {
    return std::shared_ptr<CFichaDoc>(new CFichaDoc(Variant::editor), [](CFichaDoc* doc) {
        doc->OnCloseDocument();
        delete doc;
    });
}

CChildFrame::CChildFrame(std::shared_ptr<CFichaDoc> doc, const ChildFactory& factory, CommandTarget& router,
                         QWidget* parent)
    : QMdiSubWindow(parent), doc_(std::move(doc)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMaximumSize(kMaximumSize);
    setWindowIcon(FabrioIcon());
    parts_ = factory(*doc_, this, router);
    if (parts_.widget) setWidget(parts_.widget);
    resize(kMaximumSize);
}

CChildFrame::~CChildFrame() {
    // The contents go first, then the view and commands they show, then (with the last child) the
    // document they show.
    if (QWidget* contents = widget()) {
        setWidget(nullptr);
        delete contents;
    }
    parts_ = ChildParts();
    doc_.reset();
}

void CChildFrame::CloseWithoutAsking() {
    asked_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!asked_ && canClose && !canClose(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
