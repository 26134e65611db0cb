#include "ui/help/chm_file.h"

#include <QFile>
#include <QRegularExpression>

#include <chm_lib.h>

#include <cstdint>
#include <limits>

namespace tolvane {
namespace {

// Codes of the records of the "/#SYSTEM" object that name the project's files and title.
constexpr int kSystemContentsFile = 0;
constexpr int kSystemDefaultTopic = 2;
constexpr int kSystemTitle = 3;

// Objects larger than this are refused: a help topic or picture is far smaller.
constexpr LONGUINT64 kLargestObject = 64u * 1024u * 1024u;

std::uint32_t ReadLittleEndian32(const QByteArray& data, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(data[at + i]);
    return value;
}

std::uint16_t ReadLittleEndian16(const QByteArray& data, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[at]) |
                                      (static_cast<std::uint8_t>(data[at + 1]) << 8));
}

// A text record: the bytes up to the first NUL.
QString TextUpToNul(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromLatin1(end < 0 ? bytes : bytes.left(end));
}

// The context map: pairs of (context number, offset of the topic's name in "/#STRINGS") after a
// 32-bit byte count.
struct ContextPair {
    std::uint32_t contextNumber;
    std::uint32_t nameOffset;
};

QList<ContextPair> ReadContextPairs(const QByteArray& ivb) {
    QList<ContextPair> pairs;
    if (ivb.size() < 4) return pairs;
    const qsizetype count = std::min<qsizetype>(ReadLittleEndian32(ivb, 0), ivb.size() - 4) / 8;
    for (qsizetype i = 0; i < count; ++i)
        pairs.push_back({ReadLittleEndian32(ivb, 4 + 8 * i), ReadLittleEndian32(ivb, 8 + 8 * i)});
    return pairs;
}

