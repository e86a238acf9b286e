#include "editor/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "editor/AboutDlg.h"
#include "editor/AuthoringAids.h"
#include "editor/CommandCatalog.h"
#include "editor/CommandIds.h"
#include "editor/EditingSeams.h"
#include "editor/HelpWindow.h"
#include "editor/Icons.h"
#include "editor/Menus.h"
#include "editor/TestRun.h"
#include "model/DocumentTypes.h"
#include "model/FichaDoc.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

// The program's images are compiled into the library; a static library's resources must be named once.
static void InitialiseFabrioResources() {
    Q_INIT_RESOURCE(fabrio);
}

namespace {

constexpr int kIdleUpdateMs = 250;

// Commands whose entries carry a check mark or show a pressed button.
bool IsCheckCommand(int id) {
    switch (id) {
        case cmd::kViewToolBar:
        case cmd::kViewStatusBar:
        case cmd::kViewInsertBar:
        case cmd::kViewGrid:
        case cmd::kSelectTool:
        case cmd::kInsertSprite:
        case cmd::kInsertText:
        case cmd::kInsertPicture:
        case cmd::kInsertVideo:
            return true;
        default:
            return false;
    }
}

std::string WindowsFilter() {
    // "Fabrio Files (*.fca)|*.fca||"
    return DocumentTypeFor(Variant::editor).filterName + "|*.fca||";
}

QString Canonical(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString ToolTipFor(int id, const QString& menuText) {
    QString tip = CommandToolTip(id);
    if (tip.isEmpty()) tip = QString(menuText.section(u'\t', 0, 0)).remove(u'&');
    return tip;
}

}  // namespace

// ---------------------------------------------------------------- routing

bool CMainFrame::RouterTarget::CommandState(int id, State& state) {
    bool handled = false;
    state = frame_.RoutedState(id, &handled);
    return handled;
}

bool CMainFrame::RouterTarget::RunCommand(int id) {
    return frame_.Route(id);
}

CommandTarget::State CMainFrame::RoutedState(int id, bool* handled) {
    State state;
    bool known = false;
    if (CChildFrame* child = ActiveChild()) {
        const ChildParts& parts = child->Parts();
        if (parts.view) known = parts.view->CommandState(id, state);
        if (!known && parts.commands) known = parts.commands->CommandState(id, state);
    }
    if (!known) known = CommandState(id, state);
    if (!known && aids_) known = aids_->CommandState(id, state);
    if (!known) state = State();
    if (handled) *handled = known;
    return state;
}

bool CMainFrame::Route(int id) {
    // A command runs only where it is enabled, as a disabled menu entry or button cannot be chosen; this
    // also holds for the accelerators and for the commands the views run through the router.
    bool handled = false;
    const State state = RoutedState(id, &handled);
    if (!handled || !state.enabled) return false;
    bool ran = false;
    if (CChildFrame* child = ActiveChild()) {
        const ChildParts parts = child->Parts();
        if (parts.view && parts.view->RunCommand(id)) ran = true;
        if (!ran && parts.commands && parts.commands->RunCommand(id)) ran = true;
    }
    if (!ran) ran = RunCommand(id);
    if (!ran && aids_) ran = aids_->RunCommand(id);
    UpdateCommandUI();
    return ran;
}

// ---------------------------------------------------------------- construction

CMainFrame::CMainFrame(ChildFactory factory, FrameOptions options, QWidget* parent)
    : QMainWindow(parent), factory_(std::move(factory)), options_(std::move(options)), router_(*this) {
    InitialiseFabrioResources();
    // A frame made without a factory still opens documents, in children that show nothing.
    if (!factory_)
        factory_ = [](CFichaDoc&, QWidget* parent, CommandTarget&) {
            ChildParts parts;
            parts.widget = new QWidget(parent);
            return parts;
        };
    settings_ = options_.settingsFile.isEmpty()
                    ? std::make_unique<QSettings>(QStringLiteral("Fabrio"), QStringLiteral("Fabrio"))
                    : std::make_unique<QSettings>(options_.settingsFile, QSettings::IniFormat);
    recent_.Load(*settings_);
    setWindowIcon(FabrioIcon());
    setWindowTitle(QStringLiteral("Fabrio"));
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    aids_ = std::make_unique<CAuthoringAids>(*this, options_.recoveryFolder);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { UpdateCommandUI(); });
    idleUpdate_.setInterval(kIdleUpdateMs);
    connect(&idleUpdate_, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    idleUpdate_.start();
    resize(900, 700);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    idleUpdate_.stop();
    aids_.reset();
    // The children go while the frame they route through is still whole.
    for (CChildFrame* child : Children()) delete child;
    if (help_) delete help_;
}

QAction* CMainFrame::MakeAction(int id, const QString& menuText) {
    auto* action = new QAction(MenuTextWithAccelerators(menuText, id), this);
    action->setData(id);
    action->setShortcuts(AcceleratorsOf(id));
    action->setStatusTip(CommandPrompt(id));
    action->setToolTip(ToolTipFor(id, menuText));
    action->setIcon(CommandIcon(id));
    // The menus show the images of toolbar 128 only; the insert bar's own images stay on its buttons.
    action->setIconVisibleInMenu(HasToolBarImage(id));
    action->setCheckable(IsCheckCommand(id));
    connect(action, &QAction::triggered, this, [this, id] { Route(id); });
    addAction(action);  // the accelerators work whichever menu shows
    actions_[id] = action;
    return action;
}

void CMainFrame::CreateActions() {
    // Every command of the menus, both toolbars and the accelerator table.
    std::vector<int> ids;
    std::function<void(const std::vector<MenuEntry>&)> collect = [&](const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& e : entries) {
            if (e.kind == MenuEntry::Kind::command) ids.push_back(e.id);
            if (e.kind == MenuEntry::Kind::popup) collect(e.items);
        }
    };
    collect(MenuResource(menu::kDocument));
    collect(MenuResource(menu::kNoDocument));
    for (int id : MainToolBarButtons()) ids.push_back(id);
    for (int id : InsertBarButtons()) ids.push_back(id);
    for (const Accelerator& a : AcceleratorTable()) ids.push_back(a.command);
    for (int id : ids) {
        if (id == 0 || actions_.count(id)) continue;
        QString text = MenuTextOf(id);
        if (text.isEmpty()) text = CommandToolTip(id);
        MakeAction(id, text);
    }
    recentPlaceholder_ = new QAction(QString::fromUtf8(kRecentFilePlaceholder), this);
    recentPlaceholder_->setEnabled(false);
    for (int i = 0; i < CRecentFileList::kSize; ++i) {
        const int id = cmd::kFileMruFirst + i;
        QAction* action = MakeAction(id, QString());
        action->setShortcuts({});
        recentActions_.push_back(action);
    }
    UpdateRecentFileActions();
}

