#include <QTest>

#include "clock/settingsediting.h"
#include "core/texts.h"
#include "fakes/fakecontext.h"
#include "files/settingsfile.h"

using namespace zelvano;

namespace {

void typeFields(FakeContext& f, const std::array<std::string, 6>& texts) { f.view.fields = texts; }

} // namespace

class TestSettingsEditing : public QObject
{
    Q_OBJECT

private slots:
    void parsesLikeAtoi_data();
    void parsesLikeAtoi();
    void showsTheValuesLocked();
    void unlockingEnablesTheFields();
    void confirmChecksEveryValue_data();
    void confirmChecksEveryValue();
    void validConfirmWritesLocksAndKeepsTheTypedText();
    void refusedConfirmKeepsTheParsedValuesInForce();
    void failedWriteIsShownAndStillLocks();
};

void TestSettingsEditing::parsesLikeAtoi_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::newRow("plain") << "15" << 15;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letter first") << "abc" << 0;
    QTest::newRow("trailing letters") << "12abc" << 12;
    QTest::newRow("leading space") << " 7" << 7;
    QTest::newRow("every ASCII white space") << "\t\n\v\f\r 9" << 9;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("minus") << "-3" << -3;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("two signs") << "+-4" << 0;
    QTest::newRow("space after sign") << "- 4" << 0;
    QTest::newRow("full-width digits") << "１２" << 0;
    QTest::newRow("full-width space") << "　7" << 0;
    QTest::newRow("wraps to one") << "4294967297" << 1;
    QTest::newRow("most negative") << "-2147483648" << INT32_MIN;
    QTest::newRow("one past the largest") << "2147483648" << INT32_MIN;
    QTest::newRow("long run of digits") << "99999999999999999999" << qint32(1661992959);
}

void TestSettingsEditing::parsesLikeAtoi()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QCOMPARE(parseBellValue(text.toStdString()), value);
}

void TestSettingsEditing::showsTheValuesLocked()
{
    FakeContext f;
    f.settings.values = { 0, 1000, -5, 1, 2, 3 };
    showSettings(f.context);
    const std::array<std::string, 6> expected { "0", "1000", "-5", "1", "2", "3" };
    QCOMPARE(f.view.fields, expected);
    QVERIFY(!f.view.fieldsEnabled);
}

void TestSettingsEditing::unlockingEnablesTheFields()
{
    FakeContext f;
    f.view.fieldsEnabled = false;
    onSettingsToggle(f.context);
    QVERIFY(f.view.fieldsEnabled);
    QVERIFY(f.state.editingSettings);
    QCOMPARE(f.view.toggleText, std::string("設定確定"));
    QVERIFY(f.platform.files.empty());
}

void TestSettingsEditing::confirmChecksEveryValue_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("defaults") << QStringList { "10", "13", "15", "1", "2", "3" } << true;
    QTest::newRow("bounds") << QStringList { "1", "600", "1", "1", "5", "5" } << true;
    QTest::newRow("marks equal, not increasing")
        << QStringList { "20", "5", "5", "1", "1", "1" } << true;
    QTest::newRow("count 0") << QStringList { "10", "13", "15", "0", "2", "3" } << false;
    QTest::newRow("count 6") << QStringList { "10", "13", "15", "1", "2", "6" } << false;
    QTest::newRow("mark 0") << QStringList { "0", "13", "15", "1", "2", "3" } << false;
    QTest::newRow("mark 601") << QStringList { "10", "601", "15", "1", "2", "3" } << false;
    QTest::newRow("negative mark") << QStringList { "10", "13", "-15", "1", "2", "3" } << false;
    QTest::newRow("negative count") << QStringList { "10", "13", "15", "-1", "2", "3" } << false;
    QTest::newRow("empty field") << QStringList { "10", "", "15", "1", "2", "3" } << false;
    QTest::newRow("letters") << QStringList { "abc", "13", "15", "1", "2", "3" } << false;
    QTest::newRow("full-width") << QStringList { "１０", "13", "15", "1", "2", "3" } << false;
    QTest::newRow("trailing text and space")
        << QStringList { "12abc", " 7", "15", "1", "2", "3" } << true;
    QTest::newRow("wrapped to one")
        << QStringList { "4294967297", "13", "15", "4294967297", "2", "3" } << true;
}

void TestSettingsEditing::confirmChecksEveryValue()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, accepted);
    FakeContext f;
    onSettingsToggle(f.context);
    std::array<std::string, 6> fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = typed.at(static_cast<qsizetype>(i)).toStdString();
    typeFields(f, fields);
    onSettingsToggle(f.context);

    QCOMPARE(f.state.editingSettings, !accepted);
    QCOMPARE(f.view.fieldsEnabled, !accepted);
    QCOMPARE(f.view.fields, fields); // never rewritten
    QCOMPARE(f.platform.files.count(settingsFileName), std::size_t { accepted ? 1u : 0u });
    if (accepted) {
        QVERIFY(f.view.errorBoxes.empty());
        QCOMPARE(f.view.toggleText, std::string("設定変更"));
    } else {
        QCOMPARE(f.view.errorBoxes.size(), std::size_t { 1 });
        QCOMPARE(f.view.errorBoxes[0].first, std::string(texts::invalidSettingsText));
        QCOMPARE(f.view.errorBoxes[0].second, std::string("設定値ミス"));
        QCOMPARE(f.view.toggleText, std::string("設定確定"));
    }
}

void TestSettingsEditing::validConfirmWritesLocksAndKeepsTheTypedText()
{
    FakeContext f;
    f.platform.files[settingsFileName] = std::string(30, '\x7f');
    onSettingsToggle(f.context);
    typeFields(f, { "12abc", " 7", "600", "1", "5", "3" });
    onSettingsToggle(f.context);

    QCOMPARE(f.settings.values, (std::array<std::int32_t, 6> { 12, 7, 600, 1, 5, 3 }));
    const std::string expected = encodeSettings(f.settings) + std::string(6, '\x7f');
    QCOMPARE(f.platform.files[settingsFileName], expected);
    QCOMPARE(f.view.fields[0], std::string("12abc"));
}

void TestSettingsEditing::refusedConfirmKeepsTheParsedValuesInForce()
{
    FakeContext f;
    onSettingsToggle(f.context);
    typeFields(f, { "0", "13", "15", "9", "2", "3" });
    onSettingsToggle(f.context);
    QCOMPARE(f.settings.values, (std::array<std::int32_t, 6> { 0, 13, 15, 9, 2, 3 }));
    QVERIFY(f.platform.files.empty());
    QVERIFY(f.state.editingSettings);
}

void TestSettingsEditing::failedWriteIsShownAndStillLocks()
{
    FakeContext f;
    f.platform.readOnlyFiles.insert(settingsFileName);
    onSettingsToggle(f.context);
    typeFields(f, { "10", "13", "15", "1", "2", "3" });
    onSettingsToggle(f.context);
    QCOMPARE(f.platform.traces, std::vector<std::string> { "File IO Error" });
    QCOMPARE(f.view.errorBoxes.size(), std::size_t { 1 });
    QCOMPARE(f.view.errorBoxes[0].first, std::string("設定をファイルに保存できませんでした"));
    QCOMPARE(f.view.errorBoxes[0].second, std::string("保存エラー"));
    QVERIFY(!f.state.editingSettings);
    QVERIFY(!f.view.fieldsEnabled);
}

QTEST_APPLESS_MAIN(TestSettingsEditing)
#include "tst_settingsediting.moc"
