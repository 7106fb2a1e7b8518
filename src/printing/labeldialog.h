#pragma once

#include "printing/labellayout.h"
#include "printing/pagerenderer.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace corvanta {

class GridWidget;

// Where the dialog keeps the print offset between runs (millimetres).
struct LabelOffsetStore
{
    std::function<QString(const QString& name)> read;
    std::function<void(const QString& name, const QString& value)> write;
};

// "Address Labels Printing": the line pattern, the label sheet, the records
// and the options, then the labels in a print preview. The dialog stays
// open after printing.
class LabelDialog : public QDialog
{
    Q_OBJECT
  public:
    static constexpr const char* kOffsetRightKey = "LabelOffsetRight";
    static constexpr const char* kOffsetDownKey = "LabelOffsetDown";

    // `streetColumn` and `cityColumn` decide which records are incomplete.
    // `templates` are the label sheets offered below the built-in formats.
    LabelDialog(GridWidget& records, int streetColumn, Previewer previewer,
                LabelOffsetStore offsets, const LabelTemplates& templates,
                QWidget* parent = nullptr);

    GridWidget* patternGrid() const { return m_fd; }
    LabelPattern pattern() const;
    LabelOptions options() const;

    void cmdReset_Click();
    void cmdSample_Click();
    void cmdPrint_Click();

  protected:
    bool event(QEvent* event) override;

  private:
    void buildPattern();
    QWidget* buildSheetBox();
    void setDropListFor(int col);
    void showFormat(const QString& name);
    void filterSheets();
    void pickSheet(const QString& name);
    void showSample();

    GridWidget& m_records;
    int m_streetColumn;
    Previewer m_previewer;
    LabelOffsetStore m_offsets;
    GridWidget* m_fd = nullptr;
    const LabelTemplates& m_templates;
    QComboBox* m_format = nullptr;
    std::array<QLabel*, 3> m_images{};
    QLabel* m_sheetImage = nullptr;  // a template's sheet
    QLabel* m_sampleImage = nullptr; // the first label as it prints
    QLabel* m_sheetInfo = nullptr;
    QComboBox* m_maker = nullptr;
    QLineEdit* m_search = nullptr;
    QListWidget* m_sheets = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_selected = nullptr;
    std::array<QLabel*, LabelPattern::kLines> m_sample{};
    QCheckBox* m_skip = nullptr;
    QCheckBox* m_country = nullptr;
    QLineEdit* m_countryText = nullptr;
    QComboBox* m_fontSize = nullptr;
    QDoubleSpinBox* m_offsetRight = nullptr;
    QDoubleSpinBox* m_offsetDown = nullptr;
};

} // namespace corvanta
