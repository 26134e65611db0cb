#include "ui/charts/user_dut_results_dialog.h"

#include "core/units.h"
#include "ui/number_text.h"

#include "engine/uncertainty.h"
#include "ui/charts/chart_content.h"
#include "ui/help/help.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

QStringList UserDutResultLines(const UncertaintyInfo* result) {
    QStringList lines = {QStringLiteral("Freq\tRefl\tRefl\tTrans\tTrans"),
                         QStringLiteral("(GHz)\t(dB)\t(Deg)\t(dB)\t(Deg)")};
    int nF = 0;
    if (GetUncertaintyNumFreqs(result, &nF) == 0) return lines;
    for (int i = 0; i < nF; ++i) {
        double frequencyHz = 0.0;
        float reflNominal = 0.0f;
        float reflUpper = 0.0f;
        float reflPhase = 0.0f;
        float transNominal = 0.0f;
        float transUpper = 0.0f;
        float transPhase = 0.0f;
        if (GetUncertaintyFreq(result, i, &frequencyHz) == 0 ||
            GetUncertaintyRefl(result, i, 0, &reflNominal, &reflUpper, &reflPhase) == 0 ||
            GetUncertaintyTrans(result, i, 0, &transNominal, &transUpper, &transPhase) == 0)
            break;
        const QChar tab = QLatin1Char('\t');
        lines.append(FormatFixed(frequencyHz / kHzPerGHz, 6) + tab +
                     FormatFixed(MagnitudeUncertaintyDb(reflNominal, reflUpper), 3) + tab +
                     FormatFixed(reflPhase, 1) + tab +
                     FormatFixed(MagnitudeUncertaintyDb(transNominal, transUpper), 2) + tab +
                     FormatFixed(transPhase, 1));
    }
    return lines;
}

UserDutResultsDialog::UserDutResultsDialog(const UncertaintyInfo* result, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("User Defined DUT Results"));
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->addItems(UserDutResultLines(result));
    list_->setMinimumSize(460, 240);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { ShowHelpTopic(this, kHelpUserDutResults); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Uncertainty Results"), this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

} // namespace tolvane
