#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace corvanta {

class CommandSet;
class DialDialog;
class Document;
class FindDialog;
class GridWidget;
class Platform;
class ValueStore;

// The contact tools of the main window: Find, the internet map with its
// country, Send Email, Web Link and Dial Phone. They read the current
// record, the selection and the column roles and never change a cell.
class ContactTools : public QObject
{
    Q_OBJECT
  public:
    ContactTools(GridWidget* fa, Document& doc, Platform& platform, ValueStore& settings,
                 QObject* parent = nullptr);
    ~ContactTools() override;

    void install(CommandSet& commands);

    void mnuEditFind_Click();
    void mnuTools_InternetMap_Click();
    // 0: USA, 1: Canada; the clicked entry has already flipped its mark.
    void mnuToolsCountry_Click(int clicked);
    void mnuTools_SendMail_Click();
    void mnuTools_WebLink_Click();
    void mnuTools_DialPhone_Click();

    QString MapCountry() const { return m_mapCountry; }
    // The open Find or Dial Phone dialog, or nullptr.
    FindDialog* findDialog() const;
    DialDialog* dialDialog() const;

  signals:
    // "US" or "CA" for the status bar.
    void countryChanged(const QString& panelText);
    // Find selected the cell it found: the current cell moved.
    void cellFound();

  private:
    QString cell(int row, int col) const;
    QString title(int col) const { return cell(0, col); }
    void warn(const QString& text);

    GridWidget* m_fa;
    Document& m_doc;
    Platform& m_platform;
    ValueStore& m_settings;
    CommandSet* m_commands = nullptr;
    QString m_mapCountry = QStringLiteral("us");
    QPointer<FindDialog> m_find;
    QPointer<DialDialog> m_dial;
};

} // namespace corvanta
