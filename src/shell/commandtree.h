#pragma once

class QMainWindow;

namespace corvanta {

class CommandSet;

// The main window's menu bar, its toolbar `Toolbar` with 31 positions and the
// small move toolbar `Toolbar2`: which entries exist, with their captions,
// shortcuts, check marks, positions and icons. Each control carries its name
// as objectName and is registered in the CommandSet under it; the commands
// themselves are installed by the subsystems that own them.
namespace CommandTree {

constexpr int ToolbarPositions = 31;

// Creates the menus in window->menuBar(), the toolbar (objectName "Toolbar",
// added to the window) and Toolbar2 (added, hidden), all disabled.
void build(QMainWindow* window, CommandSet& commands);

} // namespace CommandTree
} // namespace corvanta
