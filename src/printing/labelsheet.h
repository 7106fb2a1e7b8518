#pragma once

#include "printing/pagemodel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace corvanta {

// A rectangle on the paper, in twips.
struct LabelRect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const LabelRect&) const = default;
};

// A sheet of labels as its maker describes it: the paper, the size of a
// label, the margin its text keeps from the label's edge, and where the
// labels sit, in the order they are filled (row by row, top to bottom).
struct LabelSheet
{
    QString name;        // maker and product: "Avery 5160"
    QString maker;       // "Avery"
    QString product;     // "5160"
    QString description; // "Address Labels"
    PaperSize paper;
    int labelWidth = 0;
    int labelHeight = 0;
    int textMargin = 0;
    std::vector<LabelRect> labels;

    int perSheet() const { return int(labels.size()); }
    // The labels across the first row.
    int across() const;
};

// The label sheets of the system's template library: the XML files
// "*-templates.xml" that the glabels-data package installs, read when
// first asked for. The files are read, never copied: without the package
// the library is empty and only the built-in formats remain.
class LabelTemplates
{
  public:
    static QString defaultFolder();
    // The library of the default folder, read once.
    static const LabelTemplates& system();
    // Reads every "*-templates.xml" of a folder (and "paper-sizes.xml" for
    // the paper names). A file that cannot be read is skipped; a template
    // that is not a rectangular label on known paper is left out.
    static LabelTemplates load(const QString& folder);

    bool isEmpty() const { return m_sheets.empty(); }
    // Sorted by maker, then product.
    const std::vector<LabelSheet>& sheets() const { return m_sheets; }
    QStringList makers() const;
    // "Avery L7160", in any case; null when there is none.
    const LabelSheet* named(const QString& name) const;

  private:
    std::vector<LabelSheet> m_sheets;
};

// Twips of a length as the template files write it: a number with "pt"
// (the default), "in", "mm", "cm" or "pc". -1 when it is not one.
int twipsOfLength(QStringView text);

} // namespace corvanta