QString AttributeValue(const QString& attributes, const QString& name) {
    const QRegularExpression pattern(
        QStringLiteral("\\b%1\\s*=\\s*(\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(attributes);
    if (!match.hasMatch()) return {};
    for (int group = 2; group <= 4; ++group)
        if (match.capturedStart(group) >= 0) return match.captured(group);
    return {};
}

// Undoes the character references a sitemap writer may put in a name ("&amp;" and the like).
QString DecodeEntities(QString text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace

QString NormalizeChmPath(const QString& path) {
    return path.startsWith(u'/') ? path : QStringLiteral("/") + path;
}

QList<ContentsEntry> ParseSitemap(const QByteArray& html) {
    static const QRegularExpression tag(QStringLiteral("<(/?)(ul|object|param)\\b([^>]*)>"),
                                        QRegularExpression::CaseInsensitiveOption);
    QList<ContentsEntry> top;
    // The lists being filled, outermost first. The first <UL> is the outermost list; every later
    // one holds the children of the entry just read. Entries are only ever added to the innermost
    // list, so the pointers to its ancestors stay valid.
    QList<QList<ContentsEntry>*> open{&top};
    int depth = 0;
    std::optional<ContentsEntry> entry;
    const QString text = QString::fromUtf8(html);
    for (const QRegularExpressionMatch& match : tag.globalMatch(text)) {
        const bool closing = !match.captured(1).isEmpty();
        const QString name = match.captured(2).toLower();
        const QString attributes = match.captured(3);
        if (name == u"ul") {
            if (!closing) {
                if (depth > 0) {
                    QList<ContentsEntry>* current = open.back();
                    open.push_back(current->isEmpty() ? current : &current->back().children);
                }
                ++depth;
            } else if (depth > 0) {
                --depth;
                if (depth > 0) open.pop_back();
            }
        } else if (name == u"object") {
            const bool isEntry =
                AttributeValue(attributes, QStringLiteral("type")).toLower() == u"text/sitemap";
            if (!closing && isEntry) {
                entry.emplace();
            } else if (closing && entry) {
                open.back()->push_back(*entry);
                entry.reset();
            }
        } else if (entry) {
            const QString param = AttributeValue(attributes, QStringLiteral("name")).toLower();
            const QString value =
                DecodeEntities(AttributeValue(attributes, QStringLiteral("value")));
            if (param == u"name")
                entry->name = value;
            else if (param == u"local")
                entry->local = value;
        }
    }
    return top;
}

std::unique_ptr<ChmFile> ChmFile::Open(const QString& path) {
    // libchm takes a local 8-bit path and answers null for anything it cannot read.
    const QByteArray localPath = QFile::encodeName(path);
    ::chmFile* handle = chm_open(localPath.constData());
    if (handle == nullptr) return nullptr;
    std::unique_ptr<ChmFile> file(new ChmFile(handle));
    file->readSystemFile();
    return file;
}

ChmFile::ChmFile(::chmFile* handle) : handle_(handle) {}

ChmFile::~ChmFile() {
    chm_close(handle_);
}

bool ChmFile::contains(const QString& path) const {
    chmUnitInfo info{};
    const QByteArray name = NormalizeChmPath(path).toUtf8();
    return chm_resolve_object(handle_, name.constData(), &info) == CHM_RESOLVE_SUCCESS;
}

QStringList ChmFile::files() const {
    QStringList paths;
    auto collect = [](::chmFile*, chmUnitInfo* info, void* context) -> int {
        const QString path = QString::fromUtf8(info->path);
        // Internal objects ("/#SYSTEM", "/$OBJINST", "/_#_README_#_", "::DataSpace/...") and
        // folders are not files of the project.
        if (!path.startsWith(u'/') || path.endsWith(u'/') || path.contains(u'#') ||
            path.contains(u'$'))
            return CHM_ENUMERATOR_CONTINUE;
        static_cast<QStringList*>(context)->push_back(path);
        return CHM_ENUMERATOR_CONTINUE;
    };
    chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &paths);
    return paths;
}

std::optional<QByteArray> ChmFile::read(const QString& path) const {
    chmUnitInfo info{};
    const QByteArray name = NormalizeChmPath(path).toUtf8();
    if (chm_resolve_object(handle_, name.constData(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > kLargestObject) return std::nullopt;
    QByteArray data(static_cast<qsizetype>(info.length), Qt::Uninitialized);
    if (info.length == 0) return data;
    const LONGINT64 got =
        chm_retrieve_object(handle_, &info, reinterpret_cast<unsigned char*>(data.data()), 0,
                            static_cast<LONGINT64>(info.length));
    if (got != static_cast<LONGINT64>(info.length)) return std::nullopt;
    return data;
}

void ChmFile::readSystemFile() {
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    if (!system) return;
    // A 32-bit version, then records of (16-bit code, 16-bit length, data).
    qsizetype at = 4;
    while (at + 4 <= system->size()) {
        const int code = ReadLittleEndian16(*system, at);
        const qsizetype length = ReadLittleEndian16(*system, at + 2);
        if (at + 4 + length > system->size()) break;
        const QByteArray data = system->mid(at + 4, length);
        if (code == kSystemContentsFile)
            contentsFile_ = TextUpToNul(data);
        else if (code == kSystemDefaultTopic)
            defaultTopic_ = TextUpToNul(data);
        else if (code == kSystemTitle)
            title_ = TextUpToNul(data);
        at += 4 + length;
    }
}

QString ChmFile::resolveStoredPath(const QByteArray& stored) const {
    QString path = QString::fromUtf8(stored);
    path.replace(u'\\', u'/');
    for (qsizetype from = 0; from >= 0 && from < path.size();) {
        const QString candidate = NormalizeChmPath(path.mid(from));
        if (candidate.size() > 1 && contains(candidate)) return candidate;
        const qsizetype slash = path.indexOf(u'/', from);
        from = slash < 0 ? -1 : slash + 1;
    }
    return {};
}

QString ChmFile::topicForContext(int contextNumber) const {
    const std::optional<QByteArray> ivb = read(QStringLiteral("/#IVB"));
    const std::optional<QByteArray> strings = read(QStringLiteral("/#STRINGS"));
    if (!ivb || !strings) return {};
    for (const ContextPair& pair : ReadContextPairs(*ivb)) {
        if (static_cast<std::int64_t>(pair.contextNumber) != contextNumber) continue;
        if (pair.nameOffset >= static_cast<std::uint32_t>(strings->size())) return {};
        const qsizetype start = pair.nameOffset;
        qsizetype end = strings->indexOf('\0', start);
        if (end < 0) end = strings->size();
        return resolveStoredPath(strings->mid(start, end - start));
    }
    return {};
}

QList<int> ChmFile::contextNumbers() const {
    QList<int> numbers;
    const std::optional<QByteArray> ivb = read(QStringLiteral("/#IVB"));
    if (!ivb) return numbers;
    for (const ContextPair& pair : ReadContextPairs(*ivb))
        if (pair.contextNumber <= static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
            numbers.push_back(static_cast<int>(pair.contextNumber));
    return numbers;
}

QList<ContentsEntry> ChmFile::contents() const {
    if (contentsFile_.isEmpty()) return {};
    const std::optional<QByteArray> sitemap = read(contentsFile_);
    return sitemap ? ParseSitemap(*sitemap) : QList<ContentsEntry>{};
}

} // namespace tolvane
