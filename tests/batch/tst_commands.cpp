#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Both commands as a shell runs them: --version and --help answer without a display, and what
// hanlabel-batch writes on stderr is its own.
class TestCommands : public QObject {
    Q_OBJECT
  private slots:
    void answers_data();
    void answers();
};

void TestCommands::answers_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // added to a display-less environment
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine");       // of stdout
    QTest::addColumn<QString>("errors");          // stderr exactly, unless `errorsContain`
    QTest::addColumn<bool>("errorsContain");

    const QString program = QStringLiteral(HANLABEL_PROGRAM);
    const QString batch = QStringLiteral(HANLABEL_BATCH);
    QTest::newRow("hanlabel --version") << program << QStringList{"--version"} << QStringList() << 0
                                        << "hanlabel 1.0" << "" << false;
    QTest::newRow("hanlabel --help") << program << QStringList{"--help"} << QStringList() << 0
                                     << "사용법: hanlabel [--help | --version]" << "" << false;
    QTest::newRow("hanlabel, other arguments ignored")
        << program << QStringList{"-geometry", "10x10", "--version"} << QStringList() << 0 << "hanlabel 1.0" << ""
        << false;
    QTest::newRow("hanlabel-batch --version") << batch << QStringList{"--version"} << QStringList() << 0
                                              << "hanlabel-batch 1.0" << "" << false;
    QTest::newRow("hanlabel-batch --help, no Qt warning")
        << batch << QStringList{"--help"} << QStringList() << 0 << "사용법:" << "" << false;
    QTest::newRow("hanlabel-batch --help, Qt warnings asked for")
        << batch << QStringList{"--help"} << QStringList{"QT_LOGGING_RULES=*.warning=true"} << 0 << "사용법:"
        << "QStandardPaths: XDG_RUNTIME_DIR not set" << true;
    QTest::newRow("hanlabel-batch usage error")
        << batch << QStringList() << QStringList() << 2 << ""
        << "hanlabel-batch: 명령이 없습니다: book 또는 members를 주십시오.\n"
           "hanlabel-batch: 도움말: hanlabel-batch --help\n"
        << false;
}

void TestCommands::answers() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, firstLine);
    QFETCH(QString, errors);
    QFETCH(bool, errorsContain);

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_LOGGING_RULES", "QT_LOGGING_CONF"})
        env.remove(QString::fromLatin1(name));
    // A window would need the X display that is not there; hanlabel-batch never needs one.
    if (program == QStringLiteral(HANLABEL_PROGRAM))
        env.insert("QT_QPA_PLATFORM", "xcb");
    else
        env.remove("QT_QPA_PLATFORM");
    env.insert("HOME", home.path());
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == status, qPrintable(err));
    QCOMPARE(out.section(u'\n', 0, 0), firstLine);
    if (errorsContain)
        QVERIFY2(err.contains(errors), qPrintable(err));
    else
        QCOMPARE(err, errors);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
