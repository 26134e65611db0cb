#pragma once

#include <QDialog>

#include <array>

class QLineEdit;

namespace tolvane {

struct ConfigInfo;

/// The modal "Coverage Factors" editor of the twelve coverage factors of the configuration's DUT,
/// which "Compute Model" copies into the model. "Done" is its only way out: it reads the twelve
/// fields and sets all of them in one call, then closes; a field that is not a number stops it
/// with a message naming the field. Without a configuration the fields show 4.0 and "Done" only
/// closes.
class CoverageFactorsDialog : public QDialog {
    Q_OBJECT
public:
    /// The labels of the twelve fields, in the order of the DUT's coverage factors.
    static const std::array<const char*, 12> kLabels;

    /// `config` may be null; otherwise it must outlive the dialog.
    explicit CoverageFactorsDialog(ConfigInfo* config, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* field(int index) const {
        return fields_[static_cast<std::size_t>(index)];
    }

public Q_SLOTS:
    /// "Done".
    void accept() override;
    /// Escape does not close the dialog: "Done" does.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ConfigInfo* config_;
    std::array<QLineEdit*, 12> fields_{};
};

} // namespace tolvane
