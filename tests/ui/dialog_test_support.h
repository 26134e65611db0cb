#pragma once

// Helpers of the dialog tests: named controls, the texts a dialog shows, captured messages.

#include "support/captured_messages.h"
#include "support/record_fields.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <string>

namespace tolvane::testing {

/// The child of `parent` named `name`; a missing control ends the test program, since every test
/// of the dialog depends on it.
template <typename Widget> Widget* Child(const QObject* parent, const char* name) {
    auto* widget = parent->findChild<Widget*>(QString::fromUtf8(name));
    if (widget == nullptr) qFatal("no control named \"%s\"", name);
    return widget;
}

/// The push button of `parent` whose text is `text`; a missing one ends the test program.
inline QAbstractButton* Button(const QObject* parent, const QString& text) {
    for (auto* button : parent->findChildren<QAbstractButton*>())
        if (button->text() == text) return button;
    qFatal("no button \"%s\"", qPrintable(text));
}

/// Clicks a check box on its indicator, as a user does.
inline void ClickCheckBox(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

/// The texts of the "Error" boxes shown so far, in order.
inline QStringList ErrorTexts(const CapturedMessages& messages) {
    QStringList texts;
    for (const std::string& text : messages.errors())
        texts << QString::fromStdString(text);
    return texts;
}

/// Every label, button and group title of `dialog`, sorted (buttons without text, such as
/// picture buttons, are left out).
inline QStringList ShownTexts(const QWidget* dialog) {
    QStringList texts;
    for (const QWidget* widget : dialog->findChildren<QWidget*>()) {
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            text = button->text();
        else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
            text = group->title();
        if (!text.isEmpty()) texts << text;
    }
    texts.sort();
    return texts;
}

/// `texts`, sorted, for comparing with ShownTexts.
inline QStringList Sorted(QStringList texts) {
    texts.sort();
    return texts;
}

/// "" when `record` (a configuration or a model) is field by field as `before` (its RecordFields),
/// else the first field that changed.
template <typename Record>
QString FieldChange(const std::vector<std::string>& before, const Record& record) {
    return QString::fromStdString(FirstDifference(before, RecordFields(record)));
}

/// The entries of a drop-down list.
inline QStringList Entries(const QComboBox* combo) {
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

} // namespace tolvane::testing
