#include <QTest>

#include "lectern/lectern.h"
#include "lectern/lecternlayout.h"

using namespace zelvano;

Q_DECLARE_METATYPE(BellSettings)
Q_DECLARE_METATYPE(PixelRect)
Q_DECLARE_METATYPE(std::function<TextExtent(int)>)

class TestLectern : public QObject
{
    Q_OBJECT

private slots:
    void showsTheTimeToTheNextBell_data();
    void showsTheTimeToTheNextBell();
    void laysOutFacesOfAnyShape_data();
    void laysOutFacesOfAnyShape();
    void fitsTextForAnyFont_data();
    void fitsTextForAnyFont();
};

// What the speaker's view shows for the elapsed seconds, the bells and the two choices: the
// figure, the line beneath it (the bells reached while colour is on, then the time to the next
// bell, or the other way round with remainingLarge) and the figure's colour.
void TestLectern::showsTheTimeToTheNextBell_data()
{
    QTest::addColumn<BellSettings>("settings");
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<bool>("remainingLarge");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("captionLine");
    QTest::addColumn<int>("phase");
    const BellSettings defaults; // 10, 13, 15
    const BellSettings late { { 100, 1000, 2000, 1, 2, 3 } };
    const BellSettings outOfOrder { { 20, 5, 30, 1, 2, 3 } };
    QTest::newRow("start") << defaults << 0 << false << false << "0:00"
                           << "1回目のベルまで 10:00" << 0;
    QTest::newRow("start, colour") << defaults << 0 << true << false << "0:00"
                                   << "○○○  1回目のベルまで 10:00" << 0;
    QTest::newRow("no leading zeros") << defaults << 126 << false << false << "2:06"
                                      << "1回目のベルまで 7:54" << 0;
    QTest::newRow("a second before") << defaults << 599 << true << false << "9:59"
                                     << "○○○  1回目のベルまで 0:01" << 0;
    QTest::newRow("at a bell, the next") << defaults << 600 << true << false << "10:00"
                                         << "●○○  2回目のベルまで 3:00" << 1;
    QTest::newRow("at a bell, no colour") << defaults << 600 << false << false << "10:00"
                                          << "2回目のベルまで 3:00" << 1;
    QTest::newRow("after the second") << defaults << 800 << true << true << "1:40"
                                      << "●●○  3回目のベルまで (経過 13:20)" << 2;
    QTest::newRow("after the last") << defaults << 942 << true << false << "15:42"
                                    << "●●●  3回目のベルから +0:42" << 3;
    QTest::newRow("remaining large") << defaults << 126 << false << true << "7:54"
                                     << "1回目のベルまで (経過 2:06)" << 0;
    QTest::newRow("remaining large, overtime") << defaults << 942 << true << true << "+0:42"
                                               << "●●●  3回目のベルから (経過 15:42)" << 3;
    QTest::newRow("99:59") << late << 5999 << false << false << "99:59"
                           << "1回目のベルまで 0:01" << 0;
    QTest::newRow("100:00") << late << 6000 << true << false << "100:00"
                            << "●○○  2回目のベルまで 900:00" << 1;
    QTest::newRow("1000:00") << late << 60000 << true << true << "1000:00"
                             << "●●○  3回目のベルまで (経過 1000:00)" << 2;
    QTest::newRow("shared mark: the higher bell")
        << BellSettings { { 13, 13, 20, 1, 2, 3 } } << 0 << false << false << "0:00"
        << "2回目のベルまで 13:00" << 0;
    QTest::newRow("out of order: the earliest mark first")
        << outOfOrder << 0 << false << false << "0:00"
        << "2回目のベルまで 5:00" << 0;
    QTest::newRow("out of order: a lower bell behind the phase is skipped")
        << outOfOrder << 360 << true << false << "6:00"
        << "●●○  3回目のベルまで 24:00" << 2;
    QTest::newRow("out of order: the last mark reached is not the last bell")
        << BellSettings { { 10, 13, 5, 1, 2, 3 } } << 720 << true << false << "12:00"
        << "●●●  3回目のベルから +7:00" << 3;
    QTest::newRow("marks reached at once")
        << BellSettings { { 0, -5, 15, 1, 2, 3 } } << 0 << true << false << "0:00"
        << "●●○  3回目のベルまで 15:00" << 2;
    QTest::newRow("no bell can come, no caption")
        << BellSettings { { 40'000'000, 40'000'000, 40'000'000, 1, 2, 3 } } << 60 << true << true
        << "1:00"
        << "○○○" << 0;
    QTest::newRow("a wrapped count neither overflows nor loses its sign")
        << defaults << INT32_MIN << false << false << "-35791394:08"
        << "1回目のベルまで 35791404:08" << 0;
}

