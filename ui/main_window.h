#pragma once

#include <QMainWindow>
#include <QPixmap>

class QAction;
class QMdiArea;
class QMenu;

namespace tolvane {

class ConfigurationDialog;
class MeasuredSession;
class ModelDialog;
class PlannerWindow;
class ResultPresenter;

/// The program's frame: the menu, the area whose sub-windows are the charts, the two modeless
/// dialogs, the background picture and the file commands.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// Reads the background flag from `preferencePath` ("pref.txt" in the current directory for
    /// the program) and writes it back there when the window closes.
    explicit MainWindow(const QString& preferencePath = QStringLiteral("pref.txt"),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] ResultPresenter* presenter() const { return presenter_; }
    [[nodiscard]] ConfigurationDialog* configurationDialog() const { return configDialog_; }
    [[nodiscard]] ModelDialog* modelDialog() const { return modelDialog_; }
    [[nodiscard]] PlannerWindow* planner() const { return planner_; }
    [[nodiscard]] QMdiArea* plotArea() const { return area_; }
    [[nodiscard]] MeasuredSession* measuredSession() const { return measured_; }

    [[nodiscard]] bool backgroundEnabled() const { return backgroundEnabled_; }
    /// 1 or 2: which of the two background tiles is painted.
    [[nodiscard]] int backgroundTile() const { return backgroundTile_; }
    /// The tile painted as the area's background (480 × 480).
    [[nodiscard]] QPixmap backgroundPicture() const;

    /// Runs the start-up (component database, default configuration and model in the current
    /// directory) with this window owning the message boxes, and lets both dialogs show what was
    /// read. False when it failed: the program then ends without its event loop.
    bool startUp();

Q_SIGNALS:
    /// The current configuration was replaced (start-up, "Recall Configuration...").
    void configurationReplaced();
    /// The current model was replaced (start-up, "Recall Model...").
    void modelReplaced();

public Q_SLOTS:
    void setBackgroundEnabled(bool enabled);
    void selectBackgroundTile(int tile);
    void showConfigurationDialog();
    void showConfigurationDut();
    void showModelDialog();
    void showPlanner();
    void printPlots();
    void about();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createDialogs();
    void readPreferences();
    void writePreferences() const;
    void updateBackground();
    /// While a background task runs, the commands that would change its inputs are disabled.
    void disableInputCommands(bool disabled);

    QString preferencePath_;
    QMdiArea* area_;
    ResultPresenter* presenter_;
    MeasuredSession* measured_;
    ConfigurationDialog* configDialog_ = nullptr;
    ModelDialog* modelDialog_ = nullptr;
    PlannerWindow* planner_ = nullptr;
    bool backgroundEnabled_ = false;
    int backgroundTile_ = 1;
    QPixmap tiles_[2];

    QAction* saveConfigurationAct_ = nullptr;
    QAction* recallConfigurationAct_ = nullptr;
    QAction* saveModelAct_ = nullptr;
    QAction* recallModelAct_ = nullptr;
    QAction* openMeasurementAct_ = nullptr;
    QAction* openLimitsAct_ = nullptr;
    QAction* clearLimitsAct_ = nullptr;
    QAction* computeMeasurementAct_ = nullptr;
    QAction* guardedRuleAct_ = nullptr;
    QAction* simpleRuleAct_ = nullptr;
    QAction* worstCaseMethodAct_ = nullptr;
    QAction* rssMethodAct_ = nullptr;
    QAction* monteCarloMethodAct_ = nullptr;
    QAction* printPlotsAct_ = nullptr;
    QAction* outputTabularDataAct_ = nullptr;
    QAction* exitAct_ = nullptr;
    QAction* configurationAct_ = nullptr;
    QAction* configurationDutAct_ = nullptr;
    QAction* modelAct_ = nullptr;
    QAction* plannerAct_ = nullptr;
    QAction* replaceAct_ = nullptr;
    QAction* backgroundAct_ = nullptr;
    QAction* tileAct_ = nullptr;
    QAction* cascadeAct_ = nullptr;
    QAction* closeAllAct_ = nullptr;
    QAction* aboutAct_ = nullptr;
    QAction* helpContentsAct_ = nullptr;
    QAction* computationHelpAct_ = nullptr;
    QAction* helpMeasuredAct_ = nullptr;
};

} // namespace tolvane
