#include "editing/dropbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace corvanta {

DropBox::DropBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dropBox"));
    auto* drop = new QHBoxLayout(this);
    drop->setContentsMargins(4, 0, 4, 4);
    auto* lbDropBox = new QLabel(QStringLiteral("Drop Box:"));
    lbDropBox->setObjectName(QStringLiteral("lbDropBox"));
    auto* txtDrop = new QLineEdit;
    txtDrop->setObjectName(QStringLiteral("txtDrop"));
    txtDrop->setText(QStringLiteral("Drag or copy valid Form Post text to here"));
    // A narrow box shows the text from its start, not its tail.
    txtDrop->setCursorPosition(0);
    auto* cmdDownArrow = new QToolButton;
    cmdDownArrow->setObjectName(QStringLiteral("cmdDownArrow"));
    cmdDownArrow->setArrowType(Qt::DownArrow);
    cmdDownArrow->setEnabled(false);
    auto* cmdEraser = new QToolButton;
    cmdEraser->setObjectName(QStringLiteral("cmdEraser"));
    cmdEraser->setText(QStringLiteral("\u232B"));
    cmdEraser->setEnabled(false);
    drop->addWidget(lbDropBox);
    drop->addWidget(txtDrop, 1);
    drop->addWidget(cmdDownArrow);
    drop->addWidget(cmdEraser);
}

} // namespace corvanta
