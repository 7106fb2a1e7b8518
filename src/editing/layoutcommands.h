#pragma once

#include <QObject>

class QAction;

namespace corvanta {

class CommandSet;

// View > Row Col Control and View > Move Control: each shows or hides its
// control as the entry's check mark says. Neither is remembered between
// runs.
class LayoutCommands : public QObject
{
    Q_OBJECT
  public:
    // `countControl` is the toolbar's action that holds the count control.
    explicit LayoutCommands(QAction* countControl, QObject* parent = nullptr);

    void install(CommandSet& commands);

  private:
    QAction* m_countControl;
};

} // namespace corvanta
