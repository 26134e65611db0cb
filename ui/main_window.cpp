#include "ui/main_window.h"

#include "files/startup.h"
#include "tolvane/version.h"
#include "ui/background_task.h"
#include "ui/busy_cursor.h"
#include "ui/charts/artwork.h"
#include "ui/charts/measured_session.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/configuration_dialog.h"
#include "ui/file_commands.h"
#include "ui/help/help.h"
#include "ui/model/model_dialog.h"
#include "ui/planner/planner_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <utility>

namespace tolvane {

MainWindow::MainWindow(const QString& preferencePath, QWidget* parent)
    : QMainWindow(parent), preferencePath_(preferencePath), area_(new QMdiArea(this)),
      presenter_(new ResultPresenter(area_, this)),
      measured_(new MeasuredSession(presenter_, this)) {
    setWindowTitle(QString::fromUtf8(kProductTitle));
    // Every window of the program (dialogs, charts) shows the program's icon.
    QApplication::setWindowIcon(ApplicationIcon());
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    tiles_[0] = DrawBackgroundTile(1);
    tiles_[1] = DrawBackgroundTile(2);

    createActions();
    createMenus();
    createDialogs();
    readPreferences();
    connect(&BackgroundTasks::instance(), &BackgroundTasks::runningChanged, this,
            &MainWindow::disableInputCommands);
}

void MainWindow::disableInputCommands(bool disabled) {
    // What would change the inputs or the results of the work under way, or end the program
    // in the middle of it.
    for (QAction* action :
         {saveConfigurationAct_, recallConfigurationAct_, saveModelAct_, recallModelAct_,
          openMeasurementAct_, openLimitsAct_, guardedRuleAct_, simpleRuleAct_, worstCaseMethodAct_,
          rssMethodAct_, monteCarloMethodAct_, printPlotsAct_, outputTabularDataAct_, exitAct_,
          configurationAct_, configurationDutAct_, modelAct_, replaceAct_, closeAllAct_})
        action->setEnabled(!disabled);
}

MainWindow::~MainWindow() {
    // Charts go first: each takes its record out of the plot list as it is destroyed.
    presenter_->closeAllCharts();
}

void MainWindow::createActions() {
    auto make = [this](const char* text, auto slot) {
        auto* action = new QAction(QString::fromUtf8(text), this);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    saveConfigurationAct_ = make("Save Configuration...", [this] { SaveConfiguration(this); });
    recallConfigurationAct_ = make("Recall Configuration...", [this] {
        if (RecallConfiguration(this)) Q_EMIT configurationReplaced();
    });
    saveModelAct_ = make("Save Model...", [this] { SaveModel(this); });
    recallModelAct_ = make("Recall Model...", [this] {
        if (RecallModel(this)) Q_EMIT modelReplaced();
    });
    openMeasurementAct_ =
        make("Open &Measurement...", [this] { measured_->openMeasurement(this); });
    openLimitsAct_ = make("Open &Limits...", [this] { measured_->openLimits(this); });
    clearLimitsAct_ = make("Clear Limits", [this] { measured_->clearLimits(); });
    // The open measurement computed again, after the configuration has changed.
    computeMeasurementAct_ = make("Compute Measurement", [this] { (void)measured_->compute(); });
    // The decision rule of the verdicts: guarded (the start state) or simple.
    auto* rules = new QActionGroup(this);
    guardedRuleAct_ =
        make("&Guarded Decision Rule", [this] { measured_->setRule(DecisionRule::Guarded); });
    simpleRuleAct_ =
        make("&Simple Decision Rule", [this] { measured_->setRule(DecisionRule::Simple); });
    for (QAction* rule : {guardedRuleAct_, simpleRuleAct_}) {
        rule->setCheckable(true);
        rules->addAction(rule);
    }
    guardedRuleAct_->setChecked(true);
    // How the measured bounds are formed: the worst case (the start state), RSS or Monte Carlo.
    auto* methods = new QActionGroup(this);
    const std::pair<QAction**, UncertaintyMethod> methodActions[] = {
        {&worstCaseMethodAct_, UncertaintyMethod::WorstCase},
        {&rssMethodAct_, UncertaintyMethod::Rss},
        {&monteCarloMethodAct_, UncertaintyMethod::MonteCarlo}};
    const char* methodTexts[] = {"&Worst-Case Bounds", "&RSS Bounds", "Monte &Carlo Bounds"};
    for (std::size_t m = 0; m < std::size(methodActions); ++m) {
        const auto [action, method] = methodActions[m];
        *action = make(methodTexts[m], [this, method] {
            // A cancelled or failed computation keeps the method of the results shown.
            if (measured_->setMethod(method)) return;
            for (QAction* kept : {worstCaseMethodAct_, rssMethodAct_, monteCarloMethodAct_})
                if (kept->data().toInt() == int(measured_->method())) kept->setChecked(true);
        });
        (*action)->setData(int(method));
        (*action)->setCheckable(true);
        methods->addAction(*action);
    }
    worstCaseMethodAct_->setChecked(true);
    printPlotsAct_ = make("Print Plots", [this] { printPlots(); });
    outputTabularDataAct_ = make("Output Tabular Data...", [this] { OutputTabularData(this); });
    exitAct_ = make("E&xit", [this] { close(); });

    configurationAct_ = make("&Configuration...", [this] { showConfigurationDialog(); });
    configurationDutAct_ = make("Configuration &DUT...", [this] { showConfigurationDut(); });
    modelAct_ = make("&Model...", [this] { showModelDialog(); });
    plannerAct_ = make("&Planner...", [this] { showPlanner(); });
    replaceAct_ = new QAction(QStringLiteral("Replace Existing Plot Windows"), this);
    replaceAct_->setCheckable(true);
    replaceAct_->setChecked(presenter_->replaceMode());
    connect(replaceAct_, &QAction::toggled, presenter_, &ResultPresenter::setReplaceMode);
    backgroundAct_ = new QAction(QStringLiteral("Enable Background"), this);
    backgroundAct_->setCheckable(true);
    backgroundAct_->setChecked(true); // the preference decides in readPreferences()
    connect(backgroundAct_, &QAction::toggled, this, &MainWindow::setBackgroundEnabled);
    tileAct_ = make("Tile Plot Windows", [this] { presenter_->tileCharts(); });
    cascadeAct_ = make("Cascade Plot Windows", [this] { presenter_->cascadeCharts(); });
    closeAllAct_ = make("Close All Plot Windows", [this] { presenter_->closeAllCharts(); });

    aboutAct_ = make("&About..", [this] { about(); });
    helpContentsAct_ = make("Help &Contents...", [this] { ShowHelpTopic(this, kHelpContents); });
    // The note on the DUT-value charts sends the reader here.
    computationHelpAct_ =
        make("Computation of Uncertainty", [this] { ShowHelpTopic(this, kHelpComputation); });
    helpMeasuredAct_ =
        make("Measured DUTs and &Limits...", [this] { ShowHelpTopic(this, kHelpMeasuredDut); });

    // Keys 1 and 2 choose the background tile while the main window is active.
    auto* tileOne = new QShortcut(QKeySequence(Qt::Key_1), this);
    connect(tileOne, &QShortcut::activated, this, [this] { selectBackgroundTile(1); });
    auto* tileTwo = new QShortcut(QKeySequence(Qt::Key_2), this);
    connect(tileTwo, &QShortcut::activated, this, [this] { selectBackgroundTile(2); });
}

void MainWindow::createMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu"));
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(saveConfigurationAct_);
    file->addAction(recallConfigurationAct_);
    file->addSeparator();
    file->addAction(saveModelAct_);
    file->addAction(recallModelAct_);
    file->addSeparator();
    file->addAction(openMeasurementAct_);
    file->addAction(openLimitsAct_);
    file->addAction(clearLimitsAct_);
    file->addAction(computeMeasurementAct_);
    file->addAction(guardedRuleAct_);
    file->addAction(simpleRuleAct_);
    file->addSeparator();
    file->addAction(worstCaseMethodAct_);
    file->addAction(rssMethodAct_);
    file->addAction(monteCarloMethodAct_);
    file->addSeparator();
    file->addAction(printPlotsAct_);
    file->addAction(outputTabularDataAct_);
    file->addSeparator();
    file->addAction(exitAct_);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
    windows->addAction(configurationAct_);
    windows->addAction(configurationDutAct_);
    windows->addAction(modelAct_);
    windows->addAction(plannerAct_);
    windows->addSeparator();
    windows->addAction(replaceAct_);
    windows->addSeparator();
    windows->addAction(backgroundAct_);
    windows->addSeparator();
    windows->addAction(tileAct_);
    windows->addAction(cascadeAct_);
    windows->addAction(closeAllAct_);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(aboutAct_);
    help->addSeparator();
    help->addAction(helpContentsAct_);
    help->addAction(computationHelpAct_);
    help->addAction(helpMeasuredAct_);
}

void MainWindow::createDialogs() {
    configDialog_ = new ConfigurationDialog(presenter_, this);
    modelDialog_ = new ModelDialog(presenter_, this);
    connect(this, &MainWindow::configurationReplaced, configDialog_, &ConfigurationDialog::refresh);
    connect(this, &MainWindow::modelReplaced, modelDialog_, &ModelDialog::refresh);
    planner_ = new PlannerWindow(this);
    connect(this, &MainWindow::configurationReplaced, planner_, &PlannerWindow::refresh);
    connect(planner_, &PlannerWindow::configurationChanged, configDialog_,
            &ConfigurationDialog::refresh);
    configDialog_->show();
    modelDialog_->hide();
    planner_->hide();
}

void MainWindow::readPreferences() {
    int flag = backgroundEnabled_ ? 1 : 0;
    // A missing or unreadable file leaves the flag as it is.
    (void)ReadPreference(&flag, preferencePath_.toLocal8Bit().constData());
    backgroundEnabled_ = flag == 1;
    const QSignalBlocker blocker(backgroundAct_);
    backgroundAct_->setChecked(backgroundEnabled_);
    updateBackground();
}

void MainWindow::writePreferences() const {
    (void)WritePreference(backgroundEnabled_ ? 1 : 0, preferencePath_.toLocal8Bit().constData());
}

bool MainWindow::startUp() {
    if (StartUp() == 0) return false;
    Q_EMIT configurationReplaced();
    Q_EMIT modelReplaced();
    // Shown while this window still had its first, small size: centred again on the full one,
    // kept inside the screen's left and top.
    QRect frame = configDialog_->frameGeometry();
    frame.moveCenter(frameGeometry().center());
    configDialog_->move(std::max(frame.left(), 0), std::max(frame.top(), 0));
    configDialog_->activateWindow();
    return true;
}

QPixmap MainWindow::backgroundPicture() const {
    return tiles_[backgroundTile_ - 1];
}

void MainWindow::setBackgroundEnabled(bool enabled) {
    backgroundEnabled_ = enabled;
    if (backgroundAct_->isChecked() != enabled) backgroundAct_->setChecked(enabled);
    updateBackground();
}

void MainWindow::selectBackgroundTile(int tile) {
    if (tile != 1 && tile != 2) return;
    backgroundTile_ = tile;
    updateBackground();
}

void MainWindow::updateBackground() {
    // A tile that could not be drawn is never painted.
    const QPixmap& picture = tiles_[backgroundTile_ - 1];
    area_->setBackground(backgroundEnabled_ && !picture.isNull() ? QBrush(picture)
                                                                 : QBrush(Qt::white));
}

void MainWindow::showConfigurationDialog() {
    configDialog_->show();
    configDialog_->raise();
    configDialog_->activateWindow();
}

void MainWindow::showConfigurationDut() {
    showConfigurationDialog();
    configDialog_->editDut();
}

void MainWindow::showPlanner() {
    planner_->show();
    planner_->raise();
    planner_->activateWindow();
}

void MainWindow::showModelDialog() {
    modelDialog_->show();
    modelDialog_->raise();
    modelDialog_->activateWindow();
}

void MainWindow::printPlots() {
    if (presenter_->charts().isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print Plots"));
    if (dialog.exec() != QDialog::Accepted) return;
    (void)presenter_->printCharts(&printer, this);
}

void MainWindow::about() {
    QDialog box(this);
    box.setWindowTitle(QStringLiteral("About Tolvane"));
    auto* text = new QLabel(QString::fromUtf8(kProductTitle), &box);
    text->setAlignment(Qt::AlignCenter);
    QFont font = text->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    text->setFont(font);
    auto* detail = new QLabel(
        QStringLiteral("Measurement uncertainty of two-port vector network analyzer set-ups"),
        &box);
    detail->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(text);
    layout->addWidget(detail);
    layout->addWidget(buttons);
    box.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (BackgroundTasks::instance().running()) {
        event->ignore();
        return;
    }
    writePreferences();
    event->accept();
}

} // namespace tolvane
