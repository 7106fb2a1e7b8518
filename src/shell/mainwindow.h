#pragma once

#include "platform/platform.h"

#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QToolButton;
class QWidget;

namespace corvanta {

class CommandSet;
class FileCommands;
class FormPanel;
class GridWidget;
class SettingsStore;

// What the start routine hands the main window: the services it uses, so
// tests can bring their own.
struct ShellContext
{
    Platform* platform = nullptr;
    SettingsStore* settings = nullptr;
    QString programFolder; // folder of the executable, no trailing separator
};

// The main window: owns the records grid, the form panel, the toolbars and
// the document state, and wires the commands of the subsystems together.
class MainWindow : public QMainWindow
{
    Q_OBJECT
  public:
    // File kinds that Save writes.
    enum Kind { KindNative = 2, KindComma = 3, KindTab = 4 };

    explicit MainWindow(const ShellContext& ctx, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- document state (public by design: the commands read and set it) ---
    bool IsModified = false;
    int col_mail = 6;
    int col_phone = 5;
    int col_website = 7;
    int col_map = 1;
    bool IsFbCol0Populated = false;
    bool ShowTips = true;

    QString CurrentFile;
    int FileKind = KindNative;
    QString OpenFolder;
    QString StartupFile;
    bool AlternateRowsOn = true;
    int DropBoxOn = 1;
    QString MapCountry = QStringLiteral("us");
    CommonDialog CommonDialog1;

    // --- routines other subsystems call ---
    void MakeModified(bool bWhat);
    void SetDefaults();
    void fa_Click();
    void mnuMouseMode_Click(int index);
    // Asks to save when modified. Returns false when the user cancelled;
    // Yes runs Save first. `title` is the command's name.
    bool askSaveChanges(const QString& title,
                        const QString& message = QStringLiteral(
                            "Changes have been made. Do you want to save the changes?"));
    void SaveSettingsAndExit();
    void mnuExit_Click();

    void setCaption(const QString& caption);
    void setStatusPanel(int panel, const QString& text); // panels 1..6
    QString statusPanel(int panel) const;
    void updateCountBoxes();

    QString programFolder() const { return m_ctx.programFolder; }
    QString untitledPath() const;
    Platform& platform() const { return *m_ctx.platform; }
    SettingsStore& settings() const { return *m_ctx.settings; }
    CommandSet& commands() const { return *m_commands; }
    FileCommands& files() const { return *m_files; }
    FormPanel& formPanel() const { return *m_formPanel; }

    GridWidget* fa() const { return m_fa; }
    GridWidget* fb() const { return m_fb; }
    GridWidget* fc() const { return m_fc; }
    bool isEnded() const { return m_ended; }
    // Splitter left edge, in twips.
    int vbarLeft() const;
    void setVbarLeft(int twips);

    // "/data/a.cvt" -> "/data/"; "" when there is no separator.
    static QString FolderOfPath(const QString& path);
    static QString appTitle() { return Platform::applicationTitle(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildWidgets();
    void buildStatusBar();
    void wireCommands();
    void loadWindowSettings();
    void applyAlternateRows();
    void onToolbarClicked(const QString& key);
    int readInt(const QString& key, int fallback) const;

    ShellContext m_ctx;
    CommandSet* m_commands = nullptr;
    FileCommands* m_files = nullptr;
    FormPanel* m_formPanel = nullptr;

    GridWidget* m_fa = nullptr;
    GridWidget* m_fb = nullptr;
    GridWidget* m_fc = nullptr;
    QSplitter* m_splitter = nullptr;
    QTabWidget* m_tabStrip = nullptr;
    QWidget* m_panelSide = nullptr;
    QLineEdit* m_txtRow = nullptr;
    QLineEdit* m_txtCol = nullptr;
    QWidget* m_countControl = nullptr;
    QAction* m_countControlAction = nullptr;
    QWidget* m_dropBox = nullptr;
    std::array<QLabel*, 6> m_panels{};
    int m_vbarLeftTwips = 3570;
    bool m_shownOnce = false;
    bool m_ended = false;
    bool m_loaded = false;
};

} // namespace corvanta
