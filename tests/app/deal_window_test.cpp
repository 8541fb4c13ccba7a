// Numbered and graded deals in the window: the start-up deal, a typed
// number, the game of the day, fresh numbers, the difficulty menu and its
// settings line, and the number dialog's input check.
#include "app/deal_number_dialog.h"
#include "app/main_window_inside.h"
#include "app/status_panels.h"
#include "core/grade.h"
#include "core/layout.h"
#include "core/numbered_deal.h"
#include "tests/app/app_test_support.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelmar::testing {
namespace {

using DealWindow = WindowTest;

// The kinds of slots 1..SlotCount, to compare boards.
std::vector<uint8_t> Kinds(const Board& board) {
    std::vector<uint8_t> kinds;
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        kinds.push_back(board.Slots[static_cast<size_t>(s)].Kind);
    }
    return kinds;
}

// The board a number gives with the window's settings, dealt on its own.
std::vector<uint8_t> KindsOfDeal(const GameSettings& settings, uint32_t number) {
    auto game = std::make_unique<Game>();
    game->settings = settings;
    NewNumberedGame(*game, number, settings.Difficulty);
    return Kinds(game->board);
}

TEST_F(DealWindow, TheStartUpDealHasANumberAndAGradeInTheStatusBar) {
    createWindow();
    const DealIdentity deal = game().deal;
    ASSERT_GE(deal.Number, 1u);
    ASSERT_LE(deal.Number, kMaxDealNumber);
    EXPECT_NE(deal.DealGrade, Grade::Any) << "graded also with \"Beliebig\"";
    EXPECT_EQ(Inside(*form).Status->dealText(), QString::fromStdString(DealLabel(deal)));
    EXPECT_TRUE(Inside(*form).Status->dealTextShown());
    EXPECT_EQ(Kinds(game().board), KindsOfDeal(game().settings, deal.Number));
}

TEST_F(DealWindow, ATypedNumberDealsThatGameFromTheMomentTheDialogCloses) {
    createWindow();
    const uint32_t before = game().deal.Number;
    typedNumber = 482913;
    numberDialogMs = 5000;    // the player takes five seconds to type
    form->MDealNumberClick(); // from the start screen: the deal also ends it
    ASSERT_EQ(numberPresets.size(), 1u);
    EXPECT_EQ(numberPresets[0], before) << "the dialog offers the current number";
    EXPECT_EQ(game().deal.Number, 482913u);
    EXPECT_TRUE(game().Running);
    EXPECT_EQ(Kinds(game().board), KindsOfDeal(game().settings, 482913));
    EXPECT_TRUE(
        Inside(*form).Status->dealText().startsWith(QStringLiteral("Spiel 482913 \u00B7 ")));
    tick(10);
    EXPECT_LT(game().clock.Elapsed, 100) << "the typing time is not the new game's";
}

TEST_F(DealWindow, ACancelledDialogLeavesTheGameAsItWas) {
    createWindow();
    startPlaying();
    const auto pair = freeMatchingPair();
    clickPair(pair.first, pair.second);
    const Board board = game().board;
    const DealIdentity deal = game().deal;
    typedNumber.reset();
    form->MDealNumberClick();
    EXPECT_EQ(numberPresets.size(), 1u);
    EXPECT_EQ(Kinds(game().board), Kinds(board));
    EXPECT_EQ(game().history.Position, 1);
    EXPECT_EQ(game().deal.Number, deal.Number);
}

TEST_F(DealWindow, TheGameOfTheDayIsTheSameDealAllDayAndANewOneTomorrow) {
    createWindow();
    form->MDayGameClick();
    EXPECT_EQ(game().deal.Number, DealNumberOfDay(2026, 12, 7));
    const auto firstBoard = Kinds(game().board);
    form->MNewClick();
    form->MDayGameClick();
    EXPECT_EQ(Kinds(game().board), firstBoard);
    today = {2026, 12, 8};
    form->MDayGameClick();
    EXPECT_EQ(game().deal.Number, DealNumberOfDay(2026, 12, 8));
    EXPECT_NE(Kinds(game().board), firstBoard);
}

TEST_F(DealWindow, NewGameDrawsAFreshNumberTheRestartKeepsItALoadShowsNone) {
    createWindow();
    startPlaying();
    const uint32_t first = game().deal.Number;
    form->MNewClick();
    const uint32_t second = game().deal.Number;
    EXPECT_NE(second, first);
    const auto pair = freeMatchingPair();
    clickPair(pair.first, pair.second);
    form->MSameGameClick();
    EXPECT_EQ(game().deal.Number, second);
    EXPECT_EQ(Kinds(game().board), KindsOfDeal(game().settings, second));
    form->MSaveClick();
    form->BLoadClick();
    ASSERT_TRUE(sink.messages.empty());
    EXPECT_EQ(game().deal.Number, 0u);
    EXPECT_TRUE(Inside(*form).Status->dealText().isEmpty());
    EXPECT_FALSE(Inside(*form).Status->dealTextShown());
}

