#pragma once

#include "engine/model_terms.h"

#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tolvane {

struct ConfigInfo;
struct ModelInfo;

/// One page of a term sheet: the pairs of one error term of the model as a sorted list of lines,
/// with "Add", "Delete", the interpolation type and "Copy values from current configuration".
/// The list is the only copy of the edits until writeBack(); each line keeps the exact pair it
/// stands for, so a table written back unedited keeps every digit it had.
class ValueTablePage : public QWidget {
    Q_OBJECT
public:
    /// Reads the term from `model` at once. `config` is the configuration "Copy" takes its
    /// components from; it may be null.
    ValueTablePage(int term, ModelInfo* model, const ConfigInfo* config, QWidget* parent = nullptr);

    [[nodiscard]] int term() const { return term_; }
    [[nodiscard]] const ModelTermInfo& description() const { return DescribeModelTerm(term_); }

    /// Refills the list and the interpolation buttons from the model's table; a failed read ends
    /// the list where it failed.
    void fill();
    /// Writes the list into the model's table: the number of pairs, the interpolation type (1
    /// when no button is checked), then each pair's abscissa and value in list order. Stops at
    /// the first value a setter refuses (the setter has reported it) and returns false.
    bool writeBack();

    /// The interpolation type the buttons show: 1 linear, 2 step, 3 smooth fit, 0 none checked.
    [[nodiscard]] int checkedInterpolation() const;
    [[nodiscard]] QStringList lines() const;

    [[nodiscard]] QListWidget* list() const { return list_; }
    [[nodiscard]] QLineEdit* abscissaEdit() const { return abscissaEdit_; }
    [[nodiscard]] QLineEdit* valueEdit() const { return valueEdit_; }
    [[nodiscard]] QLabel* valueLabel() const { return valueLabel_; }
    [[nodiscard]] QPushButton* addButton() const { return addButton_; }
    [[nodiscard]] QPushButton* deleteButton() const { return deleteButton_; }
    [[nodiscard]] QPushButton* copyButton() const { return copyButton_; }
    /// Buttons for types 1, 2 and 3; the smooth-fit button exists on the power page only.
    [[nodiscard]] QRadioButton* interpolationButton(int type) const;
    /// The note a frequency page shows when its table was set to smooth fit.
    [[nodiscard]] QLabel* smoothFitNote() const { return smoothFitNote_; }

public Q_SLOTS:
    /// Adds the pair typed in the two edits (both made positive; a frequency page's power keeps
    /// its sign), or says "Invalid frequency.", "Invalid power." or "Invalid value.".
    void addLine();
    void deleteSelectedLine();
    /// Copies the whole component record that holds this term from the configuration's
    /// components into the model, then refills the page.
    void copyFromConfiguration();

Q_SIGNALS:
    /// The list or the interpolation type was edited.
    void changed();
    /// "Copy" replaced the model's component record `component`: pages of other terms in it
    /// now show stale lists.
    void componentCopied(int component);

private:
    void appendLine(double abscissa, float value);
    void sortLines();
    void showInterpolation(int type);

    int term_;
    ModelInfo* model_;
    const ConfigInfo* config_;
    QListWidget* list_;
    QLineEdit* abscissaEdit_;
    QLineEdit* valueEdit_;
    QLabel* valueLabel_;
    QPushButton* addButton_;
    QPushButton* deleteButton_;
    QPushButton* copyButton_;
    QButtonGroup* interpolation_;
    QLabel* smoothFitNote_;
};

} // namespace tolvane