QMenu* CMainFrame::BuildMenu(const MenuEntry& popup) {
    auto* menu = new QMenu(popup.text, this);
    for (const MenuEntry& e : popup.items) {
        switch (e.kind) {
            case MenuEntry::Kind::separator:
                menu->addSeparator();
                break;
            case MenuEntry::Kind::popup:
                menu->addMenu(BuildMenu(e));
                break;
            case MenuEntry::Kind::recentFiles:
                menu->addAction(recentPlaceholder_);
                for (QAction* action : recentActions_) menu->addAction(action);
                break;
            case MenuEntry::Kind::command:
                menu->addAction(actions_.at(e.id));
                break;
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    return menu;
}

void CMainFrame::CreateMenus() {
    for (int resource : {menu::kNoDocument, menu::kDocument})
        for (const MenuEntry& popup : MenuResource(resource)) menus_[resource].push_back(BuildMenu(popup));
    ShowMenuResource(menu::kNoDocument);
}

void CMainFrame::ShowMenuResource(int resource) {
    if (menuShown_ == resource) return;
    menuShown_ = resource;
    menuBar()->clear();
    for (QMenu* menu : menus_[resource]) menuBar()->addMenu(menu);
}

void CMainFrame::CreateToolBars() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar128"));
    toolBar_->setIconSize(QSize(kButtonImageWidth, kButtonImageHeight));
    screenMenu_ = BuildContextMenu(menu::kScreen, router_, this);
    for (int id : MainToolBarButtons()) {
        if (id == 0) {
            toolBar_->addSeparator();
        } else if (id == cmd::kBackgroundFromFile) {
            // The button runs its command; its arrow opens the screen menu under the button.
            loadBackground_ = new QToolButton(toolBar_);
            loadBackground_->setDefaultAction(actions_.at(id));
            loadBackground_->setMenu(screenMenu_.get());
            loadBackground_->setPopupMode(QToolButton::MenuButtonPopup);
            loadBackground_->setAutoRaise(true);
            toolBar_->addWidget(loadBackground_);
        } else {
            toolBar_->addAction(actions_.at(id));
        }
    }

    insertBar_ = new QDockWidget(QStringLiteral("Paleta"), this);
    insertBar_->setObjectName(QStringLiteral("insertBar204"));
    insertBar_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                            QDockWidget::DockWidgetClosable);
    auto* buttons = new QWidget(insertBar_);
    auto* grid = new QGridLayout(buttons);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(1);
    const std::vector<int>& insert = InsertBarButtons();
    for (size_t i = 0; i < insert.size(); ++i) {
        auto* button = new QToolButton(buttons);
        button->setDefaultAction(actions_.at(insert[i]));
        button->setAutoRaise(true);
        button->setIconSize(QSize(kButtonImageWidth, kButtonImageHeight));
        // Two columns: a row break after every second button.
        grid->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    grid->setRowStretch(static_cast<int>((insert.size() + 1) / 2), 1);
    insertBar_->setWidget(buttons);
    // Wide enough for its caption beside the float and close buttons.
    insertBar_->setMinimumWidth(insertBar_->fontMetrics().horizontalAdvance(insertBar_->windowTitle()) + 48);
    addDockWidget(Qt::LeftDockWidgetArea, insertBar_);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The idle text lies in the message pane; prompts cover it while they show.
    idle_ = new QLabel(QStringLiteral("Ready"), bar);
    bar->addWidget(idle_, 1);
    cardPane_ = new QLabel(bar);
    positionPane_ = new QLabel(bar);
    cardPane_->setMinimumWidth(
        cardPane_->fontMetrics().horizontalAdvance(QStringLiteral("Card: %d de %d  ")));
    positionPane_->setMinimumWidth(
        positionPane_->fontMetrics().horizontalAdvance(QStringLiteral("Pos X: 000, Pos Y: 000   ")));
    bar->addPermanentWidget(cardPane_);
    bar->addPermanentWidget(positionPane_);
}

// ---------------------------------------------------------------- idle update

QAction* CMainFrame::Action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::UpdateCommandUI() {
    ShowMenuResource(ActiveChild() ? menu::kDocument : menu::kNoDocument);
    for (const auto& [id, action] : actions_) {
        const State state = RoutedState(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
    UpdateUndoTexts();
    UpdateStatusPanes();
    UpdateTitles();
}

void CMainFrame::UpdateUndoTexts() {
    // Undo and Redo name the step they would take back or again ("Undo Move"), as the history knows it.
    CChildFrame* child = ActiveChild();
    for (const auto& [id, name] : {std::pair{cmd::kEditUndo, "&Undo"}, std::pair{cmd::kEditRedo, "&Redo"}}) {
        QAction* action = Action(id);
        if (!action) continue;
        QString text = QString::fromUtf8(name);
        if (child) {
            const std::string step =
                id == cmd::kEditUndo ? child->Document().UndoText() : child->Document().RedoText();
            text = u'&' + QString::fromStdString(step);
        }
        action->setText(MenuTextWithAccelerators(text, id));
    }
}

void CMainFrame::UpdateStatusPanes() {
    CChildFrame* child = ActiveChild();
    CardEditing* editing = child ? child->Parts().editing : nullptr;
    cardPane_->setText(editing ? QString::fromStdString(editing->CardPaneText()) : QString());
    positionPane_->setText(editing ? QString::fromStdString(editing->PositionPaneText()) : QString());
    cardPane_->setEnabled(editing != nullptr);
    positionPane_->setEnabled(editing != nullptr);
}

void CMainFrame::UpdateTitles() {
    for (CChildFrame* child : Children()) {
        const CFichaDoc& doc = child->Document();
        QString title = QString::fromStdString(doc.GetTitle());
        if (ChildCountOf(doc) > 1) {
            int number = 1;
            for (CChildFrame* other : Children()) {
                if (other == child) break;
                if (&other->Document() == &doc) ++number;
            }
            title += QStringLiteral(":%1").arg(number);
        }
        child->setWindowTitle(title + QStringLiteral("[*]"));
        child->setWindowModified(doc.IsModified());
    }
    CChildFrame* active = ActiveChild();
    if (!active) {
        setWindowTitle(QStringLiteral("Fabrio"));
        setWindowModified(false);
        return;
    }
    setWindowTitle(QStringLiteral("Fabrio - ") + active->windowTitle());
    setWindowModified(active->Document().IsModified());
}

void CMainFrame::UpdateRecentFileActions() {
    const QStringList& files = recent_.Files();
    recentPlaceholder_->setVisible(files.isEmpty());
    for (int i = 0; i < static_cast<int>(recentActions_.size()); ++i) {
        QAction* action = recentActions_[i];
        action->setVisible(i < files.size());
        action->setText(recent_.MenuText(i));
        action->setStatusTip(i < files.size() ? CommandPrompt(cmd::kFileMruFirst + i) : QString());
    }
}

// ---------------------------------------------------------------- the frame's own commands

bool CMainFrame::CommandState(int id, State& state) {
    const bool child = ActiveChild() != nullptr;
    switch (id) {
        case cmd::kFileNew:
        case cmd::kFileOpen:
        case cmd::kAppExit:
        case cmd::kHelp:
        case cmd::kAppAbout:
            state.enabled = true;
            return true;
        case cmd::kViewToolBar:
            state = {true, toolBar_->isVisible()};
            return true;
        case cmd::kViewStatusBar:
            state = {true, statusBar()->isVisible()};
            return true;
        case cmd::kViewInsertBar:
            state = {true, insertBar_->isVisible()};
            return true;
        case cmd::kFileClose:
        case cmd::kFileSave:
        case cmd::kFileSaveAs:
        case cmd::kFilePrint:
        case cmd::kTest:
        case cmd::kWindowNew:
        case cmd::kWindowArrange:
        case cmd::kWindowCascade:
        case cmd::kWindowTile:
            state.enabled = child;
            return true;
        case cmd::kTestFromThisCard:
            state.enabled = child && ActiveChild()->Document().GetCurrentCard() >= 0;
            return true;
        default:
            if (id >= cmd::kFileMruFirst && id < cmd::kFileMruFirst + CRecentFileList::kSize) {
                state.enabled = !recent_.At(id - cmd::kFileMruFirst).isEmpty();
                return true;
            }
            return false;
    }
}

bool CMainFrame::RunCommand(int id) {
    CChildFrame* child = ActiveChild();
    switch (id) {
        case cmd::kFileNew:
            NewDocument();
            return true;
        case cmd::kFileOpen: {
            platform::FileDialogRequest request;
            request.filter = WindowsFilter();
            request.defaultExtension = "fca";
            request.fileMustExist = true;
            if (std::optional<std::string> path = platform::FileDialogs().Ask(request))
                OpenDocument(QString::fromStdString(*path));
            return true;
        }
        case cmd::kFileClose:
            if (child) CloseDocument(child->Document());
            return true;
        case cmd::kFileSave:
        case cmd::kFileSaveAs:
            if (child) SaveDocument(*child, id == cmd::kFileSaveAs);
            return true;
        case cmd::kFilePrint:
            Print();
            return true;
        case cmd::kAppExit:
            close();
            return true;
        case cmd::kViewToolBar:
            toolBar_->setVisible(!toolBar_->isVisible());
            return true;
        case cmd::kViewStatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            return true;
        case cmd::kViewInsertBar:
            insertBar_->setVisible(!insertBar_->isVisible());
            return true;
        case cmd::kTest:
        case cmd::kTestFromThisCard:
            if (child) {
                CFichaDoc& doc = child->Document();
                std::optional<int> card;
                if (id == cmd::kTestFromThisCard) card = doc.GetCurrentCard();
                const bool wasPath = !doc.GetPathName().empty();
                RunTest(doc, options_.programDirectory, card);
                if (wasPath && !doc.IsModified()) {
                    RememberFile(doc.GetPathName());
                    aids_->DocumentSaved(doc);
                }
            }
            return true;
        case cmd::kWindowNew:
            if (child) CreateChild(child->SharedDocument());
            return true;
        case cmd::kWindowCascade:
            mdi_->cascadeSubWindows();
            return true;
        case cmd::kWindowTile:
            mdi_->tileSubWindows();
            return true;
        case cmd::kWindowArrange:
            ArrangeIcons();
            return true;
        case cmd::kHelp:
            ShowHelp();
            return true;
        case cmd::kAppAbout:
            ShowAbout();
            return true;
        default:
            if (id >= cmd::kFileMruFirst && id < cmd::kFileMruFirst + CRecentFileList::kSize) {
                OpenRecentFile(id - cmd::kFileMruFirst);
                return true;
            }
            return false;
    }
}

// ---------------------------------------------------------------- documents

std::vector<CChildFrame*> CMainFrame::Children() const {
    std::vector<CChildFrame*> children;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window)) children.push_back(child);
    return children;
}

CChildFrame* CMainFrame::ActiveChild() const {
    if (auto* active = qobject_cast<CChildFrame*>(mdi_->activeSubWindow())) return active;
    // Without a focused window (an inactive frame, a test without a window system) the newest child
    // that is shown counts as the active one, as the MDI frame keeps its active child.
    if (auto* current = qobject_cast<CChildFrame*>(mdi_->currentSubWindow())) return current;
    return nullptr;
}

int CMainFrame::ChildCountOf(const CFichaDoc& doc) const {
    int count = 0;
    for (CChildFrame* child : Children())
        if (&child->Document() == &doc) ++count;
    return count;
}

CChildFrame* CMainFrame::CreateChild(std::shared_ptr<CFichaDoc> doc) {
    auto* child = new CChildFrame(std::move(doc), factory_, router_);
    child->canClose = [this](CChildFrame& c) { return ChildMayClose(c); };
    mdi_->addSubWindow(child);
    child->show();
    mdi_->setActiveSubWindow(child);
    UpdateCommandUI();
    return child;
}

CChildFrame* CMainFrame::NewDocument() {
    std::shared_ptr<CFichaDoc> doc = MakeSharedDocument();
    if (!doc->OnNewDocument()) return nullptr;
    doc->SetTitle(DocumentTypeFor(Variant::editor).fileNewName + std::to_string(++untitledCount_));
    return CreateChild(std::move(doc));
}

CChildFrame* CMainFrame::ShowDocument(std::shared_ptr<CFichaDoc> doc) {
    return doc ? CreateChild(std::move(doc)) : nullptr;
}

CChildFrame* CMainFrame::FindChildOf(const QString& path) const {
    const QString wanted = Canonical(path);
    for (CChildFrame* child : Children()) {
        const std::string& own = child->Document().GetPathName();
        if (!own.empty() && Canonical(QString::fromStdString(own)) == wanted) return child;
    }
    return nullptr;
}

CChildFrame* CMainFrame::OpenDocument(const QString& path) {
    if (CChildFrame* open = FindChildOf(path)) {
        mdi_->setActiveSubWindow(open);
        RememberFile(open->Document().GetPathName());
        return open;
    }
    std::shared_ptr<CFichaDoc> doc = MakeSharedDocument();
    // The document shows the system's message itself when the file is not a title.
    if (!doc->OnOpenDocument(path.toStdString())) return nullptr;
    RememberFile(doc->GetPathName());
    return CreateChild(std::move(doc));
}

bool CMainFrame::SaveDocument(CChildFrame& child, bool askForName) {
    CFichaDoc& doc = child.Document();
    std::string path = doc.GetPathName();
    if (askForName || path.empty()) {
        platform::FileDialogRequest request;
        request.save = true;
        request.filter = WindowsFilter();
        request.defaultExtension = "fca";
        request.initialName = path.empty() ? doc.GetTitle() : path;
        request.overwritePrompt = true;
        std::optional<std::string> chosen = platform::FileDialogs().Ask(request);
        if (!chosen) return false;
        path = *chosen;
    }
    if (!doc.OnSaveDocument(path)) return false;
    RememberFile(doc.GetPathName());
    UpdateTitles();
    aids_->DocumentSaved(doc);
    return true;
}

bool CMainFrame::SaveModified(CFichaDoc& doc) {
    if (!doc.IsModified()) return true;
    const std::string text = "Save changes to " + doc.GetTitle() + "?";
    switch (platform::Messages().Show(text, "Fabrio", platform::MessageIcon::exclamation,
                                      platform::MessageButtons::yesNoCancel)) {
        case platform::MessageAnswer::yes:
            for (CChildFrame* child : Children())
                if (&child->Document() == &doc) return SaveDocument(*child, false);
            return false;
        case platform::MessageAnswer::no:
            return true;
        default:
            return false;
    }
}

bool CMainFrame::ChildMayClose(CChildFrame& child) {
    // Only the last window of a document asks; the others are only views of it.
    if (closingAll_ || ChildCountOf(child.Document()) > 1) return true;
    return SaveModified(child.Document());
}

bool CMainFrame::CloseDocument(CFichaDoc& doc) {
    if (!SaveModified(doc)) return false;
    for (CChildFrame* child : Children())
        if (&child->Document() == &doc) child->CloseWithoutAsking();
    UpdateCommandUI();
    return true;
}

void CMainFrame::RememberFile(const std::string& path) {
    if (path.empty()) return;
    recent_.Add(QString::fromStdString(path));
    UpdateRecentFileActions();
    SaveSettings();
}

void CMainFrame::OpenRecentFile(int index) {
    const QString path = recent_.At(index);
    if (path.isEmpty()) return;
    if (!OpenDocument(path)) {
        // A title that no longer opens leaves the list, as it would only fail again.
        recent_.Remove(index);
        UpdateRecentFileActions();
        SaveSettings();
    }
}

void CMainFrame::SaveSettings() {
    recent_.Save(*settings_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Every modified document is asked about first; only when none was kept do the windows go.
    std::vector<CFichaDoc*> asked;
    for (CChildFrame* child : Children()) {
        CFichaDoc* doc = &child->Document();
        if (std::find(asked.begin(), asked.end(), doc) != asked.end()) continue;
        asked.push_back(doc);
        if (!SaveModified(*doc)) {
            event->ignore();
            return;
        }
    }
    closingAll_ = true;
    mdi_->closeAllSubWindows();
    closingAll_ = false;
    aids_->ClosedCleanly();
    SaveSettings();
    if (help_) help_->close();
    event->accept();
}

// ---------------------------------------------------------------- drop, print, help, about

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) OpenDocument(url.toLocalFile());
}

