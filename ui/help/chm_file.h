#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct chmFile;

namespace tolvane {

/// One entry of a help file's table of contents, with the entries below it.
struct ContentsEntry {
    QString name;
    /// The topic the entry opens, as written in the contents file ("model.htm#dut"); may be empty
    /// for a heading without a page of its own.
    QString local;
    QList<ContentsEntry> children;
};

/// Reads the table of contents of a sitemap file (the .hhc format): every <OBJECT
/// type="text/sitemap"> with its "Name" and "Local" parameters, nested as the <UL> lists nest.
[[nodiscard]] QList<ContentsEntry> ParseSitemap(const QByteArray& html);

/// A Compiled HTML Help file opened for reading. Paths inside the file are absolute and start
/// with "/" ("/contents.htm"); a leading "/" may be left out when asking for one.
class ChmFile {
public:
    /// The file at `path`, or null when it is missing or not a Compiled HTML Help file.
    [[nodiscard]] static std::unique_ptr<ChmFile> Open(const QString& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    [[nodiscard]] bool contains(const QString& path) const;
    /// The paths of the files compiled into the help file ("/contents.htm", "/figures/chain.svg"),
    /// without the compiler's own objects.
    [[nodiscard]] QStringList files() const;
    /// The whole content of the object at `path`; nothing when it is missing or cannot be read.
    [[nodiscard]] std::optional<QByteArray> read(const QString& path) const;

    /// The path of the topic mapped to a help context number, or empty when the number is not
    /// mapped or its topic is missing from the file.
    [[nodiscard]] QString topicForContext(int contextNumber) const;
    /// The context numbers the file maps, in the file's order.
    [[nodiscard]] QList<int> contextNumbers() const;

    /// The file's title, default topic and contents file, as its project named them (empty when
    /// the file does not say).
    [[nodiscard]] QString title() const { return title_; }
    [[nodiscard]] QString defaultTopic() const { return defaultTopic_; }
    [[nodiscard]] QString contentsFile() const { return contentsFile_; }
    /// The table of contents read from the contents file; empty without one.
    [[nodiscard]] QList<ContentsEntry> contents() const;

private:
    explicit ChmFile(::chmFile* handle);
    void readSystemFile();
    /// The object a name of the context map stands for. Compilers store it as a path relative to
    /// the project ("a.htm"), inside the file ("/a.htm") or as the path the source had when it
    /// was compiled; the longest tail of it that names an object wins.
    [[nodiscard]] QString resolveStoredPath(const QByteArray& stored) const;

    ::chmFile* handle_;
    QString title_;
    QString defaultTopic_;
    QString contentsFile_;
};

/// `path` as an absolute path inside a help file: a leading "/" added. Names such as "/#SYSTEM"
/// start with "#", so a path here never carries a "#fragment".
[[nodiscard]] QString NormalizeChmPath(const QString& path);

} // namespace tolvane
