#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "files/settingsfile.h"
#include "platform/diskfile_posix.h"

using namespace zelvano;

// The real files behind the settings and the report, in a temporary folder.
class TestDiskFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readCreatesAMissingFileEmpty();
    void replacingLeavesTheOldFileOrTheNewOneWhole();
    void writeKeepLeavesTheTail();
    void readersShareAndWritersAreAlone();
    void fileSystemsWithoutLocksStillWork_data();
    void fileSystemsWithoutLocksStillWork();
    void truncationWaitsForTheLock();
    void directoryCannotBeOpened();
    void readOnlyFileReadsButDoesNotWrite();
    void onlyRegularFilesOpenAndNothingWaits_data();
    void onlyRegularFilesOpenAndNothingWaits();

private:
    std::string path(const char* name) const
    {
        return QDir(m_dir.path()).filePath(name).toStdString();
    }
    static std::string contents(const std::string& file)
    {
        QFile f(QString::fromStdString(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString()
                                           : std::string("<unreadable>");
    }
    static void put(const std::string& file, const std::string& bytes)
    {
        QFile f(QString::fromStdString(file));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes.data(), static_cast<qint64>(bytes.size())),
            static_cast<qint64>(bytes.size()));
    }

    QTemporaryDir m_dir;
};

void TestDiskFile::init() { QVERIFY(m_dir.isValid()); }

void TestDiskFile::readCreatesAMissingFileEmpty()
{
    const std::string file = path("created.ini");
    auto handle = openDiskFile(file, OpenMode::ReadCreate);
    QVERIFY(handle);
    char buffer[8];
    QCOMPARE(handle->read(buffer, sizeof buffer), std::optional<std::size_t>(0));
    QVERIFY(handle->close());
    QVERIFY(QFile::exists(QString::fromStdString(file)));
}

// A plain read of a missing file creates nothing; a replacement is all or nothing and leaves
// nothing beside, and the file beside is held as any written file is.
void TestDiskFile::replacingLeavesTheOldFileOrTheNewOneWhole()
{
    const std::string file = path("window.ini");
    QVERIFY(!openDiskFile(file, OpenMode::Read));
    QVERIFY(!QFile::exists(QString::fromStdString(file)));

    put(file + ".new", "left by a crash");
    QVERIFY(replaceDiskFile(file, "first"));
    QCOMPARE(contents(file), std::string("first"));
    QVERIFY(!QFile::exists(QString::fromStdString(file + ".new")));

    auto holder = openDiskFile(file + ".new", OpenMode::WriteKeep);
    QVERIFY(holder);
    QVERIFY(!replaceDiskFile(file, "second"));
    QCOMPARE(contents(file), std::string("first"));
    QVERIFY(holder->close());
    QVERIFY(replaceDiskFile(file, "third"));
    QCOMPARE(contents(file), std::string("third"));

    auto reader = openDiskFile(file, OpenMode::Read);
    QVERIFY(reader);
    char buffer[8];
    QCOMPARE(reader->read(buffer, sizeof buffer), std::optional<std::size_t>(5));
    QVERIFY(reader->close());
}

void TestDiskFile::writeKeepLeavesTheTail()
{
    const std::string file = path("keep.ini");
    put(file, "0123456789");
    auto handle = openDiskFile(file, OpenMode::WriteKeep);
    QVERIFY(handle);
    QVERIFY(handle->write("abc"));
    QVERIFY(handle->close());
    QCOMPARE(contents(file), std::string("abc3456789"));
}

void TestDiskFile::readersShareAndWritersAreAlone()
{
    const std::string file = path("locked.ini");
    auto reader = openDiskFile(file, OpenMode::ReadCreate);
    QVERIFY(reader);
    auto secondReader = openDiskFile(file, OpenMode::ReadCreate);
    QVERIFY(secondReader);
    QVERIFY(!openDiskFile(file, OpenMode::WriteKeep));
    QVERIFY(reader->close());
    QVERIFY(secondReader->close());

    auto writer = openDiskFile(file, OpenMode::WriteKeep);
    QVERIFY(writer);
    QVERIFY(!openDiskFile(file, OpenMode::ReadCreate));
    QVERIFY(!openDiskFile(file, OpenMode::WriteTruncate));
    QVERIFY(writer->close());
}

namespace {
int lockError = 0;
int lockOperation = 0;
int failingLock(int, int operation)
{
    lockOperation = operation;
    errno = lockError;
    return -1;
}
} // namespace

