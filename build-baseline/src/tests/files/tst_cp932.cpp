
#include <QTest>

#include "files/cp932.h"
#include "support/iconvconvert.h"

using namespace zelvano;

class TestCp932 : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithIconvOnEveryEncodableCharacter();
    void encodesTheReportCharactersAsListed();
    void refusesWhatItCannotEncode_data();
    void refusesWhatItCannotEncode();
};

void TestCp932::agreesWithIconvOnEveryEncodableCharacter()
{
    std::vector<std::string> characters { "発", "表", "日", "年", "月", "累", "積", "\u3000" };
    for (int c = 0; c < 0x80; ++c)
        characters.emplace_back(1, static_cast<char>(c));
    // glibc's own CP932 converter is the reference.
    for (const std::string& character : characters) {
        const std::optional<std::string> reference = iconvConvert("UTF-8", "CP932", character);
        QVERIFY2(reference, character.c_str());
        QCOMPARE(encodeCp932(character), reference);
    }
}

void TestCp932::encodesTheReportCharactersAsListed()
{
    QCOMPARE(encodeCp932("発表日年月累積\u3000"),
        std::optional<std::string>(
            "\x94\xAD\x95\x5C\x93\xFA\x94\x4E\x8C\x8E\x97\xDD\x90\xCF\x81\x40"));
}

void TestCp932::refusesWhatItCannotEncode_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::newRow("kanji outside the report") << QByteArray("時");
    QTest::newRow("accented latin") << QByteArray("é");
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x94\x94");
    QTest::newRow("truncated sequence") << QByteArray("\xE7\x99");
    QTest::newRow("stray continuation byte") << QByteArray("a\x80");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("invalid lead byte") << QByteArray("\xFF");
}

void TestCp932::refusesWhatItCannotEncode()
{
    QFETCH(QByteArray, utf8);
    QCOMPARE(encodeCp932(utf8.toStdString()), std::nullopt);
}

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
