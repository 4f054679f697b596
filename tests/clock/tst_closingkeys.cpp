#include <functional>

#include <QTest>

#include "clock/closingkeys.h"
#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "files/report.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

using Steps = std::function<void(FakeContext&)>;
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(ClosingKeyAction)

class TestClosingKeys : public QObject
{
    Q_OBJECT

private slots:
    void followTheTalkAtStake_data();
    void followTheTalkAtStake();
};

// After what the user did, what Escape and Enter do in the main window, with the speaker's view
// closed and open, and whether Enter presses each push button that has the keyboard: always,
// but for Close and Start when the keys end nothing. The state comes from the real operations,
// so a step that forgets to mark the talk as running or the laps as saved shows here.
void TestClosingKeys::followTheTalkAtStake_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<ClosingKeyAction>("escape");
    QTest::addColumn<ClosingKeyAction>("enter");
    constexpr auto close = ClosingKeyAction::CloseWindow;
    constexpr auto ignore = ClosingKeyAction::Ignore;
    const auto save = [](FakeContext& f, std::optional<std::string> answer) {
        f.view.chooserAnswer = std::move(answer);
        onSave(f.context);
    };
    QTest::newRow("first start") << Steps([](FakeContext&) { }) << close << close;
    QTest::newRow("running") << Steps([](FakeContext& f) { onStart(f.context); }) << ignore
                             << ignore;
    QTest::newRow("running, laps saved") << Steps([&](FakeContext& f) {
        onStart(f.context);
        onSlide(f.context);
        save(f, "/r.txt");
    }) << ignore << ignore;
    QTest::newRow("stopped without laps") << Steps([](FakeContext& f) {
        onStart(f.context);
        onStop(f.context);
    }) << close << close;
    QTest::newRow("stopped, laps unsaved") << Steps([](FakeContext& f) {
        onStart(f.context);
        onSlide(f.context);
        onStop(f.context);
    }) << ignore << ignore;
    QTest::newRow("stopped, laps saved") << Steps([&](FakeContext& f) {
        onStart(f.context);
        onSlide(f.context);
        onStop(f.context);
        save(f, "/r.txt");
    }) << close << close;
    QTest::newRow("a slide after the save") << Steps([&](FakeContext& f) {
        onSlide(f.context);
        save(f, "/r.txt");
        onSlide(f.context);
    }) << ignore << ignore;
    QTest::newRow("save cancelled") << Steps([&](FakeContext& f) {
        onSlide(f.context);
        save(f, std::nullopt);
    }) << ignore << ignore;
    QTest::newRow("save failed") << Steps([&](FakeContext& f) {
        onSlide(f.context);
        f.platform.failWrites = true;
        save(f, "/r.txt");
    }) << ignore << ignore;
    QTest::newRow("a new start clears the unsaved laps") << Steps([](FakeContext& f) {
        onSlide(f.context);
        onStart(f.context);
        onStop(f.context);
    }) << close << close;
}

void TestClosingKeys::followTheTalkAtStake()
{
    QFETCH(Steps, steps);
    QFETCH(ClosingKeyAction, escape);
    QFETCH(ClosingKeyAction, enter);
    FakeContext f;
    steps(f);
    QCOMPARE(closingKeyAction(ClosingKey::Escape, f.state, false), escape);
    QCOMPARE(closingKeyAction(ClosingKey::Enter, f.state, false), enter);
    // With the speaker's view open, Escape only ever closes the view.
    QCOMPARE(closingKeyAction(ClosingKey::Escape, f.state, true), ClosingKeyAction::CloseSpeakerView);
    QCOMPARE(closingKeyAction(ClosingKey::Enter, f.state, true), enter);
    for (const ControlId button : { ControlId::Ok, ControlId::Start, ControlId::Stop,
             ControlId::Slide, ControlId::SettingsToggle, ControlId::Save, ControlId::Test }) {
        const bool endsOrRestarts = button == ControlId::Ok || button == ControlId::Start;
        QCOMPARE(enterPressesButton(button, f.state),
            !endsOrRestarts || enter == ClosingKeyAction::CloseWindow);
    }
}

QTEST_APPLESS_MAIN(TestClosingKeys)
#include "tst_closingkeys.moc"