void TestLectern::showsTheTimeToTheNextBell()
{
    QFETCH(BellSettings, settings);
    QFETCH(qint32, elapsed);
    QFETCH(bool, colour);
    QFETCH(bool, remainingLarge);
    QFETCH(QString, figure);
    QFETCH(QString, captionLine);
    QFETCH(int, phase);
    Lectern lectern;
    lectern.setSeconds(elapsed);
    lectern.setColourByPhase(colour);
    lectern.setRemainingLarge(remainingLarge);
    const LecternContent content = lectern.content(settings);
    QCOMPARE(QString::fromStdString(content.figure), figure);
    QCOMPARE(QString::fromStdString(content.captionLine()), captionLine);
    QCOMPARE(QString::fromStdString(content.readout()), figure + u'\n' + captionLine);
    QCOMPARE(content.bellPhase, phase);
    const auto& palette = speakerViewPalette.digits;
    QCOMPARE(content.figureColour, palette.at(std::size_t(colour ? phase : 0)));
    QCOMPARE(content.captionColour, palette[0]);
}

// The figure's area above the caption's line, both within margins of a twentieth, the line an
// eighth of the height; in the fractions a page lays out in, the same.
void TestLectern::laysOutFacesOfAnyShape_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<PixelRect>("figure");
    QTest::addColumn<PixelRect>("captionLine");
    QTest::newRow("a projector") << 1920 << 1080 << PixelRect { 96, 54, 1728, 837 }
                                 << PixelRect { 96, 891, 1728, 135 };
    QTest::newRow("a window beside")
        << 441 << 248 << PixelRect { 22, 12, 397, 193 } << PixelRect { 22, 205, 397, 31 };
    QTest::newRow("portrait") << 240 << 320 << PixelRect { 12, 16, 216, 248 }
                              << PixelRect { 12, 264, 216, 40 };
    QTest::newRow("too small for margins")
        << 7 << 5 << PixelRect { 0, 0, 7, 5 } << PixelRect { 0, 5, 7, 0 };
    QTest::newRow("nothing") << 0 << 0 << PixelRect {} << PixelRect {};
}

void TestLectern::laysOutFacesOfAnyShape()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(PixelRect, figure);
    QFETCH(PixelRect, captionLine);
    const LecternAreas areas = lecternAreas(width, height);
    QCOMPARE(areas.figure, figure);
    QCOMPARE(areas.captionLine, captionLine);
    const RelativeLecternLayout relative = relativeLecternLayout();
    QCOMPARE(relative.figure.y + relative.figure.height, relative.captionLine.y);
    QCOMPARE(relative.captionLine.y + relative.captionLine.height, 0.95);
    QCOMPARE(relative.captionLine.height, 0.125);
    QCOMPARE(QString::fromStdString(digitsAsZeros("12:34 ●○ 3回目")), QString("00:00 ●○ 0回目"));
}

// The font size fitting a text into 400 × 100 pixels, whatever the font tells: sizes in
// proportion, no extent at all, always too large, and widths that do not grow evenly.
void TestLectern::fitsTextForAnyFont_data()
{
    QTest::addColumn<std::function<TextExtent(int)>>("measure");
    QTest::addColumn<int>("size");
    using Measure = std::function<TextExtent(int)>;
    QTest::newRow("height bound") << Measure([](int s) {
        return TextExtent { s, s * 6 / 5 };
    }) << 84;
    QTest::newRow("width bound") << Measure([](int s) { return TextExtent { s * 5, s }; }) << 80;
    QTest::newRow("no cell, no width") << Measure([](int) { return TextExtent { 0, 0 }; }) << 200;
    QTest::newRow("no cell") << Measure([](int s) { return TextExtent { s * 2, 0 }; }) << 200;
    QTest::newRow("never fits") << Measure([](int) { return TextExtent { 1000, 1000 }; }) << 1;
    QTest::newRow("hinted: widths in steps") << Measure([](int s) {
        return TextExtent { s / 10 * 50, s };
    }) << 89;
}

void TestLectern::fitsTextForAnyFont()
{
    QFETCH(std::function<TextExtent(int)>, measure);
    QFETCH(int, size);
    int asked = 0;
    const auto counted = [&](int s) {
        ++asked;
        return measure(s);
    };
    QCOMPARE(largestFittingSize(counted, 400, 100), size);
    QVERIFY2(asked <= 12, qPrintable(QString::number(asked)));
}

QTEST_APPLESS_MAIN(TestLectern)
#include "tst_lectern.moc"
