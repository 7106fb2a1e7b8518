#pragma once

#include "platform/platform.h"

#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QSplitter;

namespace corvanta {

class CommandSet;
class CountControl;
class Document;
class EditInstaller;
class FileCommands;
class FormPanel;
class GridWidget;
class HelpCommands;
class QuickFilterBar;
class RecentFiles;
class RecoveryCopy;
class SettingsStore;
class TableCommands;
class EditHistory;

// What the start routine hands the main window: the services it uses, so
// tests can bring their own.
struct ShellContext
{
    Platform* platform = nullptr;
    SettingsStore* settings = nullptr;
    QString programFolder; // folder of the executable, no trailing separator
    QString fileToOpen;    // named on the command line: opened instead of the last file
    // Where copies of unsaved changes go; "" is the user's state folder.
    QString recoveryFolder = QString();
    int recoveryIntervalMs = 2 * 60 * 1000;
};

// The main window: starts the address book, lays out the grids, the form
// panel and the toolbars, wires the subsystems' commands and signals
// together, and asks the questions before the window closes.
class MainWindow : public QMainWindow
{
    Q_OBJECT
  public:
    explicit MainWindow(const ShellContext& ctx, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- refresh steps the subsystems' signals lead to ---
    void setCaption(const QString& caption);
    void setStatusPanel(int panel, const QString& text); // panels 1..6
    QString statusPanel(int panel) const;
    void updateCountBoxes();

    void SaveSettingsAndExit();
    void mnuExit_Click();

    Platform& platform() const { return *m_ctx.platform; }
    SettingsStore& settings() const { return *m_ctx.settings; }
    Document& document() const { return *m_doc; }
    CommandSet& commands() const { return *m_commands; }
    FileCommands& files() const { return *m_files; }
    FormPanel& formPanel() const { return *m_formPanel; }
    TableCommands& tableCommands() const { return *m_table; }
    EditHistory& editHistory() const { return *m_history; }
    EditInstaller& editing() const { return *m_editing; }
    HelpCommands& help() const { return *m_help; }

    GridWidget* fa() const { return m_fa; }
    GridWidget* fb() const { return m_fb; }
    GridWidget* fc() const { return m_fc; }
    bool isEnded() const { return m_ended; }
    bool alternateRowsOn() const { return m_alternateRowsOn; }
    int dropBoxOn() const { return m_dropBoxOn; }
    // Splitter left edge, in twips.
    int vbarLeft() const;
    void setVbarLeft(int twips);

    static QString appTitle() { return Platform::applicationTitle(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildWidgets();
    void buildStatusBar();
    void wireCommands();
    void installFormatting();
    void applyWindowGeometry(int top, int left, int width, int height);
    void fitToScreen();
    void applyAlternateRows();
    void showModified(bool modified);
    // Takes a cell edit still open in the table or the form panel.
    void commitEdits();
    // At start: offers the copy of changes a crash left behind.
    void offerRecovery();
    void showRecentFiles();
    void openRecent(int index);

    ShellContext m_ctx;
    Document* m_doc = nullptr;
    CommonDialog m_commonDialog;
    CommandSet* m_commands = nullptr;
    FileCommands* m_files = nullptr;
    FormPanel* m_formPanel = nullptr;
    TableCommands* m_table = nullptr;
    EditHistory* m_history = nullptr;
    EditInstaller* m_editing = nullptr;
    HelpCommands* m_help = nullptr;
    RecoveryCopy* m_recovery = nullptr;
    RecentFiles* m_recent = nullptr;

    GridWidget* m_fa = nullptr;
    GridWidget* m_fb = nullptr;
    GridWidget* m_fc = nullptr;
    QSplitter* m_splitter = nullptr;
    QuickFilterBar* m_filterBar = nullptr;
    QString m_positionText;
    CountControl* m_countControl = nullptr;
    QAction* m_countControlAction = nullptr;
    std::array<QLabel*, 6> m_panels{};
    int m_vbarLeftTwips = 3570;
    bool m_alternateRowsOn = true;
    int m_dropBoxOn = 1;
    bool m_shownOnce = false;
    bool m_ended = false;
    bool m_loaded = false;
};

} // namespace corvanta
