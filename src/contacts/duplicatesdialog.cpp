#include "contacts/duplicatesdialog.h"

#include "commands/commandset.h"
#include "contacts/foldedtext.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/columnroles.h"
#include "table/edithistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace corvanta {

namespace {

QString reasonText(const DuplicateReason& r)
{
    switch (r.kind) {
    case DuplicateReason::Mail:
        return QStringLiteral("same e-mail: %1").arg(r.value);
    case DuplicateReason::Phone:
        return QStringLiteral("same phone: %1").arg(r.value);
    case DuplicateReason::Name:
        break;
    }
    return QStringLiteral("same name: %1").arg(r.value);
}

QString rowList(const std::vector<int>& rows)
{
    QStringList numbers;
    for (int r : rows)
        numbers << QString::number(r);
    return numbers.join(QStringLiteral(", "));
}

// One line for a record in the list: its non-empty cells of the columns
// compared, so the user sees what differs.
QString recordLine(const Table& t, int row, const DuplicateColumns& cols)
{
    QStringList parts;
    for (int c : {cols.name, cols.phone, cols.mail})
        if (c >= 0 && !t.isEmpty(row, c))
            parts << t.text(row, c).simplified();
    return parts.join(QStringLiteral("  \u00b7  "));
}

// The merge as one undoable change: the kept record takes the merged
// values, new columns hold values the user chose to keep, and the other
// records go as whole rows, so undo puts them back exactly, formats and
// heights included.
struct MergeChange
{
    int keep;
    std::vector<int> removed; // ascending
    QStringList before, after;
    int firstNewCol;
    QStringList newTitles, newValues;
};

void mergeRows(EditHistory& history, const MergeChange& m)
{
    history.together(QStringLiteral("Merge"), [&] {
        if (!m.newTitles.isEmpty()) {
            history.insertColumns(m.firstNewCol, int(m.newTitles.size()), QStringLiteral("Merge"));
            for (int i = 0; i < m.newTitles.size(); ++i) {
                history.setText(0, m.firstNewCol + i, m.newTitles.at(i));
                history.setText(m.keep, m.firstNewCol + i, m.newValues.at(i));
            }
        }
        for (int c = 0; c < m.after.size(); ++c)
            if (m.after.at(c) != m.before.at(c))
                history.setText(m.keep, c, m.after.at(c));
        history.removeRows(m.removed, QStringLiteral("Merge"));
    });
}

} // namespace

DuplicateColumns duplicateColumns(const GridWidget& fa, const ColumnRoles& roles)
{
    DuplicateColumns cols{0, roles.phone, roles.mail};
    for (int c = 0; c < fa.ColCount(); ++c)
        if (foldedText(fa.CellText(0, c).trimmed()) == "name") {
            cols.name = c;
            break;
        }
    return cols;
}

DuplicatesDialog::DuplicatesDialog(GridWidget* fa, EditHistory& history, DuplicateColumns columns,
                                   QWidget* parent)
    : QDialog(parent), m_fa(fa), m_history(history), m_columns(columns)
{
    setObjectName(QStringLiteral("frmDuplicates"));
    setWindowTitle(QStringLiteral("Find Duplicates"));
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("lstGroups"));
    m_list->setHeaderLabels({QStringLiteral("Records"), QStringLiteral("Why")});
    m_list->setRootIsDecorated(true);
    m_merge = new QTableWidget(0, 3);
    m_merge->setObjectName(QStringLiteral("grdMerge"));
    m_merge->setHorizontalHeaderLabels(
        {QStringLiteral("Column"), QStringLiteral("Value kept"), QStringLiteral("The others")});
    m_merge->verticalHeader()->hide();
    m_merge->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_merge->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("lblMerge"));
    m_summary->setWordWrap(true);
    auto* buttons = new QDialogButtonBox;
    m_mergeButton = buttons->addButton(QStringLiteral("&Merge"), QDialogButtonBox::ActionRole);
    m_mergeButton->setObjectName(QStringLiteral("cmdMerge"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_mergeButton, &QPushButton::clicked, this, &DuplicatesDialog::mergeGroup);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &DuplicatesDialog::showGroup);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_summary);
    layout->addWidget(m_merge, 2);
    layout->addWidget(buttons);
    resize(640, 520);
}

