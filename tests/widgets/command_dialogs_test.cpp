// The dialogs that give single commands their parameter: what they show, what they answer, and
// what they refuse. Keys go to the dialog as the user's would (Return is OK, Escape Cancel).
#include "commands/decimal_text.h"
#include "commands/time_difference.h"
#include "support/test_files.h"
#include "window/codec_form.h"
#include "window/decalage_form.h"
#include "window/frequence_form.h"
#include "window/intervalle_form.h"
#include "window/riff_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;

core::DateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return *core::DateTime::fromFields({y, mo, d, h, mi, s, 0});
}

// Runs keys on the dialog once it is shown modally; the keys go to its focused field.
void whenShown(QDialog &dialog, std::function<void()> act)
{
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        if (!QTest::qWaitFor(
                [&] {
                    return dialog.isVisible() && QApplication::focusWidget() != nullptr
                           && dialog.isAncestorOf(QApplication::focusWidget());
                },
                2000))
            ADD_FAILURE() << "the dialog was not shown with a field focused";
        QApplication::processEvents();
        act();
    });
}

void typeInto(QWidget &dialog, const QString &text)
{
    QWidget *focused = QApplication::focusWidget();
    QTest::keyClicks(focused != nullptr ? focused : &dialog, text);
}

void key(QWidget &dialog, Qt::Key k)
{
    QWidget *focused = QApplication::focusWidget();
    QTest::keyClick(focused != nullptr ? focused : &dialog, k);
}

// Decimal comma: the dialogs read and show numbers as the user's locale writes them.
class FrenchLocale {
public:
    FrenchLocale() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    ~FrenchLocale() { QLocale::setDefault(QLocale::c()); }
};

// ---- Time difference ----------------------------------------------------------------------------

TEST(DecalageFormTest, TheAdvancedNewDateGivesTheDifferenceItsTextAndTheShiftedCopysName)
{
    TDecalageForm form;
    form.prepare(at(2006, 7, 14, 22, 0, 0), 0.0);
    EXPECT_EQ(form.differenceText().toStdString(), "0 hours");
    form.findChild<QCheckBox *>("cbAvance")->setChecked(true);
    form.findChild<QDateEdit *>("DateEdit2")->setDate(QDate(2006, 7, 15));
    form.findChild<QSpinBox *>("RxSpinEdit4")->setValue(1);
    form.findChild<QSpinBox *>("RxSpinEdit5")->setValue(30);

    EXPECT_NEAR(form.difference(), 0.1458333, 1e-7);
    EXPECT_EQ(form.differenceText().toStdString(), "0 days 03h 30m 00s");
    // What "Fix a time difference" receives, and the name it writes.
    const std::string parameter = commands::GeneralDecimal(form.difference());
    const auto days = commands::ParseTimeDifference(parameter);
    ASSERT_TRUE(days.has_value());
    EXPECT_EQ(commands::TimeDifferenceEnding(*days), "_(+3h30mn).avi");
    const auto shown = form.newDateTime().fields();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, (core::DateTimeFields{2006, 7, 15, 1, 30, 0, 0}));

    // The simple mode shows the whole hours; the difference stays until its field changes.
    form.findChild<QCheckBox *>("cbAvance")->setChecked(false);
    auto *hours = form.findChild<QSpinBox *>("rxHeureSolo");
    EXPECT_EQ(hours->value(), 3);
    EXPECT_EQ(form.differenceText().toStdString(), "0 days 03h 30m 00s");
    hours->setValue(4);
    hours->setValue(3);
    EXPECT_EQ(form.differenceText().toStdString(), "3 hours");
    EXPECT_NEAR(form.difference(), 3.0 / 24.0, 1e-9);
}

