#include "ui/help/help_viewer.h"

#include <QAction>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>

#include <functional>

namespace tolvane {
namespace {

// Topics are addressed as "chm:/topic.htm", so that links between topics resolve as relative URLs
// and every page, picture and style sheet is read from the help file.
const QString kScheme = QStringLiteral("chm");

QUrl TopicUrl(const QString& path) {
    QString withoutFragment = path;
    QString fragment;
    if (const qsizetype hash = path.indexOf(u'#'); hash >= 0) {
        withoutFragment = path.left(hash);
        fragment = path.mid(hash + 1);
    }
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(NormalizeChmPath(withoutFragment));
    if (!fragment.isEmpty()) url.setFragment(fragment);
    return url;
}

constexpr int kTopicRole = Qt::UserRole;

class HelpBrowser : public QTextBrowser {
public:
    explicit HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
        setOpenLinks(true);
        setOpenExternalLinks(false);
    }
    void setFile(const ChmFile* file) { file_ = file; }

    QVariant loadResource(int type, const QUrl& name) override {
        if (file_ == nullptr) return {};
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (url.scheme() != kScheme) return {};
        const std::optional<QByteArray> data = file_->read(url.path());
        if (!data) return {};
        // Pages and style sheets are written in UTF-8; pictures go to the image readers as bytes.
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(*data);
        return *data;
    }

private:
    const ChmFile* file_ = nullptr;
};

void ForEachItem(QTreeWidgetItem* item, const std::function<void(QTreeWidgetItem*)>& visit) {
    visit(item);
    for (int i = 0; i < item->childCount(); ++i)
        ForEachItem(item->child(i), visit);
}

void AddEntries(const QList<ContentsEntry>& entries, QTreeWidgetItem* parent, QTreeWidget* tree) {
    for (const ContentsEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.name);
        item->setData(0, kTopicRole, entry.local);
        AddEntries(entry.children, item, tree);
    }
}

} // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QMainWindow(parent), browser_(new HelpBrowser(this)), contents_(new QTreeWidget(this)) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(tr("Help"));
    contents_->setHeaderHidden(true);
    contents_->setColumnCount(1);
    contents_->setObjectName(QStringLiteral("contents"));
    browser_->setObjectName(QStringLiteral("topic"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 700});
    setCentralWidget(splitter);
    resize(1000, 720);

    createActions();
    createToolBar();

    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::onSourceChanged);
    connect(browser_, &QTextBrowser::backwardAvailable, backAct_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardAct_, &QAction::setEnabled);
    connect(contents_, &QTreeWidget::itemActivated, this, &HelpViewer::onContentsItemActivated);
    connect(contents_, &QTreeWidget::itemClicked, this, &HelpViewer::onContentsItemActivated);
}

HelpViewer::~HelpViewer() {
    // The browser reads from the file until it is gone.
    static_cast<HelpBrowser*>(browser_)->setFile(nullptr);
}

void HelpViewer::createActions() {
    backAct_ = new QAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), this);
    backAct_->setShortcut(QKeySequence::Back);
    backAct_->setEnabled(false);
    connect(backAct_, &QAction::triggered, browser_, &QTextBrowser::backward);

    forwardAct_ = new QAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"), this);
    forwardAct_->setShortcut(QKeySequence::Forward);
    forwardAct_->setEnabled(false);
    connect(forwardAct_, &QAction::triggered, browser_, &QTextBrowser::forward);

    homeAct_ = new QAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("&Contents"), this);
    connect(homeAct_, &QAction::triggered, this, [this] {
        if (file_) showTopic(file_->defaultTopic());
    });

    findNextAct_ = new QAction(style()->standardIcon(QStyle::SP_ArrowDown), tr("Find &Next"), this);
    findNextAct_->setShortcut(QKeySequence::FindNext);
    connect(findNextAct_, &QAction::triggered, this, [this] { findFromBar(false); });

    findPreviousAct_ =
        new QAction(style()->standardIcon(QStyle::SP_ArrowUp), tr("Find &Previous"), this);
    findPreviousAct_->setShortcut(QKeySequence::FindPrevious);
    connect(findPreviousAct_, &QAction::triggered, this, [this] { findFromBar(true); });
}

