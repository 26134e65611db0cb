#include "ui/editor_buttons.h"

#include "ui/help/help.h"
#include "ui/number_text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVariant>

namespace tolvane {
namespace {

// The value ShowNumber put into an edit, and the text it showed for it.
constexpr const char* kShownValue = "tolvaneShownValue";
constexpr const char* kShownText = "tolvaneShownText";

// Takes Return and Enter from a line edit before the edit passes them on to its dialog.
class EnterFilter : public QObject {
public:
    EnterFilter(QLineEdit* field, std::function<void()> add)
        : QObject(field), add_(std::move(add)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                add_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> add_;
};

} // namespace

void AddOnEnter(QLineEdit* field, std::function<void()> add) {
    field->installEventFilter(new EnterFilter(field, std::move(add)));
}

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

bool RefuseField(QWidget* field) {
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    return false;
}

bool RefuseListLine(QListWidget* list, int row) {
    list->setCurrentRow(row);
    return RefuseField(list);
}

QLineEdit* CreateNumberEdit(const QString& objectName, int digits) {
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics metrics(edit->font());
    edit->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('0')) * digits + 12);
    return edit;
}

void ShowNumber(QLineEdit* edit, float value, int decimals) {
    const QString text = FormatFixed(value, decimals);
    edit->setText(text); // also clears isModified()
    edit->setProperty(kShownValue, value);
    edit->setProperty(kShownText, text);
}

std::optional<float> ReadNumberEdit(const QLineEdit* edit) {
    const QVariant shown = edit->property(kShownValue);
    if (shown.isValid() && !edit->isModified() &&
        edit->text() == edit->property(kShownText).toString())
        return shown.toFloat();
    return ReadLeadingFloat(edit->text());
}

} // namespace tolvane
