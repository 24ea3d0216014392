#include "ui/TForm1.h"

#include "app/MainLayout.h"
#include "app/cuiSheetHost.h"
#include "ui/CloneWindows.h"
#include "ui/UiColours.h"
#include "ui/UiFonts.h"
#include "ui/cuiGrid.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

// The message panel of the status bar: the controller's text on its colours. Added with
// stretch beside fixed-width panels, the bar's layout gives it what the others leave, down to
// the core's minimum: the rule of MessagePanelWidth.
class StatusPanel : public QWidget {
public:
    explicit StatusPanel(QWidget* parent) : QWidget(parent) { setMinimumWidth(kMinMessagePanelWidth); }
    void setStatus(const StatusModel& s) {
        status_ = s;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), ToQColor(status_.backgroundColour));
        p.setPen(ToQColor(status_.textColour));
        p.drawText(rect().adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(status_.text));
    }

private:
    StatusModel status_;
};

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

std::vector<QIcon> LoadIcons(std::initializer_list<const char*> names) {
    std::vector<QIcon> icons;
    for (const char* n : names) icons.emplace_back(QString(":/icons/%1.svg").arg(n));
    return icons;
}

QVariant ToVariant(const ItemPath& path) {
    QList<int> list(path.begin(), path.end());
    return QVariant::fromValue(list);
}

}  // namespace

// The icons live in a resource compiled into this static library; it must be
// registered before the first lookup.
static void InitIcons() { Q_INIT_RESOURCE(icons); }

std::vector<QIcon> TForm1::TreeImages() {
    InitIcons();
    return LoadIcons({"tree_rig", "tree_folder01", "tree_note01", "tree_note02", "tree_bank0", "tree_bank1",
                      "tree_bank2", "tree_bank3", "tree_bank4", "tree_bank5", "tree_warn_w", "tree_warn_e"});
}

std::vector<QIcon> TForm1::ToolbarImages() {
    InitIcons();
    return LoadIcons({"bar_file_new", "bar_file_open", "bar_file_save", "bar_com1", "bar_com2", "bar_com3",
                      "bar_com4", "bar_clone_read", "bar_clone_write", "bar_clone_info", "bar_pcg_pen",
                      "bar_pcg_fill", "bar_pcg_slider"});
}

TForm1::TForm1(MainEvents& events, QWidget* parent)
    : QMainWindow(parent), events_(events), treeImages_(TreeImages()), toolbarImages_(ToolbarImages()) {
    setMinimumSize(400, 200);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);  // the panels follow while dragging

    leftPanel_ = new QFrame(splitter_);
    leftPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    leftPanel_->setLineWidth(2);
    leftPanel_->setMinimumWidth(8);
    auto* leftLayout = new QVBoxLayout(leftPanel_);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(leftPanel_);
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setIconSize(QSize(16, 16));
    leftLayout->addWidget(tree_);

    rightPanel_ = new QFrame(splitter_);
    rightPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rightPanel_->setLineWidth(2);
    auto* rightLayout = new QVBoxLayout(rightPanel_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    // The sheet's title line above its grid, shown when the sheet has a title.
    sheetTitle_ = cuiGrid::makeTitle(rightPanel_);
    grid_ = new cuiGrid(rightPanel_);
    grid_->setMarkImages(treeImages_);
    connect(grid_, &cuiGrid::titleChanged, this, [this] { showSheetTitle(); });
    rightLayout->addWidget(sheetTitle_);
    rightLayout->addWidget(grid_, 1);

    splitter_->addWidget(leftPanel_);
    splitter_->addWidget(rightPanel_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    status_ = new StatusPanel(statusBar());
    statusBar()->addWidget(status_, 1);
    auto* corner = new QWidget(statusBar());
    corner->setFixedWidth(statusBar()->sizeHint().height());
    statusBar()->addPermanentWidget(corner);
    statusBar()->setSizeGripEnabled(false);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_ && item) events_.OnTreeSelect(pathOf(item));
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!filling_) events_.OnTreeExpand(pathOf(item), true);
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!filling_) events_.OnTreeExpand(pathOf(item), false);
    });
}

