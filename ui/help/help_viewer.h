#pragma once

#include "ui/help/chm_file.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace tolvane {

/// The help window: the table of contents of a Compiled HTML Help file beside the topic, with
/// back and forward through the topics shown, and a search within the topic.
class HelpViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    ~HelpViewer() override;

    /// Shows the topics of `file`, read from `path`; the history and the contents start afresh
    /// unless it is the file already shown.
    void setHelpFile(std::unique_ptr<ChmFile> file, const QString& path);

    /// Shows the topic the help file maps to `contextNumber`; false, with nothing changed, when
    /// the number is not mapped.
    bool showContext(int contextNumber);
    /// Shows a topic by its path inside the help file, "#fragment" allowed; false when missing.
    bool showTopic(const QString& path);
    /// The path inside the help file of the topic shown ("/model.htm"), empty before the first.
    [[nodiscard]] QString currentTopic() const;

    /// Selects the next (or previous) occurrence of `text` in the topic, wrapping around at its
    /// end; false when the topic does not contain it.
    bool findInTopic(const QString& text, bool backward = false);

private:
    void createActions();
    void createToolBar();
    void fillContents();
    void onSourceChanged(const QUrl& source);
    void onContentsItemActivated(QTreeWidgetItem* item);
    void findFromBar(bool backward);

    std::unique_ptr<ChmFile> file_;
    QString path_;
    QTextBrowser* browser_;
    QTreeWidget* contents_;
    QAction* backAct_ = nullptr;
    QAction* forwardAct_ = nullptr;
    QAction* homeAct_ = nullptr;
    QAction* findNextAct_ = nullptr;
    QAction* findPreviousAct_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QLabel* findStatus_ = nullptr;
};

} // namespace tolvane
