#include "ui/configuration_dialog.h"

#include "ui/help.h"
#include "ui/result_presenter.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tolvane {

ConfigurationDialog::ConfigurationDialog(ResultPresenter* presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter),
      computeButton_(new QPushButton(QStringLiteral("Compute Configuration"), this)) {
    setWindowTitle(QStringLiteral("Configuration"));
    setModal(false);
    computeButton_->setDefault(true);
    auto* helpButton = new QPushButton(QStringLiteral("Help"), this);
    connect(computeButton_, &QPushButton::clicked, this,
            [this] { presenter_->computeConfiguration(this); });
    connect(helpButton, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, kHelpConfigurationDialog); });

    auto* buttons = new QHBoxLayout(this);
    buttons->addWidget(computeButton_);
    buttons->addStretch();
    buttons->addWidget(helpButton);
}

void ConfigurationDialog::refresh() {}

void ConfigurationDialog::editDut() {}

} // namespace tolvane
