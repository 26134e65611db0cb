#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace tolvane {

struct UncertaintyInfo;

/// The lines of the "User Defined DUT Results" list for `result`: the two header lines, then one
/// line per frequency with the uncertainties at the first DUT value (frequency in GHz, reflection
/// magnitude in dB and phase in degrees, transmission magnitude in dB and phase in degrees). Stops
/// at the first entry that cannot be read (the result module has reported it).
[[nodiscard]] QStringList UserDutResultLines(const UncertaintyInfo* result);

/// The modal "User Defined DUT Results" dialog, owned by the dialog whose Compute button opened it.
class UserDutResultsDialog : public QDialog {
    Q_OBJECT
public:
    UserDutResultsDialog(const UncertaintyInfo* result, QWidget* parent = nullptr);

    [[nodiscard]] QListWidget* resultList() const { return list_; }

private:
    QListWidget* list_;
};

} // namespace tolvane