void TestDiskFile::fileSystemsWithoutLocksStillWork_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("opens");
    QTest::newRow("held by another process") << EWOULDBLOCK << false;
    QTest::newRow("NFS: exclusive lock on a reading descriptor") << EBADF << true;
    QTest::newRow("no lock manager") << ENOLCK << true;
    QTest::newRow("locks not supported") << EOPNOTSUPP << true;
    QTest::newRow("anything else") << EINVAL << false;
}

// Whatever the file system says to a lock, reading asks for a shared one and writing for an
// exclusive one; only a lock held elsewhere, or a real error, keeps the file closed.
void TestDiskFile::fileSystemsWithoutLocksStillWork()
{
    QFETCH(int, error);
    QFETCH(bool, opens);
    const std::string file = path("nfs.ini");
    put(file, "0123456789");
    lockError = error;
    for (const OpenMode mode :
        { OpenMode::ReadCreate, OpenMode::WriteKeep, OpenMode::WriteTruncate }) {
        auto handle = openDiskFile(file, mode, failingLock);
        QCOMPARE(bool(handle), opens);
        QCOMPARE(lockOperation, (mode == OpenMode::ReadCreate ? LOCK_SH : LOCK_EX) | LOCK_NB);
        if (handle)
            QVERIFY(handle->close());
    }
    // A file that was not opened is not emptied either.
    if (!opens)
        QCOMPARE(contents(file), std::string("0123456789"));
}

void TestDiskFile::truncationWaitsForTheLock()
{
    // Another copy holding the file keeps its contents: a failed open must not empty it.
    const std::string file = path("report.txt");
    put(file, "someone else's report");
    auto holder = openDiskFile(file, OpenMode::ReadCreate);
    QVERIFY(holder);
    QVERIFY(!openDiskFile(file, OpenMode::WriteTruncate));
    QCOMPARE(contents(file), std::string("someone else's report"));
    QVERIFY(holder->close());

    auto handle = openDiskFile(file, OpenMode::WriteTruncate);
    QVERIFY(handle);
    QVERIFY(handle->write("new"));
    QVERIFY(handle->close());
    QCOMPARE(contents(file), std::string("new"));
}

void TestDiskFile::directoryCannotBeOpened()
{
    QVERIFY(QDir(m_dir.path()).mkdir("config.ini"));
    QVERIFY(!openDiskFile(path("config.ini"), OpenMode::ReadCreate));
    QVERIFY(!openDiskFile(path("config.ini"), OpenMode::WriteKeep));
}

void TestDiskFile::readOnlyFileReadsButDoesNotWrite()
{
    const std::string file = path("readonly.ini");
    put(file, encodeSettings(BellSettings {}));
    QVERIFY(
        QFile::setPermissions(QString::fromStdString(file), QFile::ReadOwner | QFile::ReadUser));
    auto reader = openDiskFile(file, OpenMode::ReadCreate);
    QVERIFY(reader);
    QVERIFY(reader->close());
    if (::geteuid() == 0)
        QSKIP("root may write any file, so a read-only file cannot refuse a write here");
    QVERIFY(!openDiskFile(file, OpenMode::WriteKeep));
}

void TestDiskFile::onlyRegularFilesOpenAndNothingWaits_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("symlink to /dev/full") << "/dev/full";
    QTest::newRow("symlink to /dev/zero") << "/dev/zero";
    QTest::newRow("folder") << "folder";
}

// A FIFO without a writer would block a plain open for ever, /dev/zero would never end and
// /dev/full refuses every write: none of them is a file to read settings from or write into.
void TestDiskFile::onlyRegularFilesOpenAndNothingWaits()
{
    QFETCH(QString, kind);
    const std::string file = path("special");
    QFile::remove(QString::fromStdString(file));
    QDir(m_dir.path()).rmdir("special");
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(file.c_str(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(m_dir.path()).mkdir("special"));
    else
        QVERIFY(QFile::link(kind, QString::fromStdString(file)));
    for (const OpenMode mode :
        { OpenMode::ReadCreate, OpenMode::WriteKeep, OpenMode::WriteTruncate })
        QVERIFY2(!openDiskFile(file, mode), std::to_string(static_cast<int>(mode)).c_str());
}

QTEST_APPLESS_MAIN(TestDiskFile)
#include "tst_diskfile.moc"
