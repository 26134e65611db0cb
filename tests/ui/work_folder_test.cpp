// The user's data folder: tolvane-cli asks the library, the desktop program asks Qt; both must
// name the same folder, or the two programs would work with different databases.

#include "files/data_folders.h"
#include "support/scoped_environment.h"
#include "ui/work_folder.h"

#include <QCoreApplication>
#include <QTest>

#include <optional>
#include <string>

using tolvane::testing::ScopedEnvironmentVariable;

class WorkFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theLibraryNamesQtsUserDataFolder() {
        QCoreApplication::setApplicationName(QStringLiteral("tolvane"));
        const ScopedEnvironmentVariable home("HOME", "/home/engineer");
        for (const std::optional<std::string>& dataHome :
             {std::optional<std::string>(), std::optional<std::string>("/srv/data")}) {
            const ScopedEnvironmentVariable xdg("XDG_DATA_HOME", dataHome);
            const QString qt = tolvane::UserDataFolderPath();
            QCOMPARE(QString::fromStdString(tolvane::UserDataFolder().string()), qt);
            QVERIFY(qt.endsWith(QStringLiteral("/tolvane")));
        }
    }
};

QTEST_MAIN(WorkFolderTest)
#include "work_folder_test.moc"
