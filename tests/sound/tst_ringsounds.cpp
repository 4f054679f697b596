#include <cstring>
#include <map>

#include <QTest>

#include "sound/ringsounds.h"
#include "support/tonewav.h"

using namespace zelvano;

namespace {

// Files by path, each with its version and bytes; counts how often any file was read.
struct FakeSoundFiles
{
    std::map<std::string, std::pair<std::string, QByteArray>> files;
    int reads = 0;

    OpenSoundFile opener()
    {
        return [this](const std::string& path) -> std::optional<SoundFile> {
            const auto found = files.find(path);
            if (found == files.end())
                return std::nullopt;
            const QByteArray bytes = found->second.second;
            SoundFile file { found->second.first, std::uint64_t(bytes.size()), {} };
            file.readAt = [this, bytes](std::uint64_t offset, char* buffer, std::size_t size) {
                ++reads;
                const auto length = std::size_t(bytes.size());
                const auto from = std::size_t(std::min<std::uint64_t>(offset, length));
                const std::size_t count = std::min(size, length - from);
                std::memcpy(buffer, bytes.constData() + from, count);
                return std::optional<std::size_t>(count);
            };
            return file;
        };
    }
};

} // namespace

class TestRingSounds : public QObject
{
    Q_OBJECT

private slots:
    void onlySoundsLongEnoughToHearAreRung_data();
    void onlySoundsLongEnoughToHearAreRung();
    void aFileIsDecodedAgainOnlyWhenItChanged();
};

void TestRingSounds::onlySoundsLongEnoughToHearAreRung_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("rung");
    const WavShape narrow { 16, 1, 8000 }; // 8 samples a millisecond
    const QByteArray tone = struckToneWav(1500.0, 600);
    QTest::newRow("600 ms") << tone << true;
    QTest::newRow("50 ms") << struckToneWav(1500.0, 50, narrow) << true;
    QTest::newRow("49 ms") << struckToneWav(1500.0, 49, narrow) << false;
    QTest::newRow("cut short while copied") << tone.left(tone.size() - 2) << false;
    QTest::newRow("not a sound") << QByteArray("hello") << false;
}

// Whatever is wrong with the file, the caller is told to ring the bell instead.
void TestRingSounds::onlySoundsLongEnoughToHearAreRung()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, rung);
    FakeSoundFiles files;
    files.files["/talk/ring.wav"] = { "v1", file };
    RingSounds sounds(builtInBellWav(), files.opener());
    QVERIFY(sounds.bell());
    QCOMPARE(bool(sounds.file("/talk/ring.wav")), rung);
    QVERIFY(!sounds.file("/talk/missing.wav"));
}

void TestRingSounds::aFileIsDecodedAgainOnlyWhenItChanged()
{
    FakeSoundFiles files;
    files.files["/a/ring.wav"] = { "v1", struckToneWav(1500.0, 600) };
    files.files["/b/ring.wav"] = { "v1", struckToneWav(1100.0, 600) };
    RingSounds sounds(builtInBellWav(), files.opener());
    const auto first = sounds.file("/a/ring.wav");
    const int readsForOne = files.reads;
    QCOMPARE(sounds.file("/a/ring.wav"), first);
    QCOMPARE(files.reads, readsForOne);

    // Another path with the same version stamp is another file.
    QVERIFY(sounds.file("/b/ring.wav") != first);
    files.files["/a/ring.wav"] = { "v2", QByteArray("no longer a sound") };
    QVERIFY(!sounds.file("/a/ring.wav"));
}

QTEST_APPLESS_MAIN(TestRingSounds)
#include "tst_ringsounds.moc"