TForm1::~TForm1() = default;

void TForm1::setTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

QIcon TForm1::toolbarIcon(std::int32_t index) const {
    if (index < 0 || index >= static_cast<int>(toolbarImages_.size())) return {};
    return toolbarImages_[static_cast<std::size_t>(index)];
}

namespace {
bool IsSeparator(const MenuItemModel& m) { return m.caption == "-"; }
}  // namespace

std::vector<TForm1::MenuEntry> TForm1::buildMenuItems(QWidget* container, const std::vector<MenuItemModel>& items,
                                                      const ItemPath& path) {
    const bool topLevel = container == menuBar();
    std::vector<MenuEntry> built;
    built.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItemModel& m = items[i];
        ItemPath itemPath = path;
        itemPath.push_back(static_cast<int>(i));
        MenuEntry e;
        if (IsSeparator(m)) {
            e.action = new QAction(container);
            e.action->setSeparator(true);
        } else if (!m.children.empty()) {
            e.menu = new QMenu(container);
            e.action = e.menu->menuAction();
            connect(e.menu, &QMenu::aboutToShow, this, [this, itemPath] { events_.OnMenuAboutToShow(itemPath); });
            e.children = buildMenuItems(e.menu, m.children, itemPath);
        } else {
            e.action = new QAction(container);
            e.action->setData(ToVariant(itemPath));
            connect(e.action, &QAction::triggered, this, [this, itemPath] { events_.OnMenuClick(itemPath); });
        }
        container->addAction(e.action);
        applyMenuItem(e, m, topLevel);
        built.push_back(std::move(e));
    }
    return built;
}

void TForm1::applyMenuItem(const MenuEntry& entry, const MenuItemModel& m, bool topLevel) {
    QAction* a = entry.action;
    a->setVisible(!m.hidden);
    if (a->isSeparator()) return;
    a->setText(QString::fromStdString(m.caption));
    a->setEnabled(!m.disabled);
    if (!entry.menu) {
        a->setShortcut(QKeySequence(QString::fromStdString(m.shortcut)));
        a->setCheckable(m.checked);
        a->setChecked(m.checked);
    }
    if (!topLevel) a->setIcon(toolbarIcon(m.imageIndex));
}

bool TForm1::applyMenuItems(const std::vector<MenuEntry>& entries, const std::vector<MenuItemModel>& items,
                            bool topLevel) {
    if (entries.size() != items.size()) return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuEntry& e = entries[i];
        const MenuItemModel& m = items[i];
        if (IsSeparator(m) != e.action->isSeparator() || m.children.empty() == (e.menu != nullptr)) return false;
        if (e.menu && !applyMenuItems(e.children, m.children, false)) return false;
        applyMenuItem(e, m, topLevel);
    }
    return true;
}

void TForm1::showMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) {
    QWidget* container = menuBar();
    std::vector<MenuEntry>* entries = &menu_;
    if (!path.empty()) {
        MenuEntry* parent = NodeAtPath(menu_, path);
        if (!parent || !parent->menu) return;
        container = parent->menu;
        entries = &parent->children;
    }
    // One of the old items may be running the command that asked for the new ones: they
    // leave the menu now and are deleted once control is back in the event loop.
    for (const MenuEntry& e : *entries) {
        container->removeAction(e.action);
        if (e.menu) {
            e.menu->deleteLater();  // takes its menu action and its items with it
        } else {
            e.action->deleteLater();
        }
    }
    *entries = buildMenuItems(container, items, path);
}

