#pragma once

#include "table/columnroles.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace corvanta {

class GridWidget;
class Platform;

// "Column Define": one definition row per column of the table in its own
// grid `fd` (title, type, format, alignment, hidden, and the four roles),
// with add, insert, delete and the column count. In one-column mode it
// shows the table's current column only, until "&All Cols" is pressed.
// The dialog changes nothing itself; on "&OK" the caller reads result().
class ColDefDialog : public QDialog
{
    Q_OBJECT
  public:
    struct Definition
    {
        QString title;
        int type = 8;
        QString format;
        int align = 1;
        bool hidden = false;
        bool operator==(const Definition&) const = default;
    };
    struct Result
    {
        bool oneCol = false;
        std::vector<Definition> definitions;
        ColumnRoles roles;
    };

    // `showColCount` gets the count box's text as the up-down changes it:
    // the main window's count box follows while the dialog is open.
    ColDefDialog(const GridWidget& fa, const ColumnRoles& roles, bool bOneCol, Platform& platform,
                 std::function<void(int)> showColCount, QWidget* parent = nullptr);

    bool bOneCol() const { return m_oneCol; }
    GridWidget* fd() const { return m_fd; }
    // What "&OK" writes back: the definitions, and the roles the ticks give.
    Result result() const;

    static QString typeName(int code);
    static int typeCode(const QString& name);
    static QString alignName(int code);
    static int alignCode(const QString& name);
    // The formats offered for a type, "|"-joined; empty for free typing.
    static QString formatList(const QString& typeName);

    static const QString kHelpText;

  private:
    void buildWidgets();
    void placeWidgets();
    void fillAll();
    void fillOne();
    void setDefinition(int row, const Definition& d);
    void newDefinition(int row);
    void renumber();
    void setDropListFor(int row, int col);
    void onEdited(int row, int col);
    void addDefinition();
    void insertDefinition();
    void deleteDefinition();
    void countUp();
    void countDown();
    void allCols();
    void showHelp();
    void enableOk();

    const GridWidget& m_fa;
    ColumnRoles m_roles;
    bool m_oneCol;
    Platform& m_platform;
    std::function<void(int)> m_showColCount;
    GridWidget* m_fd = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_allCols = nullptr;
    QToolButton* m_add = nullptr;
    QToolButton* m_insert = nullptr;
    QToolButton* m_delete = nullptr;
    QToolButton* m_help = nullptr;
    QLabel* m_countLabel = nullptr;
    QLineEdit* m_txtCol = nullptr;
    QWidget* m_upDown = nullptr;
    QLabel* m_warning = nullptr;
    bool m_filling = false;
};

} // namespace corvanta
