#pragma once

#include "table/columnroles.h"

#include <QObject>

#include <functional>

namespace corvanta {

class CommandSet;
class EditHistory;
class GridWidget;
class Platform;

// "Column A&ttributes..." and "&Column Define...": open the Column Define
// dialog on the table's current column or on all of them, and write its
// definitions back as one undoable change.
class ColumnDefineCommands : public QObject
{
    Q_OBJECT
  public:
    struct Hooks
    {
        std::function<ColumnRoles()> roles;
        std::function<void(const ColumnRoles&)> setRoles;
        // The main window's column count box, while the dialog is open.
        std::function<void(int)> showColCount;
    };

    ColumnDefineCommands(GridWidget* fa, Platform& platform, EditHistory& history, Hooks hooks,
                         QObject* parent = nullptr);

    void install(CommandSet& commands);
    // Shows the dialog modally; `bOneCol` picks the current-column mode.
    void showColDef(bool bOneCol);

  signals:
    // The columns changed (accepted, undone or redone): the form panel,
    // the counts and the refresh follow.
    void columnsDefined();

  private:
    GridWidget* m_fa;
    Platform& m_platform;
    EditHistory& m_history;
    Hooks m_hooks;
};

} // namespace corvanta
