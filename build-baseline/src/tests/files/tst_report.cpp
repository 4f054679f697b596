#include <QFile>
#include <QTest>

#include "fakes/fakecontext.h"
#include "files/cp932.h"
#include "files/report.h"

using namespace zelvano;

namespace {

const std::vector<std::string> twoSlides { "[Slide001]   1:15  累積:  1:15",
    "[Slide002]   2:05  累積:  3:20" };

std::string golden(const char* name)
{
    QFile file(QStringLiteral(ZELVANO_TEST_DATA "/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing golden file %s", name);
    return file.readAll().toStdString();
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void buildsTheTwoSlideExampleByteForByte();
    void padsTheHeaderFields_data();
    void padsTheHeaderFields();
    void refusesAnEmptyLapList();
    void writesTheListInListOrderToTheChosenPath();
    void cancelWritesNothing();
    void failedWritesAreShownAndTraced();
    void longReportsGoOutInBufferSizedWrites_data();
    void longReportsGoOutInBufferSizedWrites();
};

void TestReport::buildsTheTwoSlideExampleByteForByte()
{
    const std::optional<std::string> bytes
        = encodeCp932(buildReport({ 2002, 4, 30, 11, 5, 9 }, twoSlides));
    QVERIFY(bytes);
    QCOMPARE(bytes->size(), std::size_t { 99 });
    QCOMPARE(*bytes, golden("two-slides.txt"));
}

void TestReport::padsTheHeaderFields_data()
{
    QTest::addColumn<QList<int>>("time");
    QTest::addColumn<QString>("header");
    QTest::newRow("single digits")
        << QList<int> { 2026, 9, 4, 9, 5, 3 } << "発表日　2026年 9月 4日 09:05:03";
    QTest::newRow("double digits")
        << QList<int> { 1999, 12, 31, 23, 59, 59 } << "発表日　1999年12月31日 23:59:59";
    QTest::newRow("short year") << QList<int> { 987, 1, 1, 0, 0, 0 }
                                << "発表日　 987年 1月 1日 00:00:00";
}

void TestReport::padsTheHeaderFields()
{
    QFETCH(QList<int>, time);
    QFETCH(QString, header);
    const LocalTime localTime { time[0], time[1], time[2], time[3], time[4], time[5] };
    QCOMPARE(QString::fromStdString(buildReport(localTime, {})), header + "\r\n\r\n");
}

void TestReport::refusesAnEmptyLapList()
{
    FakeContext f;
    f.view.chooserAnswer = "/tmp/result.txt";
    onSave(f.context);
    QCOMPARE(f.view.errorBoxes,
        (std::vector<std::pair<std::string, std::string>> {
            { "スライドデータがありません", "スライド数エラー" } }));
    QVERIFY(f.view.chooserRequests.empty());
    QVERIFY(f.platform.files.empty());
}

void TestReport::writesTheListInListOrderToTheChosenPath()
{
    FakeContext f;
    f.state = { 200, 200, 2, false };
    for (const std::string& line : twoSlides)
        f.view.addLapLine(line);
    f.platform.files["/elsewhere/talk.txt"] = "an older, longer report that gets replaced";
    f.view.chooserAnswer = "/elsewhere/talk.txt";
    f.view.tickArmed = true;
    onSave(f.context);

    QCOMPARE(f.view.chooserRequests,
        (std::vector<std::pair<std::string, std::string>> { { "result.txt", "txt" } }));
    QCOMPARE(f.platform.files.at("/elsewhere/talk.txt"), golden("two-slides.txt"));
    QVERIFY(f.view.errorBoxes.empty());
    QVERIFY(f.platform.traces.empty());
    // Saving leaves the run alone and never touches the settings file.
    QVERIFY(f.view.tickArmed);
    QCOMPARE(f.view.lapLines, twoSlides);
    QCOMPARE(f.state.slideCount, 2);
    QCOMPARE(f.platform.files.size(), std::size_t { 1 });
}

void TestReport::cancelWritesNothing()
{
    FakeContext f;
    f.view.addLapLine(twoSlides[0]);
    onSave(f.context);
    QCOMPARE(f.view.chooserRequests.size(), std::size_t { 1 });
    QVERIFY(f.platform.files.empty());
    QVERIFY(f.view.errorBoxes.empty());
}

void TestReport::failedWritesAreShownAndTraced()
{
    struct Case
    {
        const char* name;
        std::string line;
        void (*breakIt)(FakePlatform&);
    };
    const Case cases[] = {
        { "locked", twoSlides[0], [](FakePlatform& p) { p.lockedFiles.insert("/r.txt"); } },
        { "read-only", twoSlides[0], [](FakePlatform& p) { p.readOnlyFiles.insert("/r.txt"); } },
        { "write error", twoSlides[0], [](FakePlatform& p) { p.failWrites = true; } },
        { "close error", twoSlides[0], [](FakePlatform& p) { p.failCloses = true; } },
        { "not encodable", "[Slide001] ✓", [](FakePlatform&) {} },
    };
    for (const Case& c : cases) {
        FakeContext f;
        f.view.addLapLine(c.line);
        f.view.chooserAnswer = "/r.txt";
        c.breakIt(f.platform);
        onSave(f.context);
        QVERIFY2(f.platform.traces == std::vector<std::string> { "File IO Error" }, c.name);
        QVERIFY2(f.view.errorBoxes
                == (std::vector<std::pair<std::string, std::string>> {
                    { "レポートを保存できませんでした", "保存エラー" } }),
            c.name);
    }
}

void TestReport::longReportsGoOutInBufferSizedWrites_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("writes");
    QTest::newRow("fits the buffer") << 4096 << QList<int> { 4096 };
    QTest::newRow("one byte over") << 4097 << QList<int> { 4096, 1 };
    QTest::newRow("5000") << 5000 << QList<int> { 4096, 904 };
    QTest::newRow("20000") << 20000 << QList<int> { 4096, 12288, 3616 };
    QTest::newRow("exact multiple") << 12288 << QList<int> { 4096, 8192 };
}

void TestReport::longReportsGoOutInBufferSizedWrites()
{
    QFETCH(int, size);
    QFETCH(QList<int>, writes);
    FakeContext f;
    const std::size_t headerSize = encodeCp932(buildReport(f.platform.now, {}))->size();
    // Lap lines of plain ASCII sized so that the report is exactly `size` bytes.
    std::size_t remaining = static_cast<std::size_t>(size) - headerSize;
    for (int i = 0; remaining > 0; ++i) {
        const std::size_t length = std::min<std::size_t>(remaining, 40) - 2;
        f.view.lapLines.push_back(std::string(length, static_cast<char>('a' + i % 26)));
        remaining -= length + 2;
    }
    f.view.chooserAnswer = "big.txt";
    onSave(f.context);
    QCOMPARE(f.platform.files.at("big.txt").size(), static_cast<std::size_t>(size));
    std::vector<std::size_t> expected;
    for (const int w : writes)
        expected.push_back(static_cast<std::size_t>(w));
    QCOMPARE(f.platform.writeSizes, expected);
}

QTEST_APPLESS_MAIN(TestReport)
#include "tst_report.moc"
