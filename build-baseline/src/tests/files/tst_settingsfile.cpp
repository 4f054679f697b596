#include <QTest>

#include "fakes/fakeplatform.h"
#include "files/settingsfile.h"

using namespace zelvano;

namespace {

const BellSettings defaults {};

// Six values whose bytes are all distinct, so a swapped or misaligned field shows.
const BellSettings sample { { 0x04030201, -2, 600, INT32_MIN, INT32_MAX, 0 } };

// One way of making the settings file fail.
struct Breakage
{
    const char* name;
    void (*apply)(FakePlatform&);
};

void lock(FakePlatform& p) { p.lockedFiles.insert(settingsFileName); }
void makeReadOnly(FakePlatform& p) { p.readOnlyFiles.insert(settingsFileName); }
void failReads(FakePlatform& p) { p.failReads = true; }
void failWrites(FakePlatform& p) { p.failWrites = true; }
void failCloses(FakePlatform& p) { p.failCloses = true; }

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void layoutIsSixLittleEndianIntegers();
    void shortFilesGiveAllDefaults();
    void missingFileIsCreatedEmpty();
    void extraBytesAreIgnoredAndKept();
    void valuesLoadUnchecked();
    void failuresGiveDefaultsAndATrace();
    void failedSavesAreTraced();
};

void TestSettingsFile::layoutIsSixLittleEndianIntegers()
{
    const std::string bytes = encodeSettings(BellSettings {});
    const std::string expected("\x0a\0\0\0\x0d\0\0\0\x0f\0\0\0\x01\0\0\0\x02\0\0\0\x03\0\0\0", 24);
    QCOMPARE(bytes, expected);
    QCOMPARE(
        encodeSettings(sample).substr(0, 8), std::string("\x01\x02\x03\x04\xfe\xff\xff\xff", 8));
    QCOMPARE(decodeSettings(encodeSettings(sample)), std::optional<BellSettings>(sample));
}

void TestSettingsFile::shortFilesGiveAllDefaults()
{
    // Five values of a 23-byte file are complete, yet none is taken.
    const std::string full = encodeSettings(sample);
    for (std::size_t length = 0; length < settingsFileSize; ++length) {
        FakePlatform platform;
        platform.files[settingsFileName] = full.substr(0, length);
        BellSettings settings = sample;
        loadSettings(platform, settings);
        QVERIFY2(settings == defaults, std::to_string(length).c_str());
        QCOMPARE(platform.traces, std::vector<std::string> { "File IO Error" });
    }
}

void TestSettingsFile::missingFileIsCreatedEmpty()
{
    FakePlatform platform;
    BellSettings settings = sample;
    loadSettings(platform, settings);
    QVERIFY(settings == defaults);
    QCOMPARE(platform.files.at(settingsFileName), std::string());
}

void TestSettingsFile::extraBytesAreIgnoredAndKept()
{
    FakePlatform platform;
    const std::string tail = "tail!!";
    platform.files[settingsFileName] = encodeSettings(sample) + tail;
    BellSettings settings;
    loadSettings(platform, settings);
    QVERIFY(settings == sample);
    QVERIFY(platform.traces.empty());

    QVERIFY(saveSettings(platform, defaults));
    QCOMPARE(platform.files[settingsFileName], encodeSettings(defaults) + tail);
    QCOMPARE(platform.writeSizes, std::vector<std::size_t> { 24 }); // one write
}

void TestSettingsFile::valuesLoadUnchecked()
{
    FakePlatform platform;
    const BellSettings outOfRange { { 0, 1000, -7, 0, 9, -1 } };
    platform.files[settingsFileName] = encodeSettings(outOfRange);
    BellSettings settings;
    loadSettings(platform, settings);
    QVERIFY(settings == outOfRange);
}

void TestSettingsFile::failuresGiveDefaultsAndATrace()
{
    const Breakage breakages[] = {
        { "locked by another program", lock },
        { "read error", failReads },
        { "close error", failCloses },
    };
    for (const Breakage& c : breakages) {
        FakePlatform platform;
        platform.files[settingsFileName] = encodeSettings(sample);
        c.apply(platform);
        BellSettings settings = sample;
        loadSettings(platform, settings);
        QVERIFY2(settings == defaults, c.name);
        QCOMPARE(platform.traces, std::vector<std::string> { "File IO Error" });
    }

    FakePlatform readOnly;
    readOnly.files[settingsFileName] = encodeSettings(sample);
    makeReadOnly(readOnly);
    BellSettings settings;
    loadSettings(readOnly, settings);
    QVERIFY(settings == sample);
}

void TestSettingsFile::failedSavesAreTraced()
{
    const Breakage breakages[] = {
        { "read-only", makeReadOnly },
        { "locked by another program", lock },
        { "write error", failWrites },
        { "close error", failCloses },
    };
    for (const Breakage& c : breakages) {
        FakePlatform platform;
        c.apply(platform);
        QVERIFY2(!saveSettings(platform, sample), c.name);
        QCOMPARE(platform.traces, std::vector<std::string> { "File IO Error" });
    }
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