void HelpViewer::createToolBar() {
    QToolBar* bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addAction(backAct_);
    bar->addAction(forwardAct_);
    bar->addAction(homeAct_);
    bar->addSeparator();

    findEdit_ = new QLineEdit(bar);
    findEdit_->setObjectName(QStringLiteral("find"));
    findEdit_->setPlaceholderText(tr("Search in this topic"));
    findEdit_->setClearButtonEnabled(true);
    findEdit_->setMaximumWidth(260);
    bar->addWidget(findEdit_);
    bar->addAction(findPreviousAct_);
    bar->addAction(findNextAct_);
    findStatus_ = new QLabel(bar);
    findStatus_->setObjectName(QStringLiteral("findStatus"));
    bar->addWidget(findStatus_);

    auto* findShortcut = new QAction(this);
    findShortcut->setShortcut(QKeySequence::Find);
    connect(findShortcut, &QAction::triggered, findEdit_, [this] {
        findEdit_->setFocus();
        findEdit_->selectAll();
    });
    addAction(findShortcut);
    connect(findEdit_, &QLineEdit::returnPressed, this, [this] { findFromBar(false); });
    connect(findEdit_, &QLineEdit::textChanged, findStatus_, &QLabel::clear);
}

void HelpViewer::setHelpFile(std::unique_ptr<ChmFile> file, const QString& path) {
    if (!file) return;
    const bool sameFile = file_ && path == path_;
    auto* browser = static_cast<HelpBrowser*>(browser_);
    browser->setFile(file.get());
    file_ = std::move(file);
    path_ = path;
    if (sameFile) return;
    browser->clearHistory();
    browser->clear();
    if (!file_->title().isEmpty()) setWindowTitle(file_->title());
    fillContents();
}

void HelpViewer::fillContents() {
    contents_->clear();
    AddEntries(file_->contents(), nullptr, contents_);
    contents_->expandToDepth(0);
}

bool HelpViewer::showContext(int contextNumber) {
    if (!file_) return false;
    const QString topic = file_->topicForContext(contextNumber);
    return !topic.isEmpty() && showTopic(topic);
}

bool HelpViewer::showTopic(const QString& path) {
    if (!file_ || path.isEmpty()) return false;
    const QUrl url = TopicUrl(path);
    if (!file_->contains(url.path())) return false;
    browser_->setSource(url, QTextDocument::HtmlResource);
    return true;
}

QString HelpViewer::currentTopic() const {
    return browser_->source().isEmpty() ? QString() : browser_->source().path();
}

bool HelpViewer::findInTopic(const QString& text, bool backward) {
    if (text.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(text, flags)) return true;
    // Not found between the cursor and the end (or start): go round once from the other end. A
    // word the topic does not hold leaves the reader where he was, with his selection.
    const QTextCursor place = browser_->textCursor();
    const int scrolled = browser_->verticalScrollBar()->value();
    QTextCursor cursor = place;
    cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    browser_->setTextCursor(cursor);
    if (browser_->find(text, flags)) return true;
    browser_->setTextCursor(place);
    browser_->verticalScrollBar()->setValue(scrolled);
    return false;
}

void HelpViewer::findFromBar(bool backward) {
    const QString text = findEdit_->text();
    if (text.isEmpty()) return;
    findStatus_->setText(findInTopic(text, backward) ? QString() : tr("Not found"));
}

void HelpViewer::onSourceChanged(const QUrl& source) {
    // "Tolvane Help - Configuration": the file's title, then the topic's unless it is the same.
    QStringList titles;
    if (file_ && !file_->title().isEmpty()) titles << file_->title();
    if (!browser_->documentTitle().isEmpty() && !titles.contains(browser_->documentTitle()))
        titles << browser_->documentTitle();
    setWindowTitle(titles.isEmpty() ? tr("Help") : titles.join(QStringLiteral(" - ")));
    findStatus_->clear();

    // Mark the contents entry of the page shown: the one naming this very anchor if there is
    // one, else the first that names the page. (The browser's own source() is not yet the new
    // one while it announces it.)
    QTreeWidgetItem* pageMatch = nullptr;
    QTreeWidgetItem* exactMatch = nullptr;
    for (int i = 0; i < contents_->topLevelItemCount(); ++i) {
        ForEachItem(contents_->topLevelItem(i), [&](QTreeWidgetItem* item) {
            const QUrl url = TopicUrl(item->data(0, kTopicRole).toString());
            if (url.path() != source.path()) return;
            if (!pageMatch) pageMatch = item;
            if (!exactMatch && url.fragment() == source.fragment()) exactMatch = item;
        });
    }
    QTreeWidgetItem* match = exactMatch ? exactMatch : pageMatch;
    if (match) {
        const QSignalBlocker blocker(contents_);
        contents_->setCurrentItem(match);
        contents_->scrollToItem(match);
    }
}

void HelpViewer::onContentsItemActivated(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const QString local = item->data(0, kTopicRole).toString();
    if (local.isEmpty()) return;
    const QUrl target = TopicUrl(local);
    // Clicked and activated both arrive for one click: the second finds its topic shown.
    if (target.path() == browser_->source().path() &&
        target.fragment() == browser_->source().fragment())
        return;
    showTopic(local);
}

} // namespace tolvane