void DuplicatesDialog::refind()
{
    const Table& t = m_fa->table();
    m_groups = findDuplicates(t, m_columns);
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const DuplicateGroup& g : m_groups) {
        QStringList why;
        for (const DuplicateReason& r : g.reasons)
            why << reasonText(r);
        auto* item = new QTreeWidgetItem(
            {QStringLiteral("Rows %1").arg(rowList(g.rows)), why.join(QStringLiteral("; "))});
        for (int r : g.rows)
            item->addChild(new QTreeWidgetItem(
                {QStringLiteral("Row %1").arg(r), recordLine(t, r, m_columns)}));
        m_list->addTopLevelItem(item);
    }
    m_list->expandAll();
    m_list->resizeColumnToContents(0);
    if (m_groups.empty())
        m_summary->setText(QStringLiteral("No duplicates found."));
    m_list->setCurrentItem(m_list->topLevelItem(0));
    showGroup();
}

void DuplicatesDialog::showGroup()
{
    m_merge->setRowCount(0);
    m_choices.clear();
    QTreeWidgetItem* item = m_list->currentItem();
    if (item && item->parent())
        item = item->parent();
    const int g = item ? m_list->indexOfTopLevelItem(item) : -1;
    m_mergeButton->setEnabled(g >= 0);
    if (g < 0)
        return;
    const DuplicateGroup& group = m_groups[size_t(g)];
    std::vector<int> others(group.rows.begin() + 1, group.rows.end());
    m_summary->setText(
        (others.size() == 1
             ? QStringLiteral("Row %1 stays and takes the values below; row %2 goes.")
             : QStringLiteral("Row %1 stays and takes the values below; rows %2 go."))
            .arg(group.rows.front())
            .arg(rowList(others)));
    m_choices = mergeChoices(m_fa->table(), group.rows);
    m_merge->setRowCount(int(m_choices.size()));
    for (int i = 0; i < int(m_choices.size()); ++i) {
        const MergeChoice& choice = m_choices[size_t(i)];
        m_merge->setItem(i, 0, new QTableWidgetItem(m_fa->CellText(0, choice.col)));
        auto* values = new QComboBox;
        values->setObjectName(QStringLiteral("cboMerge_%1").arg(choice.col));
        for (const QString& v : choice.values)
            values->addItem(QString(v).replace(QLatin1Char('\n'), QChar(0x21B5)), v);
        m_merge->setCellWidget(i, 1, values);
        auto* keep = new QCheckBox(QStringLiteral("Keep in a new column"));
        keep->setObjectName(QStringLiteral("chkKeep_%1").arg(choice.col));
        m_merge->setCellWidget(i, 2, keep);
    }
    m_merge->resizeColumnsToContents();
}

void DuplicatesDialog::mergeGroup()
{
    QTreeWidgetItem* item = m_list->currentItem();
    if (item && item->parent())
        item = item->parent();
    const int g = item ? m_list->indexOfTopLevelItem(item) : -1;
    if (g < 0)
        return;
    const DuplicateGroup& group = m_groups[size_t(g)];
    const Table& t = m_fa->table();
    auto change = std::make_shared<MergeChange>();
    change->keep = group.rows.front();
    change->removed.assign(group.rows.begin() + 1, group.rows.end());
    change->firstNewCol = t.colCount();
    std::vector<int> picked;
    for (int i = 0; i < int(m_choices.size()); ++i) {
        const MergeChoice& choice = m_choices[size_t(i)];
        const auto* values = static_cast<QComboBox*>(m_merge->cellWidget(i, 1));
        const auto* keep = static_cast<QCheckBox*>(m_merge->cellWidget(i, 2));
        picked.push_back(values->currentIndex());
        if (!keep->isChecked())
            continue;
        QStringList others = choice.values;
        others.removeAt(values->currentIndex());
        change->newTitles << m_fa->CellText(0, choice.col) + QStringLiteral(" (other)");
        change->newValues << others.join(QStringLiteral("; "));
    }
    for (int c = 0; c < t.colCount(); ++c)
        change->before << t.text(change->keep, c);
    change->after = mergedRecord(t, group.rows, m_choices, picked);
    mergeRows(m_history, *change);
    m_fa->SelectRange(change->keep, std::max(0, m_fa->CurCol()));
    emit merged();
    refind();
}

DuplicateCommands::DuplicateCommands(GridWidget* fa, EditHistory& history,
                                     std::function<DuplicateColumns()> columns, QWidget* parent)
    : QObject(parent), m_fa(fa), m_history(history), m_columns(std::move(columns)), m_parent(parent)
{
}

void DuplicateCommands::install(CommandSet& commands)
{
    commands.attach(QStringLiteral("mnuTools_FindDuplicates"), this, [this] {
        // Made afresh each time: the columns compared may have changed.
        delete m_dialog;
        m_dialog = new DuplicatesDialog(m_fa, m_history, m_columns(), m_parent);
        connect(m_dialog, &DuplicatesDialog::merged, this, &DuplicateCommands::merged);
        m_dialog->refind();
        m_dialog->open();
    });
}

} // namespace corvanta
