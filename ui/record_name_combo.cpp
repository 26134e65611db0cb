#include "ui/record_name_combo.h"

#include <QComboBox>
#include <QStringDecoder>

namespace tolvane {
namespace {

QByteArray ItemName(const QComboBox* combo, int index) {
    return combo->itemData(index).toByteArray();
}

} // namespace

QString RecordNameText(const char* name) {
    const QByteArray bytes(name);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    return text;
}

void AddRecordNameItem(QComboBox* combo, const char* name) {
    combo->addItem(RecordNameText(name), QByteArray(name));
}

int FindLastRecordNameItem(const QComboBox* combo, const char* name) {
    for (int i = combo->count() - 1; i >= 0; --i)
        if (ItemName(combo, i) == name) return i;
    return -1;
}

int FindFirstRecordNameItem(const QComboBox* combo, const char* name) {
    for (int i = 0; i < combo->count(); ++i)
        if (ItemName(combo, i) == name) return i;
    return -1;
}

QByteArray SelectedRecordName(const QComboBox* combo) {
    const int index = combo->currentIndex();
    return index < 0 ? QByteArray() : ItemName(combo, index);
}

} // namespace tolvane
