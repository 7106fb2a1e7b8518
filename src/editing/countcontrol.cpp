#include "editing/countcontrol.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

namespace corvanta {

CountControl::CountControl(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("countControl"));
    auto* cc = new QHBoxLayout(this);
    cc->setContentsMargins(8, 0, 4, 0);
    auto* lbRows = new QLabel(QStringLiteral("Rows"));
    lbRows->setObjectName(QStringLiteral("SSPanel1_0"));
    m_txtRow = new QLineEdit;
    m_txtRow->setObjectName(QStringLiteral("txtRow"));
    m_txtRow->setValidator(new QIntValidator(0, 200001, m_txtRow));
    m_txtRow->setMaximumWidth(70);
    m_txtRow->setReadOnly(true);
    auto* lbCols = new QLabel(QStringLiteral("Columns"));
    lbCols->setObjectName(QStringLiteral("SSPanel1_1"));
    m_txtCol = new QLineEdit;
    m_txtCol->setObjectName(QStringLiteral("txtCol"));
    m_txtCol->setValidator(new QIntValidator(1, 201, m_txtCol));
    m_txtCol->setMaximumWidth(50);
    m_txtCol->setReadOnly(true);
    cc->addWidget(lbRows);
    cc->addWidget(m_txtRow);
    cc->addWidget(lbCols);
    cc->addWidget(m_txtCol);
}

void CountControl::showCounts(int records, int columns)
{
    m_txtRow->setText(QString::number(records));
    m_txtCol->setText(QString::number(columns));
}

} // namespace corvanta
