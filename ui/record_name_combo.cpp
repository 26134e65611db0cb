#include "ui/record_name_combo.h"

#include <QComboBox>
#include <QStringDecoder>

namespace tolvane {
namespace {

QByteArray ItemName(const QComboBox* combo, int index) {
    return combo->itemData(index).toByteArray();
}

int FindLastRecordNameItem(const QComboBox* combo, const char* name) {
    for (int i = combo->count() - 1; i >= 0; --i)
        if (ItemName(combo, i) == name) return i;
    return -1;
}

} // namespace

QString RecordNameText(const char* name) {
    const QByteArray bytes(name);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    return text;
}

void AddRecordNameItem(QComboBox* combo, const char* name, bool onlyNew) {
    if (onlyNew && FindLastRecordNameItem(combo, name) >= 0) return;
    combo->addItem(RecordNameText(name), QByteArray(name));
}

bool SelectRecordName(QComboBox* combo, const char* name) {
    const int index = FindLastRecordNameItem(combo, name);
    combo->setCurrentIndex(index >= 0 || combo->count() == 0 ? index : 0);
    return index >= 0;
}

QByteArray SelectedRecordName(const QComboBox* combo) {
    const int index = combo->currentIndex();
    return index < 0 ? QByteArray() : ItemName(combo, index);
}

} // namespace tolvane
