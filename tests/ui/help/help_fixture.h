#pragma once

// The help file the build compiled, and the reading of its topics, for the help tests.

#include "ui/help/chm_file.h"

#include <QRegularExpression>
#include <QString>

#include <memory>

namespace tolvane::testing {

inline QString BuiltHelpFile() {
    return QStringLiteral(TOLVANE_HELP_FILE);
}

inline std::unique_ptr<ChmFile> OpenBuiltHelp() {
    return ChmFile::Open(BuiltHelpFile());
}

/// The text of a topic, or an empty string when it is missing.
inline QString TopicHtml(const ChmFile& file, const QString& path) {
    const std::optional<QByteArray> data = file.read(path);
    return data ? QString::fromUtf8(*data) : QString();
}

/// The <title> of a topic.
inline QString TopicTitle(const QString& html) {
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    return title.match(html).captured(1).trimmed();
}

/// Text as a reader sees it: character references undone ("&minus;" is the minus sign "-").
inline QString DecodeHtmlText(QString text) {
    text.replace(QStringLiteral("&minus;"), QStringLiteral("-"));
    text.replace(QStringLiteral("&times;"), QStringLiteral("\u00d7"));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace tolvane::testing
