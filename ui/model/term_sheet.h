#pragma once

#include <QDialog>

#include <memory>
#include <span>
#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace tolvane {

struct ConfigInfo;
struct ModelInfo;
class ModelComponentBackup;
class ValueTablePage;

/// One term sheet: its caption, its pages' terms in tab order and the help on them.
struct TermSheetDescription {
    const char* caption;
    std::span<const int> terms;
    int helpContext;
};

/// The sheet that holds `term` (see ModelTerm).
[[nodiscard]] const TermSheetDescription& SheetOfTerm(int term);

/// One line on `term` as `model` holds it, for a tool tip: "Cable 1 Drift, Magnitude Drift: 3
/// values from 0.01 to 26.5 GHz". Reads the table without reporting anything.
[[nodiscard]] QString SummarizeTerm(const ModelInfo* model, int term);

/// A modal editor of the error terms of one part of the model (one component record: the
/// calibration kit, a cable, a connector or the VNA): a tab per term, each a ValueTablePage, with
/// "OK", "Cancel", "Apply" and "Help". A page is made when its tab is first shown; "OK" and
/// "Apply" write back every page made so far, in tab order. A value a setter refuses (the setter
/// has said so) stops the write and puts the record back as it was before it, and the sheet stays
/// open. "Cancel" puts the record back as it was when the sheet opened or was last applied,
/// undoing a "Copy" too.
class TermSheet : public QDialog {
    Q_OBJECT
public:
    /// The sheet of `startTerm`, opened at that term's page. Pages read `model` and "Copy" takes
    /// from `config` (which may be null).
    TermSheet(int startTerm, ModelInfo* model, const ConfigInfo* config, QWidget* parent = nullptr);
    ~TermSheet() override;

    [[nodiscard]] QTabWidget* tabs() const { return tabs_; }
    /// The page of tab `index`, or null while that tab has not been shown.
    [[nodiscard]] ValueTablePage* page(int index) const;
    [[nodiscard]] ValueTablePage* currentPage() const { return page(currentIndex()); }
    [[nodiscard]] int currentIndex() const;
    /// The help context of the page shown.
    [[nodiscard]] int helpContext() const;
    [[nodiscard]] QPushButton* applyButton() const;

public Q_SLOTS:
    /// "OK": writes back every page made, then closes when all of them were taken.
    void accept() override;
    /// "Cancel": restores the component record, then closes.
    void reject() override;
    /// "Apply": writes back every page made. True when every page was written completely; else
    /// the record is as it was before.
    bool apply();

private:
    void showPage(int index);
    [[nodiscard]] int component() const;

    ModelInfo* model_;
    const ConfigInfo* config_;
    std::span<const int> terms_;
    QTabWidget* tabs_;
    std::vector<ValueTablePage*> pages_;
    QDialogButtonBox* buttons_;
    /// The record as the sheet found it or as it was last applied.
    std::unique_ptr<ModelComponentBackup> saved_;
};

} // namespace tolvane