TEST(DecalageFormTest, SimpleModeToZeroAndTheFileShiftInWords)
{
    struct Case {
        double shift;
        int hoursTyped; // -100: none typed
        const char *text;
        double days;
    };
    const Case cases[] = {
        {0.0, -5, "-5 hours", -5.0 / 24.0},
        {0.0, 23, "23 hours", 23.0 / 24.0},
        {1.0 + 2.5 / 24.0, -100, "1 days 02h 30m 00s", 1.0 + 2.5 / 24.0},
        {-2.0 / 24.0, -100, "-2 hours", -2.0 / 24.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TDecalageForm form;
        form.prepare(at(2006, 7, 14, 10, 45, 0), c.shift);
        if (c.hoursTyped != -100)
            form.findChild<QSpinBox *>("rxHeureSolo")->setValue(c.hoursTyped);
        EXPECT_EQ(form.differenceText().toStdString(), c.text);
        EXPECT_NEAR(form.difference(), c.days, 1e-9);
        form.findChild<QPushButton *>("bbZero")->click();
        EXPECT_EQ(form.differenceText().toStdString(), "0 hours");
        EXPECT_EQ(form.difference(), 0.0);
    }
}

TEST(DecalageFormTest, WholeHoursAreCountedFromHourToHourAcrossDays)
{
    struct Case {
        core::DateTime from, to;
        int hours;
    };
    const Case cases[] = {
        {at(2006, 7, 14, 22, 40, 0), at(2006, 7, 15, 1, 10, 0), 3},
        {at(2006, 7, 14, 10, 45, 0), at(2006, 7, 14, 14, 15, 0), 4},
        {at(2006, 7, 14, 14, 15, 0), at(2006, 7, 14, 10, 45, 0), -4},
        {at(2006, 7, 14, 10, 0, 0), at(2006, 7, 17, 10, 0, 0), 23},
        {at(2006, 7, 14, 10, 0, 0), at(2006, 7, 11, 10, 0, 0), -23},
        {at(2006, 7, 14, 10, 0, 0), at(2006, 7, 14, 10, 59, 59), 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TDecalageForm::WholeHoursBetween(c.from, c.to), c.hours);
}

TEST(DecalageFormTest, ReturnGivesTheDifferenceAndEscapeNothing)
{
    TDecalageForm form;
    whenShown(form, [&] {
        // The hours field has the focus with its text selected: typing replaces it.
        typeInto(form, "3");
        key(form, Qt::Key_Return);
    });
    const auto answer = form.ask(at(2006, 7, 14, 22, 0, 0), 0.0);
    ASSERT_TRUE(answer.has_value());
    EXPECT_NEAR(*answer, 3.0 / 24.0, 1e-9);

    whenShown(form, [&] { key(form, Qt::Key_Escape); });
    EXPECT_FALSE(form.ask(at(2006, 7, 14, 22, 0, 0), 0.0).has_value());
}

// ---- Codec ----------------------------------------------------------------------------------------

TEST(CodecFormTest, TheFirstUseChoosesTheActiveFilesCodec)
{
    struct Case {
        const char *codec;
        int item;
        const char *edit;
    };
    const Case cases[] = {
        {"dvsd", TCodecForm::Dvsd, ""}, {"DVSD", TCodecForm::Dvsd, ""}, {"dsvd", TCodecForm::Dsvd, ""},
        {"CDVC", TCodecForm::Cdvc, ""}, {"cdvc", TCodecForm::Cdvc, ""}, {"xvid", TCodecForm::Personalized, "xvid"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.codec);
        TCodecForm form;
        form.preselect(c.codec);
        EXPECT_EQ(form.item(), c.item);
        EXPECT_EQ(form.edit()->text().toStdString(), c.edit);
        EXPECT_EQ(form.edit()->isEnabled(), c.item == TCodecForm::Personalized);
        // Later uses keep the last choice whatever the active file.
        form.setItem(TCodecForm::Dsvd);
        form.preselect("CDVC");
        EXPECT_EQ(form.item(), TCodecForm::Dsvd);
    }
}

TEST(CodecFormTest, EachItemGivesItsCodeAndATypedCodeIsPadded)
{
    TCodecForm form;
    const std::pair<int, const char *> items[] = {
        {TCodecForm::Dvsd, "dvsd"}, {TCodecForm::Dsvd, "dsvd"}, {TCodecForm::Cdvc, "CDVC"}};
    for (const auto &[item, code] : items) {
        form.setItem(item);
        EXPECT_EQ(form.chosenCode().value_or("?"), code);
    }
    form.setItem(TCodecForm::Personalized);
    form.edit()->setText("ab");
    EXPECT_EQ(form.chosenCode().value_or("?"), "ab  ");
    form.edit()->setText("");
    EXPECT_FALSE(form.chosenCode().has_value());
    form.edit()->setText(QString::fromUtf8("é"));
    EXPECT_FALSE(form.chosenCode().has_value());
}

TEST(CodecFormTest, AnEmptyPersonalizedCodeIsRefusedInTheDialogAndEscapeGivesNothing)
{
    TCodecForm form;
    QString refusal;
    whenShown(form, [&] {
        // "xvid" preselected: the edit has the focus, its text selected.
        key(form, Qt::Key_Backspace);
        key(form, Qt::Key_Return);
        refusal = form.findChild<QLabel *>("Refusal")->text();
        EXPECT_TRUE(form.isVisible());
        key(form, Qt::Key_Escape);
    });
    EXPECT_FALSE(form.ask("xvid").has_value());
    EXPECT_TRUE(refusal.contains("4 letters or digits")) << refusal.toStdString();

    whenShown(form, [&] {
        typeInto(form, "mjpg");
        key(form, Qt::Key_Return);
    });
    EXPECT_EQ(form.ask("xvid").value_or("?"), "mjpg");
}

// ---- Frame rate -----------------------------------------------------------------------------------

TEST(FrequenceFormTest, TheFirstUseChoosesTheActiveFilesRate)
{
    FrenchLocale french;
    struct Case {
        double rate;
        int item;
        const char *edit;
    };
    const Case cases[] = {
        {25.0, TFrequenceForm::Pal, ""},
        {30000.0 / 1001.0, TFrequenceForm::Ntsc, ""},
        {29.97, TFrequenceForm::Ntsc, ""},
        {30.0, TFrequenceForm::Personalized, "30"},
        {23.976, TFrequenceForm::Personalized, "23,976"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rate);
        TFrequenceForm form;
        form.preselect(c.rate);
        EXPECT_EQ(form.item(), c.item);
        EXPECT_EQ(form.edit()->text().toStdString(), c.edit);
        form.setItem(TFrequenceForm::Pal);
        form.preselect(29.97);
        EXPECT_EQ(form.item(), TFrequenceForm::Pal);
    }
}

TEST(FrequenceFormTest, ItemsGiveTheirRatesAndTypedRatesFollowTheLocale)
{
    FrenchLocale french;
    TFrequenceForm form;
    form.setItem(TFrequenceForm::Pal);
    EXPECT_EQ(form.chosenRate().value_or(-1), 25.0);
    form.setItem(TFrequenceForm::Ntsc);
    EXPECT_EQ(form.chosenRate().value_or(-1), 29.97);
    form.setItem(TFrequenceForm::Personalized);
    const std::pair<const char *, double> typed[] = {{"12,5", 12.5}, {"12.5", 12.5}, {" 50 ", 50.0}};
    for (const auto &[text, rate] : typed) {
        form.edit()->setText(text);
        EXPECT_EQ(form.chosenRate().value_or(-1), rate) << text;
    }
    for (const char *nonsense : {"", "abc", "0", "-25", "12,5,3", "1e400"}) {
        form.edit()->setText(nonsense);
        EXPECT_FALSE(form.chosenRate().has_value()) << nonsense;
    }
}

TEST(FrequenceFormTest, NonsenseIsRefusedInTheDialog)
{
    TFrequenceForm form;
    bool stayedOpen = false;
    whenShown(form, [&] {
        typeInto(form, "fast");
        key(form, Qt::Key_Return);
        stayedOpen = form.isVisible() && form.findChild<QLabel *>("Refusal")->isVisibleTo(&form);
        key(form, Qt::Key_Escape);
    });
    EXPECT_FALSE(form.ask(15.0).has_value());
    EXPECT_TRUE(stayedOpen);

    whenShown(form, [&] {
        typeInto(form, "24");
        key(form, Qt::Key_Return);
    });
    EXPECT_EQ(form.ask(15.0).value_or(-1), 24.0);
}

// ---- Interval -------------------------------------------------------------------------------------

TEST(IntervalleFormTest, ApplyTakesWholeSecondsAboveZeroAndRefusesTheRest)
{
    struct Case {
        const char *typed;
        std::optional<int> seconds;
    };
    const Case cases[] = {{"2", 2},
                          {"30", 30},
                          {" 600 ", 600},
                          {"abc", std::nullopt},
                          {"0", std::nullopt},
                          {"-3", std::nullopt},
                          {"1,5", std::nullopt},
                          {"", std::nullopt}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        TIntervalleForm form;
        QString shown;
        bool refused = false;
        whenShown(form, [&] {
            shown = form.edit()->selectedText();
            if (*c.typed == '\0')
                key(form, Qt::Key_Backspace);
            else
                typeInto(form, c.typed);
            key(form, Qt::Key_Return);
            refused = form.isVisible();
            if (refused) {
                EXPECT_TRUE(form.refusal()->text().contains("whole number of seconds"));
                key(form, Qt::Key_Escape);
            }
        });
        const std::optional<int> answer = form.ask(30);
        EXPECT_EQ(shown.toStdString(), "30"); // the setting, selected
        EXPECT_EQ(answer, c.seconds);
        EXPECT_EQ(refused, !c.seconds.has_value());
    }
}

// ---- RIFF report ------------------------------------------------------------------------------------

TEST(RiffFormTest, TheReportIsShownAndSavedOnlyWhenComplete)
{
    const fs::path dir = test::scratchDir("RiffForm");
    TRiffForm form;
    form.ShowReport((dir / "clip.avi").string(), {"RIFF  00001000", "    AVI "}, false);
    EXPECT_EQ(form.windowTitle().toStdString(), "Header of the file " + (dir / "clip.avi").string());
    EXPECT_FALSE(form.saveButton()->isEnabled());
    form.ShowReport((dir / "clip.avi").string(), {"RIFF  00001000", "    AVI "}, true);
    EXPECT_TRUE(form.saveButton()->isEnabled());
    EXPECT_EQ(form.proposedLogName().toStdString(), (dir / "clip.log").string());

    ASSERT_TRUE(form.saveTo(QString::fromStdString((dir / "report.txt").string())));
    std::ifstream in(dir / "report.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "RIFF  00001000\n    AVI \n");
    form.close();
    fs::remove_all(dir);
}

} // namespace
} // namespace camlog::widgets