void CMainFrame::Print() {
    CChildFrame* child = ActiveChild();
    if (!child) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintCard(*child, printer);
}

void CMainFrame::PrintCard(CChildFrame& child, QPrinter& printer) {
    QWidget* contents = child.Parts().widget;
    if (!contents) return;
    CFichaDoc& doc = child.Document();
    QSize card(640, 480);
    if (CDIB* background = doc.GetBackground())
        card = QSize(background->GetWidth(), std::abs(background->GetHeight()));
    QPainter painter(&printer);
    if (!painter.isActive()) return;
    // The card's pixels take the size they have on a screen of 96 dots per inch.
    const double scale = printer.resolution() / 96.0;
    painter.scale(scale, scale);
    contents->render(&painter, QPoint(), QRegion(QRect(QPoint(), card)));
}

void CMainFrame::ShowHelp() {
    const QString index = FindHelpIndex(QString::fromStdString(options_.programDirectory));
    // Without the help pages Help does nothing, as it did without the help viewer.
    if (index.isEmpty()) return;
    if (!help_) help_ = new CHelpWindow(this);
    help_->ShowPage(index);
}

void CMainFrame::ShowAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::ShowSplash() {
    new CSplashWnd(this);
}

void CMainFrame::ArrangeIcons() {
    // The minimised windows in a row along the bottom of the area.
    int x = 0;
    for (CChildFrame* child : Children()) {
        if (!child->isMinimized()) continue;
        const QSize size = child->size();
        child->move(x, mdi_->viewport()->height() - size.height());
        x += size.width();
    }
}
