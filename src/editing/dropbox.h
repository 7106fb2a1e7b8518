#pragma once

#include <QWidget>

namespace corvanta {

// The drop box under the form panel: a line that takes dropped or pasted
// form-post text, with its two buttons, which stay disabled until there is
// text to take apart.
class DropBox : public QWidget
{
    Q_OBJECT
  public:
    explicit DropBox(QWidget* parent = nullptr);
};

} // namespace corvanta
