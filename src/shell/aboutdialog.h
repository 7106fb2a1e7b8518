#pragma once

#include <QDialog>

namespace corvanta {

// Help > About: what this program is, its version, the Qt it runs on and
// the licences of what it is built with.
class AboutDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace corvanta