TEST_F(DealWindow, TheDifficultyActsAtTheNextDealAndIsKeptInTheSettings) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nAvoidUnsolveableGames=0\r\nDifficulty=2\r\n");
    ini.close();
    createWindow();
    EXPECT_TRUE(Inside(*form).MDifficultyItems[2]->isChecked()) << "\"&Mittel\" from the file";
    EXPECT_EQ(game().deal.DealGrade, Grade::Medium);
    EXPECT_FALSE(Inside(*form).action("MNoUnsolveableGames")->isChecked())
        << "the option keeps its own value";

    const auto board = Kinds(game().board);
    Inside(*form).MDifficultyItems[3]->trigger();
    EXPECT_EQ(game().settings.Difficulty, Grade::Hard);
    EXPECT_TRUE(Inside(*form).MDifficultyItems[3]->isChecked());
    EXPECT_FALSE(Inside(*form).MDifficultyItems[2]->isChecked());
    EXPECT_EQ(Kinds(game().board), board) << "the current game goes on";
    for (int i = 0; i < 3; ++i) {
        form->MNewClick();
        EXPECT_EQ(game().deal.DealGrade, Grade::Hard);
    }
    Inside(*form).MDifficultyItems[0]->trigger();
    EXPECT_EQ(game().settings.Difficulty, Grade::Any);
    Inside(*form).MDifficultyItems[1]->trigger();
    form->ShutDownGame();
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains(
        "\r\nLayout=Pyramide\r\nSafeHint=1\r\nResumeGame=1\r\nDifficulty=1\r\n"));
}

// A layout chosen in the chooser deals a fresh number on it, graded on the
// one scale (Sechs Türme: mostly hard deals), and the number then means
// that layout's deal.
TEST_F(DealWindow, ADealOnAChosenLayoutIsNumberedAndGradedOnThatLayout) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nDifficulty=3\r\n");
    ini.close();
    createWindow();
    const std::vector<Layout>& layouts = Inside(*form).layouts();
    ASSERT_GT(layouts.size(), 2u);
    const uint32_t before = game().deal.Number;
    layoutAnswer = 2;
    form->MLayoutClick();
    ASSERT_EQ(game().layout, &layouts[2]);
    EXPECT_NE(game().deal.Number, before);
    EXPECT_EQ(game().deal.DealGrade, Grade::Hard);
    EXPECT_EQ(GradeOf(MeasureGrade(game().board).cleared, BandsForLayout(layouts[2].ShortName)),
              Grade::Hard);
    auto alone = std::make_unique<Game>();
    alone->layout = &layouts[2];
    NewNumberedGame(*alone, game().deal.Number, Grade::Hard);
    EXPECT_EQ(Kinds(game().board), Kinds(alone->board));
    typedNumber = game().deal.Number;
    form->MDealNumberClick();
    EXPECT_EQ(Kinds(game().board), Kinds(alone->board)) << "the same number on the same layout";
}

TEST_F(DealWindow, ALongAnswerInThePanelHidesTheDealTextUntilItEnds) {
    createWindow();
    TStatusBar& status = *Inside(*form).Status;
    ASSERT_TRUE(status.dealTextShown());
    status.setPanelText(0, QString(120, QLatin1Char('W')));
    EXPECT_FALSE(status.dealTextShown());
    status.setPanelText(0, QStringLiteral("mögliche Züge: 3"));
    EXPECT_TRUE(status.dealTextShown());
}

TEST(DealNumberDialog, OkOnlyForAValidNumber) {
    TDealNumberForm form(nullptr, 482913);
    QPushButton* ok = form.Buttons->button(QDialogButtonBox::Ok);
    EXPECT_EQ(form.InpNumber->text(), QStringLiteral("482913")) << "preset";
    EXPECT_TRUE(ok->isEnabled());
    const struct {
        const char* text;
        std::optional<uint32_t> number;
    } cases[] = {
        {"1", 1u},
        {"999999999", 999999999u},
        {" 77 ", 77u},
        {"0", std::nullopt},
        {"1000000000", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"-3", std::nullopt},
        {"1 000", std::nullopt},
    };
    for (const auto& c : cases) {
        form.InpNumber->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(ok->isEnabled(), c.number.has_value()) << c.text;
        EXPECT_EQ(form.number(), c.number) << c.text;
        EXPECT_EQ(form.LRange->isHidden(), c.number.has_value() || *c.text == '\0')
            << "the range is named for " << c.text;
    }
    TDealNumberForm empty(nullptr, 0);
    EXPECT_TRUE(empty.InpNumber->text().isEmpty()) << "no number to offer";
    EXPECT_FALSE(empty.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
}

} // namespace
} // namespace kelmar::testing
