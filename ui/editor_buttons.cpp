#include "ui/editor_buttons.h"

#include "ui/help.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

namespace tolvane {

QDialogButtonBox* CreateEditorButtons(QDialog* dialog, int helpContext) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* accept =
        buttons->addButton(QStringLiteral("Accept"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    accept->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog,
                     [dialog, helpContext] { ShowHelpTopic(dialog, helpContext); });
    return buttons;
}

QLineEdit* CreateNumberEdit(const QString& objectName, int digits) {
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics metrics(edit->font());
    edit->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('0')) * digits + 12);
    return edit;
}

} // namespace tolvane
