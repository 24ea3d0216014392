#pragma once
// The main window: a skin over the controller's view models. It builds menus, toolbar,
// tree and status bar from what the controller gives it and reports what the user does;
// it decides nothing itself.

#include "app/MainView.h"

#include <QIcon>
#include <QMainWindow>

#include <memory>

#include <vector>

class QFrame;
class QLabel;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QMenu;
class StatusPanel;
class cuiGrid;
class CloneWindows;

class TForm1 : public QMainWindow, public MainView {
    Q_OBJECT

public:
    explicit TForm1(MainEvents& events, QWidget* parent = nullptr);
    ~TForm1() override;

    // The two image lists, in the index order the overlay refers to.
    static std::vector<QIcon> TreeImages();
    static std::vector<QIcon> ToolbarImages();

    // MainView
    void setTitle(const std::string& title) override;
    void showMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) override;
    void updateMenu(const ItemPath& path, const std::vector<MenuItemModel>& items) override;
    void showToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) override;
    void updateToolbar(const std::vector<ToolButtonModel>& buttons, bool visible) override;
    void showTree(const TreeNodeModel* root) override;
    void updateTreeNode(const ItemPath& path, const TreeNodeModel& node) override;
    void setTreeLook(const cmcFont& font, std::uint32_t background) override;
    void selectTreeNode(const ItemPath& path) override;
    void showStatus(const StatusModel& status) override;
    void showSheet(const std::string& sheetKey, const std::string& caption) override;
    void attachSheet(cuiSheetHost* host) override;
    const TextMetrics* sheetMetrics() const override;
    void setTreePanelWidth(std::int32_t width) override;
    bool isVisible() const override { return QMainWindow::isVisible(); }
    bool isEnabled() const override { return QMainWindow::isEnabled(); }
    void setEnabled(bool enabled) override { QMainWindow::setEnabled(enabled); }
    std::optional<WinRect> restoredBounds() const override;
    std::int32_t treePanelWidth() const override;
    void requestClose() override { close(); }
    CloneView* cloneView() override;
    CloneWindows* cloneWindows() const { return cloneWindows_.get(); }

    QTreeWidget* tree() const { return tree_; }
    cuiGrid* grid() const { return grid_; }
    QLabel* sheetTitle() const { return sheetTitle_; }
    // The toolbar's rows, a new row after each wrap separator.
    const std::vector<QToolBar*>& toolbars() const { return toolbars_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    // No context menu that hides toolbars: the View menu does that, so its check mark and
    // the stored setting always match what is shown.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    // What was built for a menu item: its action (a submenu's menu action) and submenu.
    struct MenuEntry {
        QAction* action = nullptr;
        QMenu* menu = nullptr;  // null for commands and separators
        std::vector<MenuEntry> children;
    };

    std::vector<MenuEntry> buildMenuItems(QWidget* container, const std::vector<MenuItemModel>& items,
                                          const ItemPath& path);
    void applyMenuItem(const MenuEntry& entry, const MenuItemModel& m, bool topLevel);
    bool applyMenuItems(const std::vector<MenuEntry>& entries, const std::vector<MenuItemModel>& items,
                        bool topLevel);
    void applyToolButtons(const std::vector<ToolButtonModel>& buttons, bool visible);
    QIcon toolbarIcon(std::int32_t index) const;
    QTreeWidgetItem* addTreeNode(QTreeWidgetItem* parent, const TreeNodeModel& node);
    QTreeWidgetItem* itemAt(const ItemPath& path) const;
    ItemPath pathOf(QTreeWidgetItem* item) const;
    void applyTreeNode(QTreeWidgetItem* item, const TreeNodeModel& node);
    QIcon treeIcon(std::int32_t index, bool error, bool warning) const;
    void showSheetTitle();

    MainEvents& events_;
    std::vector<QIcon> treeImages_;
    std::vector<QIcon> toolbarImages_;
    std::vector<MenuEntry> menu_;
    std::vector<QToolBar*> toolbars_;
    std::vector<QAction*> toolActions_;  // per button of the model; null for separators
    std::vector<ToolButtonModel::Kind> toolKinds_;
    QSplitter* splitter_ = nullptr;
    QFrame* leftPanel_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QFrame* rightPanel_ = nullptr;
    QLabel* sheetTitle_ = nullptr;
    cuiGrid* grid_ = nullptr;
    StatusPanel* status_ = nullptr;
    bool filling_ = false;
    std::unique_ptr<CloneWindows> cloneWindows_;
};
