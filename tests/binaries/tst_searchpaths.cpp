#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Why one entry of a binary's RPATH or RUNPATH is unsafe, or an empty string when it is not. An
// empty or relative entry is looked up from the current folder; $ORIGIN is the binary's own
// folder and may only lead to places inside root, the tree the binary was built or installed in.
QString unsafeEntry(const QString& entry, const QString& binaryFolder, const QString& root)
{
    static const QRegularExpression origin(QStringLiteral(R"(^\$(ORIGIN|\{ORIGIN\})(?=/|$))"));
    if (entry.isEmpty())
        return QStringLiteral("an empty entry (the current folder)");
    if (const QRegularExpressionMatch match = origin.match(entry); match.hasMatch()) {
        const QString resolved = QDir::cleanPath(binaryFolder + entry.mid(match.capturedLength()));
        if (resolved == root || resolved.startsWith(root + QLatin1Char('/')))
            return {};
        return QStringLiteral("%1 leads out of %2, to %3").arg(entry, root, resolved);
    }
    if (!entry.startsWith(QLatin1Char('/')))
        return QStringLiteral("the relative entry \"%1\"").arg(entry);
    return {};
}

bool isElf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
        && file.read(4)
        == QByteArray("\x7f"
                      "ELF",
            4);
}

// The ELF files below root that can be run or loaded, leaving out CMake's own probes.
QStringList binariesBelow(const QString& root)
{
    QStringList binaries;
    QDirIterator files(root, QDir::Files | QDir::Executable, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (!path.contains(QStringLiteral("/CMakeFiles/")) && isElf(path))
            binaries << path;
    }
    return binaries;
}

// The entries of the binary's RPATH and RUNPATH, empty ones included; nothing when readelf fails.
std::optional<QStringList> searchPathEntries(const QString& binary)
{
    QProcess readelf;
    readelf.start(
        QStringLiteral("readelf"), { QStringLiteral("-d"), QStringLiteral("-W"), binary });
    if (!readelf.waitForFinished(10000) || readelf.exitStatus() != QProcess::NormalExit
        || readelf.exitCode() != 0)
        return std::nullopt;
    static const QRegularExpression path(
        QStringLiteral(R"(\((?:RPATH|RUNPATH)\)\s+Library r(?:un)?path: \[(.*)\])"));
    QStringList entries;
    for (QRegularExpressionMatchIterator it
         = path.globalMatch(QString::fromLocal8Bit(readelf.readAllStandardOutput()));
         it.hasNext();)
        entries << it.next().captured(1).split(QLatin1Char(':'));
    return entries;
}

} // namespace

class TestSearchPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void entriesAreJudgedByWhereTheyLead_data();
    void entriesAreJudgedByWhereTheyLead();
    void noBinaryLooksInTheStartFolder_data();
    void noBinaryLooksInTheStartFolder();

private:
    QTemporaryDir m_installRoot;
};

void TestSearchPaths::initTestCase()
{
    QVERIFY(m_installRoot.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(ZELVANO_CMAKE),
        { QStringLiteral("--install"), QStringLiteral(ZELVANO_BUILD_DIR),
            QStringLiteral("--prefix"), m_installRoot.path() });
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void TestSearchPaths::entriesAreJudgedByWhereTheyLead_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("safe");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("relative") << "lib" << false;
    QTest::newRow("bare token") << "$LIB" << false;
    QTest::newRow("absolute") << "/usr/lib/x86_64-linux-gnu" << true;
    QTest::newRow("origin") << "$ORIGIN" << true;
    QTest::newRow("origin inside") << "$ORIGIN/../lib" << true;
    QTest::newRow("braced origin inside") << "${ORIGIN}/../lib" << true;
    QTest::newRow("origin outside") << "$ORIGIN/../.." << false;
    QTest::newRow("origin-like name") << "$ORIGINAL/lib" << false;
}

void TestSearchPaths::entriesAreJudgedByWhereTheyLead()
{
    QFETCH(QString, entry);
    QFETCH(bool, safe);
    QCOMPARE(
        unsafeEntry(entry, QStringLiteral("/opt/tree/bin"), QStringLiteral("/opt/tree")).isEmpty(),
        safe);
}

void TestSearchPaths::noBinaryLooksInTheStartFolder_data()
{
    QTest::addColumn<QString>("binary");
    QTest::addColumn<QString>("root");
    for (const QString& root : { QStringLiteral(ZELVANO_BUILD_DIR), m_installRoot.path() }) {
        const QStringList binaries = binariesBelow(root);
        QVERIFY2(!binaries.isEmpty(), qPrintable(root));
        for (const QString& binary : binaries)
            QTest::newRow(qPrintable(QDir(root).relativeFilePath(binary))) << binary << root;
    }
}

void TestSearchPaths::noBinaryLooksInTheStartFolder()
{
    QFETCH(QString, binary);
    QFETCH(QString, root);
    const std::optional<QStringList> entries = searchPathEntries(binary);
    QVERIFY2(entries, "readelf could not read the dynamic section");
    for (const QString& entry : *entries) {
        const QString problem = unsafeEntry(entry, QFileInfo(binary).absolutePath(), root);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

QTEST_APPLESS_MAIN(TestSearchPaths)
#include "tst_searchpaths.moc"
