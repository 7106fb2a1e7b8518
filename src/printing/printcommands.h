#pragma once

#include "printing/labeldialog.h"
#include "printing/pagerenderer.h"

#include <QObject>

class QWidget;

namespace corvanta {

class CommandSet;
class Document;
class GridWidget;
class LabelTemplates;
class Platform;

// File > Print Sheet... and File > Print Mailing Labels...: each opens its
// dialog modal over the records grid, made afresh each time.
class PrintCommands : public QObject
{
    Q_OBJECT
  public:
    // `platform` tells the user when printing to a PDF file failed.
    PrintCommands(GridWidget* records, Document* doc, LabelOffsetStore offsets, Platform* platform,
                  QWidget* window);

    void install(CommandSet& commands);
    // How the pages reach the user; the print preview unless replaced.
    void setPreviewer(Previewer previewer) { m_previewer = std::move(previewer); }
    const Previewer& previewer() const { return m_previewer; }
    // The label sheets offered beside the built-in formats; the system's
    // template library unless replaced.
    void setLabelTemplates(const LabelTemplates* templates) { m_templates = templates; }

    void mnuPrintSheet_Click();
    void mnuPrintLabels_Click();

  private:
    GridWidget* m_records;
    Document* m_doc;
    LabelOffsetStore m_offsets;
    Platform* m_platform;
    QWidget* m_window;
    Previewer m_previewer;
    const LabelTemplates* m_templates = nullptr;
};

} // namespace corvanta
