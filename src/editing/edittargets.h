#pragma once

namespace corvanta {

class CountControl;
class Document;
class EditHistory;
class FormPanel;
class GridWidget;
class Platform;
class SystemClipboard;
class TableCommands;

// What the editing commands work on: the main window's grids and the parts
// that show or keep the document's state. Every pointer is set.
struct EditTargets
{
    GridWidget* fa = nullptr;
    GridWidget* fb = nullptr;
    FormPanel* panel = nullptr;
    Document* doc = nullptr;
    EditHistory* history = nullptr; // every change of the table goes here
    TableCommands* table = nullptr;
    CountControl* counts = nullptr;
    Platform* platform = nullptr;
    SystemClipboard* clipboard = nullptr;
};

} // namespace corvanta
