#include <QTest>

#include "core/texts.h"
#include "fakes/fakeplatform.h"
#include "files/choicesfile.h"
#include "files/settingsfile.h"

using namespace zelvano;

Q_DECLARE_METATYPE(std::string)

class TestChoicesFile : public QObject
{
    Q_OBJECT

private slots:
    void choicesAreReadAndWrittenBackWithWhatElseTheFileHolds_data();
    void choicesAreReadAndWrittenBackWithWhatElseTheFileHolds();
    void unusableFilesGiveTheDefaultsAndOneTrace_data();
    void unusableFilesGiveTheDefaultsAndOneTrace();
};

namespace {

// The choices as the four letters of those that are on: t(op), c(olours), r(emaining), l(aps).
QString letters(const WindowChoices& choices)
{
    QString on;
    on += choices.stayOnTop ? QLatin1Char('t') : QLatin1Char('-');
    on += choices.bellColours ? QLatin1Char('c') : QLatin1Char('-');
    on += choices.remainingLarge ? QLatin1Char('r') : QLatin1Char('-');
    on += choices.lapsFromSlideTurns ? QLatin1Char('l') : QLatin1Char('-');
    return on;
}

} // namespace

void TestChoicesFile::choicesAreReadAndWrittenBackWithWhatElseTheFileHolds_data()
{
    // The file, the choices read from it, and the file written back after bell colours are
    // switched on.
    QTest::addColumn<std::string>("file");
    QTest::addColumn<QString>("read");
    QTest::addColumn<std::string>("written");
    QTest::newRow("no lines") << std::string() << "----"
                              << std::string("stay-on-top=0\nbell-colours=1\nremaining-large=0\n"
                                             "laps-from-slide-turns=0\n");
    QTest::newRow("all on") << std::string("stay-on-top=1\nbell-colours=1\nremaining-large=1\n"
                                           "laps-from-slide-turns=1\n")
                            << "tcrl"
                            << std::string("stay-on-top=1\nbell-colours=1\nremaining-large=1\n"
                                           "laps-from-slide-turns=1\n");
    QTest::newRow("other lines stay where they are, missing names come last")
        << std::string("# mine\r\nremaining-large = 1\r\n\r\nfuture-choice=7\r\nno equals sign")
        << "--r-"
        << std::string("# mine\nremaining-large=1\n\nfuture-choice=7\nno equals sign\n"
                       "stay-on-top=0\nbell-colours=1\nlaps-from-slide-turns=0\n");
    QTest::newRow("the last of a name twice")
        << std::string("stay-on-top=1\nstay-on-top=0\n") << "----"
        << std::string("stay-on-top=0\nstay-on-top=0\n"
                       "bell-colours=1\nremaining-large=0\n"
                       "laps-from-slide-turns=0\n");
}

void TestChoicesFile::choicesAreReadAndWrittenBackWithWhatElseTheFileHolds()
{
    QFETCH(std::string, file);
    QFETCH(QString, read);
    QFETCH(std::string, written);
    FakePlatform platform;
    platform.files[choicesFileName] = file;
    ChoicesFile choices = loadChoices(platform);
    QCOMPARE(letters(choices.choices), read);
    QVERIFY(platform.traces.empty());
    choices.choices.bellColours = true;
    QVERIFY(saveChoices(platform, choices));
    QCOMPARE(platform.files[choicesFileName], written);
    QCOMPARE(letters(loadChoices(platform).choices), QString(read).replace(1, 1, QLatin1Char('c')));
}

void TestChoicesFile::unusableFilesGiveTheDefaultsAndOneTrace_data()
{
    QTest::addColumn<std::string>("file"); // nothing: no file at all
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("unreadable");
    const std::string on = "bell-colours=1\n";
    QTest::newRow("missing") << std::string("\x01missing") << false << false;
    QTest::newRow("held by another program") << on << true << false;
    QTest::newRow("unreadable") << on << false << true;
    QTest::newRow("a value not 0 or 1")
        << std::string("stay-on-top=1\nbell-colours=yes\n") << false << false;
    QTest::newRow("a NUL byte") << std::string("bell-colours=1\n\0", 16) << false << false;
    QTest::newRow("too large") << on + std::string(choicesFileLimit, '#') << false << false;
}

void TestChoicesFile::unusableFilesGiveTheDefaultsAndOneTrace()
{
    QFETCH(std::string, file);
    QFETCH(bool, locked);
    QFETCH(bool, unreadable);
    FakePlatform platform;
    if (file != "\x01missing")
        platform.files[choicesFileName] = file;
    if (locked)
        platform.lockedFiles.insert(choicesFileName);
    platform.failReads = unreadable;
    const auto before = platform.files;
    QCOMPARE(loadChoices(platform).choices, WindowChoices {});
    QCOMPARE(platform.traces, std::vector<std::string> { texts::choicesNotReadTrace });
    QCOMPARE(platform.files, before); // nothing created, and the settings file untouched

    // The next change of a choice writes a whole new file, unless another program holds it.
    platform.traces.clear();
    QCOMPARE(saveChoices(platform, ChoicesFile {}), !locked);
    QCOMPARE(platform.traces.size(), locked ? 1U : 0U);
    QVERIFY(!platform.files.count(settingsFileName));
}

QTEST_APPLESS_MAIN(TestChoicesFile)
#include "tst_choicesfile.moc"
