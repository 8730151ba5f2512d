#include "core/AppFolder.h"
#include "core/Failure.h"
#include "settings/SettingsFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using hanlabel::test::ReadFileBytes;

namespace {

// An executable's folder and the defaults it finds (the six settings files), an empty home for the
// per-user folder and a set of paths that count as read-only (the tests run as root, who can write
// anywhere). Self-contained, the defaults lie beside the executable (usr/lib/hanlabel); installed,
// the executable is in usr/bin and the defaults in usr/share/hanlabel.
struct Desk {
    QTemporaryDir dir;
    QSet<QString> readOnly;
    bool installed = false;

    explicit Desk(bool installedProgram = false) : installed(installedProgram) {
        QDir(dir.path()).mkpath(QStringLiteral("usr/bin"));
        for (const QString& name : SettingsFiles::All)
            write(defaults(name), "default " + name.toUtf8() + "\r\n2\r\n");
    }
    QString bin() const {
        return dir.filePath(installed ? QStringLiteral("usr/bin") : QStringLiteral("usr/lib/hanlabel"));
    }
    QString defaults(const QString& name = {}) const {
        return dir.filePath(installed ? QStringLiteral("usr/share/hanlabel") : QStringLiteral("usr/lib/hanlabel")) +
               (name.isEmpty() ? QString() : "/" + name);
    }
    QString user(const QString& name = {}) const {
        return dir.filePath(QStringLiteral("home/.local/share/hanlabel")) +
               (name.isEmpty() ? QString() : "/" + name);
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    FolderPlaces places(const QString& variable = {}) const {
        FolderPlaces p;
        p.variable = variable;
        p.executableFolder = bin();
        p.defaultsFolder = DefaultsFolder(bin(), QStringLiteral("../share/hanlabel"));
        p.userFolder = user();
        p.settingsFiles = SettingsFiles::All;
        p.writable = [this](const QString& path) {
            return !readOnly.contains(path) && QFileInfo(path).isWritable();
        };
        return p;
    }
    // A folder that cannot be written, and files of it as given.
    void lockExecutableFolder(const QStringList& lockedFiles) {
        readOnly << bin();
        for (const QString& name : lockedFiles)
            readOnly << bin() + "/" + name;
    }
};

} // namespace

// Where the settings files live: HANLABEL_HOME, the executable's folder, or a per-user folder.
class TestAppFolder : public QObject {
    Q_OBJECT
  private slots:
    void defaultsFolder_data();
    void defaultsFolder();
    void choice_data();
    void choice();
    void perUserFolderIsFilled_data();
    void perUserFolderIsFilled();
    void existingFilesAreKept();
    void failedFirstCopy_data();
    void failedFirstCopy();
    void glyphDatabaseLocation_data();
    void glyphDatabaseLocation();
};

void TestAppFolder::defaultsFolder_data() {
    QTest::addColumn<QString>("share");    // made below the temporary root, empty for none
    QTest::addColumn<bool>("shareIsFile"); // a file where the share folder belongs
    QTest::addColumn<QString>("relative"); // the compiled path from the executable's folder
    QTest::addColumn<QString>("expected"); // below the temporary root
    QTest::newRow("installed") << "usr/share/hanlabel" << false << "../share/hanlabel" << "usr/share/hanlabel";
    QTest::newRow("build tree, no share folder") << "" << false << "../share/hanlabel" << "usr/bin";
    QTest::newRow("share path is a file") << "usr/share/hanlabel" << true << "../share/hanlabel" << "usr/bin";
    QTest::newRow("no compiled path") << "usr/share/hanlabel" << false << "" << "usr/bin";
}

void TestAppFolder::defaultsFolder() {
    QFETCH(QString, share);
    QFETCH(bool, shareIsFile);
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
    if (shareIsFile)
        Desk::write(root.filePath(share), "not a folder");
    else if (!share.isEmpty())
        QVERIFY(QDir(root.path()).mkpath(share));
    QCOMPARE(DefaultsFolder(root.filePath(QStringLiteral("usr/bin")), relative), root.filePath(expected));
}

void TestAppFolder::choice_data() {
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<bool>("folderLocked");
    QTest::addColumn<QStringList>("lockedFiles");
    QTest::addColumn<QStringList>("missingFiles");
    QTest::addColumn<int>("source");
    QTest::newRow("variable set") << false << "/srv/desk" << true << SettingsFiles::All << QStringList()
                                  << int(FolderSource::Variable);
    QTest::newRow("writable executable folder")
        << false << "" << false << QStringList() << QStringList() << int(FolderSource::Executable);
    QTest::newRow("locked folder, every file writable")
        << false << "" << true << QStringList() << QStringList() << int(FolderSource::Executable);
    QTest::newRow("locked folder, one file read-only")
        << false << "" << true << QStringList{"DPOS1.ini"} << QStringList() << int(FolderSource::PerUser);
    QTest::newRow("locked folder, a file missing")
        << false << "" << true << QStringList() << QStringList{"OH.ini"} << int(FolderSource::PerUser);
    QTest::newRow("read-only install")
        << false << "" << true << SettingsFiles::All << QStringList() << int(FolderSource::PerUser);
    QTest::newRow("installed program, variable set")
        << true << "/srv/desk" << false << QStringList() << QStringList() << int(FolderSource::Variable);
    QTest::newRow("installed program, bin folder writable (root)")
        << true << "" << false << QStringList() << QStringList() << int(FolderSource::PerUser);
    QTest::newRow("installed program, operator")
        << true << "" << true << SettingsFiles::All << QStringList() << int(FolderSource::PerUser);
}

void TestAppFolder::choice() {
    QFETCH(bool, installed);
    QFETCH(QString, variable);
    QFETCH(bool, folderLocked);
    QFETCH(QStringList, lockedFiles);
    QFETCH(QStringList, missingFiles);
    QFETCH(int, source);
    Desk desk(installed);
    if (folderLocked)
        desk.lockExecutableFolder(lockedFiles);
    for (const QString& name : missingFiles)
        QVERIFY(QFile::remove(desk.defaults(name)));
    const FolderChoice choice = ChooseApplicationFolder(desk.places(variable));
    QCOMPARE(int(choice.source), source);
    const QString expected = source == int(FolderSource::Variable)     ? variable
                             : source == int(FolderSource::Executable) ? desk.bin()
                                                                       : desk.user();
    QCOMPARE(choice.folder, expected);
    QCOMPARE(choice.defaultsFolder, desk.defaults());
}

void TestAppFolder::perUserFolderIsFilled_data() {
    QTest::addColumn<bool>("installed");
    QTest::newRow("from beside the executable") << false;
    QTest::newRow("from the installed share folder") << true;
}

void TestAppFolder::perUserFolderIsFilled() {
    QFETCH(bool, installed);
    Desk desk(installed);
    desk.lockExecutableFolder(SettingsFiles::All);
    // A default shipped read-only must still become the operator's to rewrite.
    QFile::setPermissions(desk.defaults("OH.ini"), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    const FolderChoice choice = ChooseApplicationFolder(desk.places());
    QCOMPARE(choice.source, FolderSource::PerUser);
    FillUserFolder(choice, SettingsFiles::All);
    for (const QString& name : SettingsFiles::All) {
        QCOMPARE(ReadFileBytes(desk.user(name)), QByteArray("default " + name.toUtf8() + "\r\n2\r\n"));
        QVERIFY2(QFile::permissions(desk.user(name)) & QFileDevice::WriteOwner, qPrintable(name));
    }
    // The glyph database is not copied: it is read from the defaults.
    QCOMPARE(QDir(desk.user()).entryList(QDir::Files).size(), SettingsFiles::All.size());
}

void TestAppFolder::existingFilesAreKept() {
    Desk desk;
    desk.lockExecutableFolder(SettingsFiles::All);
    Desk::write(desk.user("OH.ini"), "COM1\r\n1\r\n");
    Desk::write(desk.user("DPOS.ini"), "operator's layout\r\n");
    const FolderChoice choice = ChooseApplicationFolder(desk.places());
    FillUserFolder(choice, SettingsFiles::All);
    QCOMPARE(ReadFileBytes(desk.user("OH.ini")), QByteArray("COM1\r\n1\r\n"));
    QCOMPARE(ReadFileBytes(desk.user("DPOS.ini")), QByteArray("operator's layout\r\n"));
    QCOMPARE(ReadFileBytes(desk.user("position.ini")), ReadFileBytes(desk.defaults("position.ini")));
    // A second start changes nothing.
    Desk::write(desk.user("position.ini"), "7\r\n8\r\n");
    FillUserFolder(choice, SettingsFiles::All);
    QCOMPARE(ReadFileBytes(desk.user("position.ini")), QByteArray("7\r\n8\r\n"));
}

void TestAppFolder::failedFirstCopy_data() {
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("per-user folder cannot be made")
        << "folder below a file" << QStringList{"개인 설정 폴더", "home/.local"};
    QTest::newRow("a default cannot be read") << "unreadable default" << QStringList{"개인 설정 폴더", "position1.ini"};
    QTest::newRow("HOME unset") << "no home" << QStringList{"사용자 폴더를 알 수 없습니다", "HOME"};
}

void TestAppFolder::failedFirstCopy() {
    QFETCH(QString, trouble);
    QFETCH(QStringList, named);
    Desk desk;
    desk.lockExecutableFolder(SettingsFiles::All);
    FolderPlaces places = desk.places();
    if (trouble == "folder below a file") {
        Desk::write(desk.dir.filePath("home/.local"), "a file where a folder belongs");
    } else if (trouble == "unreadable default") {
        QVERIFY(QFile::remove(desk.defaults("position1.ini")));
        QVERIFY(QDir().mkpath(desk.defaults("position1.ini")));
    } else {
        const QByteArray home = qgetenv("HOME");
        qunsetenv("HOME");
        places.userFolder = SystemFolderPlaces().userFolder;
        qputenv("HOME", home);
        QCOMPARE(places.userFolder, QString());
    }
    const FolderChoice choice = ChooseApplicationFolder(places);
    QCOMPARE(choice.source, FolderSource::PerUser);
    QString message;
    try {
        FillUserFolder(choice, SettingsFiles::All);
    } catch (const Failure& failure) {
        message = failure.message();
    }
    for (const QString& part : named)
        QVERIFY2(message.contains(part), qPrintable(message));
}

void TestAppFolder::glyphDatabaseLocation_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("ownCopy");
    QTest::addColumn<bool>("fromDefaults");
    QTest::newRow("per-user folder without a copy") << int(FolderSource::PerUser) << false << true;
    QTest::newRow("per-user folder with its own copy") << int(FolderSource::PerUser) << true << false;
    QTest::newRow("executable folder") << int(FolderSource::Executable) << false << true;
    QTest::newRow("variable, even without one") << int(FolderSource::Variable) << false << false;
}

void TestAppFolder::glyphDatabaseLocation() {
    QFETCH(int, source);
    QFETCH(bool, ownCopy);
    QFETCH(bool, fromDefaults);
    Desk desk;
    const QString name = QStringLiteral("견고딕24X24.mdb");
    Desk::write(desk.defaults(name), "shipped");
    const QString own = source == int(FolderSource::Variable) ? desk.dir.filePath("desk") : desk.user();
    if (ownCopy)
        Desk::write(own + "/" + name, "own");
    FolderChoice choice{FolderSource(source), own, desk.defaults()};
    if (source == int(FolderSource::Executable))
        choice.folder = desk.defaults();
    QCOMPARE(ShippedFile(choice, name), fromDefaults ? desk.defaults(name) : own + "/" + name);
}

QTEST_MAIN(TestAppFolder)
#include "tst_appfolder.moc"
