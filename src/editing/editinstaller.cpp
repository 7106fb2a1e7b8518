#include "editing/editinstaller.h"

#include "editing/clipboardcommands.h"
#include "editing/countcommands.h"
#include "editing/navigationbar.h"
#include "editing/rowcolcommands.h"
#include "editing/sortcommands.h"
#include "editing/systemclipboard.h"
#include "grid/gridwidget.h"

#include <QItemSelectionModel>

namespace corvanta {

namespace {

EditTargets withClipboard(EditTargets t, std::unique_ptr<SystemClipboard>& own)
{
    if (!t.clipboard) {
        own = std::make_unique<SystemClipboard>();
        t.clipboard = own.get();
    }
    return t;
}

} // namespace

EditInstaller::EditInstaller(const EditTargets& targets, QObject* parent) : QObject(parent)
{
    const EditTargets t = withClipboard(targets, m_systemClipboard);
    m_rowCol = new RowColCommands(t, this);
    m_clipboard = new ClipboardCommands(t, this);
    m_counts = new CountCommands(t, this);
    m_sort = new SortCommands(t, this);
    m_nav = new NavigationBar(t, m_rowCol, m_counts, this);
    GridWidget* fa = t.fa;
    connect(fa->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, fa] {
        emit selectionTextChanged(QString::number(fa->PickedRowCount()) + QStringLiteral(" Sel"));
    });
}

EditInstaller::~EditInstaller() = default;

void EditInstaller::install(CommandSet& commands)
{
    m_rowCol->install(commands);
    m_clipboard->install(commands);
    m_counts->install(commands);
}

void EditInstaller::setClipboard(SystemClipboard* clipboard)
{
    m_rowCol->setClipboard(clipboard);
    m_clipboard->setClipboard(clipboard);
}

void EditInstaller::placeAtPanelEdge(int splitterLeft)
{
    m_nav->placeAtPanelEdge(splitterLeft);
}

} // namespace corvanta