void TForm1::updateMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) {
    std::vector<MenuEntry>* entries = &menu_;
    if (!path.empty()) {
        MenuEntry* parent = NodeAtPath(menu_, path);
        if (!parent || !parent->menu) return;
        entries = &parent->children;
    }
    // States arrive for the menu that was built; should the shapes ever differ, the items
    // under `path` are built anew rather than shown wrongly.
    if (!applyMenuItems(*entries, items, path.empty())) showMenu(path, items);
}

void TForm1::showToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) {
    // As with the menu, a button of the old rows may be the one whose command got here.
    for (QToolBar* t : toolbars_) {
        removeToolBar(t);
        t->deleteLater();
    }
    toolbars_.clear();
    toolActions_.assign(buttons.size(), nullptr);
    toolKinds_.clear();
    auto newRow = [this] {
        if (!toolbars_.empty()) addToolBarBreak(Qt::TopToolBarArea);
        auto* t = new QToolBar(this);
        t->setObjectName(QString("toolbar%1").arg(toolbars_.size()));
        t->setIconSize(QSize(16, 16));
        t->setMovable(true);
        t->setFloatable(true);
        t->layout()->setContentsMargins(4, 0, 0, 0);  // indent 4
        addToolBar(Qt::TopToolBarArea, t);
        toolbars_.push_back(t);
        return t;
    };
    QToolBar* row = newRow();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ToolButtonModel& b = buttons[i];
        toolKinds_.push_back(b.kind);
        switch (b.kind) {
            case ToolButtonModel::Kind::Separator: {
                auto* gap = new QWidget(row);
                gap->setFixedWidth(8);
                row->addWidget(gap);
                break;
            }
            case ToolButtonModel::Kind::WrapSeparator: row = newRow(); break;
            case ToolButtonModel::Kind::Button: {
                QAction* a = row->addAction(QString::fromStdString(b.tooltip));
                const int index = static_cast<int>(i);
                connect(a, &QAction::triggered, this, [this, index] { events_.OnToolClick(index); });
                toolActions_[i] = a;
                break;
            }
        }
    }
    applyToolButtons(buttons, visible);
}

void TForm1::updateToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) {
    bool sameShape = buttons.size() == toolKinds_.size();
    for (std::size_t i = 0; sameShape && i < buttons.size(); ++i) sameShape = buttons[i].kind == toolKinds_[i];
    if (!sameShape) {
        showToolbar(buttons, visible);
        return;
    }
    applyToolButtons(buttons, visible);
}

void TForm1::applyToolButtons(const std::vector<ToolButtonModel>& buttons, bool visible) {
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QAction* a = toolActions_[i];
        if (!a) continue;
        const ToolButtonModel& b = buttons[i];
        a->setText(QString::fromStdString(b.tooltip));
        a->setToolTip(QString::fromStdString(b.tooltip));
        a->setIcon(toolbarIcon(b.imageIndex));
        a->setCheckable(b.toggle);
        a->setChecked(b.toggle && b.pressed);
        a->setEnabled(!b.disabled);
    }
    // Hiding keeps each row where the user docked it.
    for (QToolBar* t : toolbars_) t->setVisible(visible);
}

QIcon TForm1::treeIcon(std::int32_t index, bool error, bool warning) const {
    if (index < 0 || index >= static_cast<int>(treeImages_.size())) return {};
    const QIcon& base = treeImages_[static_cast<std::size_t>(index)];
    if (!error && !warning) return base;
    // Overlay marks: image 11 (error) or 10 (warning) drawn over the node's image.
    QPixmap pm = base.pixmap(16, 16);
    QPainter p(&pm);
    p.drawPixmap(0, 0, treeImages_[error ? 11 : 10].pixmap(16, 16));
    p.end();
    return QIcon(pm);
}

void TForm1::applyTreeNode(QTreeWidgetItem* item, const TreeNodeModel& node) {
    item->setText(0, QString::fromStdString(node.text));
    item->setIcon(0, treeIcon(node.imageIndex, node.error, node.warning));
}

