#pragma once

#include "printing/labeldialog.h"
#include "printing/pagerenderer.h"

#include <QObject>

class QWidget;

namespace corvanta {

class CommandSet;
class Document;
class GridWidget;

// File > Print Sheet... and File > Print Mailing Labels...: each opens its
// dialog modal over the records grid, made afresh each time.
class PrintCommands : public QObject
{
    Q_OBJECT
  public:
    PrintCommands(GridWidget* records, Document* doc, LabelOffsetStore offsets, QWidget* window);

    void install(CommandSet& commands);
    // How the pages reach the user; the print preview unless replaced.
    void setPreviewer(Previewer previewer) { m_previewer = std::move(previewer); }

    void mnuPrintSheet_Click();
    void mnuPrintLabels_Click();

  private:
    GridWidget* m_records;
    Document* m_doc;
    LabelOffsetStore m_offsets;
    QWidget* m_window;
    Previewer m_previewer;
};

} // namespace corvanta
