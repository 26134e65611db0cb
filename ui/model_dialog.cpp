#include "ui/model_dialog.h"

#include "ui/help.h"
#include "ui/result_presenter.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tolvane {

ModelDialog::ModelDialog(ResultPresenter* presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter),
      computeButton_(new QPushButton(QStringLiteral("Compute Model"), this)) {
    setWindowTitle(QStringLiteral("Uncertainty Model"));
    setModal(false);
    computeButton_->setDefault(true);
    auto* helpButton = new QPushButton(QStringLiteral("Help"), this);
    connect(computeButton_, &QPushButton::clicked, this,
            [this] { presenter_->computeModel(this); });
    connect(helpButton, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, kHelpModelDialog); });

    auto* buttons = new QHBoxLayout(this);
    buttons->addWidget(computeButton_);
    buttons->addStretch();
    buttons->addWidget(helpButton);
}

void ModelDialog::refresh() {}

} // namespace tolvane