QTreeWidgetItem* TForm1::addTreeNode(QTreeWidgetItem* parent, const TreeNodeModel& node) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    applyTreeNode(item, node);
    for (const TreeNodeModel& child : node.children) addTreeNode(item, child);
    item->setExpanded(node.expanded);
    return item;
}

void TForm1::showTree(const TreeNodeModel* root) {
    filling_ = true;
    tree_->setVisible(false);  // hidden while filled
    tree_->clear();
    if (root) addTreeNode(nullptr, *root);
    tree_->setVisible(true);
    filling_ = false;
}

void TForm1::setTreeLook(const cmcFont& font, std::uint32_t background) {
    tree_->setFont(ToQFont(font, QApplication::font()));
    QPalette pal = tree_->palette();
    pal.setColor(QPalette::Base, ToQColor(background));
    pal.setColor(QPalette::Text, ToQColor(font.colour));
    tree_->setPalette(pal);
}

QTreeWidgetItem* TForm1::itemAt(const ItemPath& path) const {
    if (path.empty() || path[0] >= tree_->topLevelItemCount()) return nullptr;
    QTreeWidgetItem* item = tree_->topLevelItem(path[0]);
    for (std::size_t i = 1; item && i < path.size(); ++i)
        item = path[i] < item->childCount() ? item->child(path[i]) : nullptr;
    return item;
}

ItemPath TForm1::pathOf(QTreeWidgetItem* item) const {
    ItemPath path;
    for (; item; item = item->parent())
        path.insert(path.begin(),
                    item->parent() ? item->parent()->indexOfChild(item) : tree_->indexOfTopLevelItem(item));
    return path;
}

void TForm1::updateTreeNode(const ItemPath& path, const TreeNodeModel& node) {
    if (QTreeWidgetItem* item = itemAt(path)) applyTreeNode(item, node);
}

void TForm1::selectTreeNode(const ItemPath& path) {
    if (QTreeWidgetItem* item = itemAt(path)) tree_->setCurrentItem(item);
}

void TForm1::showStatus(const StatusModel& status) { status_->setStatus(status); }

void TForm1::showSheet(const std::string& sheetKey, const std::string&) {
    if (sheetKey.empty()) {
        grid_->setSheet(nullptr);
        showSheetTitle();
    }
}

void TForm1::attachSheet(cuiSheetHost* host) {
    grid_->setSheet(host ? host->Grid() : nullptr, host);
    showSheetTitle();
}

const TextMetrics* TForm1::sheetMetrics() const { return &grid_->metrics(); }

void TForm1::showSheetTitle() { cuiGrid::showTitle(*sheetTitle_, grid_->sheet()); }

void TForm1::setTreePanelWidth(std::int32_t width) {
    QList<int> sizes = splitter_->sizes();
    const int total = sizes.size() == 2 ? sizes[0] + sizes[1] : this->width();
    splitter_->setSizes({width, std::max(1, total - width)});
    leftPanel_->resize(width, leftPanel_->height());
}

std::optional<WinRect> TForm1::restoredBounds() const {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    if (!r.isValid()) return std::nullopt;
    // The controller stores the outer frame's position, as window placement reports it.
    const QRect frame = frameGeometry();
    const int dx = geometry().x() - frame.x();
    const int dy = geometry().y() - frame.y();
    return WinRect{r.x() - dx, r.y() - dy, r.width(), r.height()};
}

std::int32_t TForm1::treePanelWidth() const { return leftPanel_->width(); }

void TForm1::closeEvent(QCloseEvent* e) {
    if (!events_.OnCloseQuery()) {
        e->ignore();
        return;
    }
    events_.OnClose();
    e->accept();
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    events_.OnShow();
}

void TForm1::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange) events_.OnActivate(isActiveWindow());
    QMainWindow::changeEvent(e);
}

CloneView* TForm1::cloneView() {
    if (!cloneWindows_) cloneWindows_ = std::make_unique<CloneWindows>(this, events_);
    return cloneWindows_.get();
}
