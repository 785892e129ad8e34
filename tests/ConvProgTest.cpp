// The cutting progress window over the real engine: real fixture files, the real encoder
// library, the window offscreen and driven by clicks and keys.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>

#include "cutting_ui/CConvProg.h"
#include "cutting_ui/JobLogView.h"
#include "cutting_ui/ProgressFormat.h"
#include "platform/DialogTemplate.h"
#include "platform/ProfileStore.h"
#include "tests/support/MessageBoxScript.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using namespace test;

const QString kSeparator(99, '-');
const QString kFinishedLine = QStringLiteral("Finished cutting, all done ^_^");
constexpr int kJobTimeoutMs = 60000;

std::string FiveSecondStereo() {
  return SharedFixture("stereo-44100-128k-5s.mp3", {44100, 2, 128, 5.0});
}
std::string FiveSecondMono() {
  return SharedFixture("mono-22050-56k-5s.mp3", {22050, 1, 56, 5.0});
}
std::string ThreeMinuteStereo() {
  return SharedFixture("stereo-44100-128k-180s.mp3", {44100, 2, 128, 180.0});
}

QString Text(const QWidget& window, int id) {
  QWidget* control = FindControl(window, id);
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  return QStringLiteral("<no control %1>").arg(id);
}

QPushButton* Button(const QWidget& window, int id) {
  return FindControlAs<QPushButton>(window, id);
}

QTreeWidget* Log(const QWidget& window) {
  return FindControlAs<QTreeWidget>(window, 1003);
}

QStringList LogTexts(const QWidget& window) {
  QStringList texts;
  QTreeWidget* log = Log(window);
  for (int row = 0; row < log->topLevelItemCount(); ++row)
    texts << log->topLevelItem(row)->text(kLogColumnText);
  return texts;
}

int RowNumber(const QTreeWidgetItem* item) {
  return item->text(kLogColumnNumber).toInt();
}

bool LogHas(const QWidget& window, const QString& text) {
  return LogTexts(window).contains(text);
}

bool Matches(const QString& text, const char* pattern) {
  return QRegularExpression(QString::fromLatin1(pattern)).match(text).hasMatch();
}

class ConvProgTest : public testing::Test {
 protected:
  std::unique_ptr<CConvProg> Open(const std::vector<std::string>& sources,
                                  const CutSettings& settings) {
    std::vector<CConversionTask> tasks;
    for (const std::string& source : sources) tasks.push_back(engine.Task(source, settings));
    auto window = std::make_unique<CConvProg>(std::move(tasks), settings, engine.context);
    window->show();
    return window;
  }

  // One piece of up to `seconds` per source, written into the temporary folder.
  CutSettings PiecesOf(int seconds) const {
    CutSettings settings = OutputTo(out.folder());
    settings.Mode = ByLength;
    settings.Length = seconds;
    return settings;
  }

  // Waits until the writer has encoded some audio, so the job is well under way.
  static bool WaitForProgress(const CConvProg& window, uint64_t values = 1) {
    return QTest::qWaitFor([&] { return window.job().doneTask >= values; }, kJobTimeoutMs);
  }

  EngineHarness engine;
  TempDir out;
};

TEST_F(ConvProgTest, TwoTaskJobEndsInTheFinishedState) {
  const std::string a = FiveSecondStereo(), b = FiveSecondMono();
  const int linesBefore = CConvProg::logLinesAdded();
  auto window = Open({a, b}, PiecesOf(60));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window->windowTitle() == "Finished Cutting"; }, kJobTimeoutMs))
      << LogTexts(*window).join('\n').toStdString();

  const QStringList logs = LogTexts(*window);
  ASSERT_EQ(13, logs.size()) << logs.join('\n').toStdString();
  for (int task : {0, 1}) {
    const int first = task * 5;
    EXPECT_EQ(kSeparator, logs[first]);
    EXPECT_EQ("Start a new cutting task.", logs[first + 1]);
    EXPECT_EQ(QString::fromStdString("Source:  " + (task ? b : a) + "."), logs[first + 2]);
    EXPECT_TRUE(Matches(logs[first + 3], R"(^Time elapsed \d+\.\d\d secs, speed \d+\.\d\dx\.$)"))
        << logs[first + 3].toStdString();
    EXPECT_EQ("Cutting status: OK.", logs[first + 4]);
  }
  EXPECT_EQ(kSeparator, logs[10]);
  EXPECT_TRUE(
      Matches(logs[11], R"(^Total time elapsed \d+\.\d\d secs, overall speed \d+\.\d\dx\.$)"))
      << logs[11].toStdString();
  EXPECT_EQ(kFinishedLine, logs[12]);

  // Numbered on from the lines of earlier jobs, timed, all blue on alternating backgrounds.
  QTreeWidget* log = Log(*window);
  for (int row = 0; row < log->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = log->topLevelItem(row);
    EXPECT_EQ(QString::asprintf("%03d ", linesBefore + 1 + row), item->text(kLogColumnNumber));
    EXPECT_TRUE(Matches(item->text(kLogColumnTime), R"(^\d\d:\d\d:\d\d$)"));
    EXPECT_EQ(0, item->data(0, kLogLevelRole).toInt());
    EXPECT_EQ(QColor(0, 0, 255), item->foreground(kLogColumnText).color());
    EXPECT_EQ(row % 2 ? QColor(243, 245, 252) : QColor(Qt::white),
              item->background(kLogColumnNumber).color());
  }

  EXPECT_EQ("100.00%", Text(*window, 1080));
  EXPECT_EQ("100.00%", Text(*window, 1081));
  EXPECT_EQ(100, FindControlAs<QProgressBar>(*window, 1073)->value());
  EXPECT_EQ(100, FindControlAs<QProgressBar>(*window, 1074)->value());
  EXPECT_EQ("00:00:00", Text(*window, 1088));
  EXPECT_EQ("00:00:00", Text(*window, 1091));
  EXPECT_EQ("Open Dir", Text(*window, 1075));
  EXPECT_TRUE(Button(*window, 1075)->isEnabled()) << "output goes to the chosen folder";
  EXPECT_EQ("Finish", Text(*window, 2));
  EXPECT_TRUE(Button(*window, 2)->isEnabled());
  EXPECT_EQ(QString::fromStdString(b), Text(*window, 1092));
  EXPECT_EQ(2u, FilesIn(out.path()).size());
  EXPECT_EQ(JobResult::Finished, window->jobResult());

  // Finish closes the window with result 0, without a question.
  QTest::mouseClick(Button(*window, 2), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(0, window->result());
}

TEST_F(ConvProgTest, OpenDirIsDisabledWhenThePiecesGoNextToTheSource) {
  const std::string source = out / "next-to-source.mp3";
  std::filesystem::copy_file(FiveSecondStereo(), source);
  CutSettings settings = PiecesOf(60);
  settings.SameAsSrc = 1;
  auto window = Open({source}, settings);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window->windowTitle() == "Finished Cutting"; }, kJobTimeoutMs));
  EXPECT_EQ("Open Dir", Text(*window, 1075));
  EXPECT_FALSE(Button(*window, 1075)->isEnabled());
  EXPECT_EQ(2u, FilesIn(out.path()).size()) << "the source and its piece";
}

// Ten-second pieces: the writer spends most of its time encoding, and waits in a sent progress
// call at the end of each piece, also of the piece that a stop cuts short. Destroying the window
// while the job runs meets that wait with the window's thread joining the engine: it must not
// hang.
TEST_F(ConvProgTest, PauseHoldsTheWriterAndResumeGoesOn) {
  auto window = Open({ThreeMinuteStereo()}, PiecesOf(10));
  ASSERT_TRUE(WaitForProgress(*window));
  QPushButton* pause = Button(*window, 1075);
  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ("Resume", pause->text());
  EXPECT_EQ(1, window->job().paused.load());

  // The writer finishes the chunk in hand, then holds.
  QTest::qWait(300);
  const uint64_t held = window->job().doneTask;
  QTest::qWait(700);
  EXPECT_EQ(held, window->job().doneTask.load());
  EXPECT_EQ(1, window->job().running.load());

  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ("Pause", pause->text());
  EXPECT_EQ(0, window->job().paused.load());
  EXPECT_TRUE(WaitForProgress(*window, held + 25 * 44100 * 2));
  window.reset();  // while the job runs
  EXPECT_GE(FilesIn(out.path()).size(), 3u);
}

TEST_F(ConvProgTest, CancelAnsweredNoGoesOnUnpaused) {
  auto window = Open({ThreeMinuteStereo()}, PiecesOf(60));
  ASSERT_TRUE(WaitForProgress(*window));
  QTest::mouseClick(Button(*window, 1075), Qt::LeftButton);  // paused before
  ASSERT_EQ(1, window->job().paused.load());

  MessageBoxScript boxes;
  boxes.Expect(kCancelQuestion, MessageAnswer::No);
  QTest::mouseClick(Button(*window, 2), Qt::LeftButton);
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ(MessageIcon::Question, boxes.shown()[0].icon);
  EXPECT_EQ(MessageButtons::YesNo, boxes.shown()[0].buttons);

  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(1, window->job().running.load());
  EXPECT_EQ(0, window->job().paused.load());
  EXPECT_EQ("Pause", Text(*window, 1075)) << "the job runs, so the button offers Pause";
  EXPECT_EQ("Cancel", Text(*window, 2));
  const uint64_t done = window->job().doneTask;
  EXPECT_TRUE(WaitForProgress(*window, done + 1));
}

TEST_F(ConvProgTest, CancelAnsweredYesStopsPromptlyAndLeavesAPlayablePiece) {
  auto window = Open({ThreeMinuteStereo()}, PiecesOf(170));
  // Ten seconds of stereo audio written, far from the end of the 170-second piece.
  ASSERT_TRUE(WaitForProgress(*window, 10 * 44100 * 2));

  MessageBoxScript boxes;
  boxes.Expect(kCancelQuestion, MessageAnswer::Yes);
  QTest::mouseClick(Button(*window, 2), Qt::LeftButton);
  // The window stays responsive while the engine stops.
  EXPECT_EQ(0, window->job().running.load());
  EXPECT_FALSE(Button(*window, 1075)->isEnabled());
  EXPECT_FALSE(Button(*window, 2)->isEnabled());
  if (window->isVisible()) {
    EXPECT_EQ("Aborting, Please Wait...", window->windowTitle());
  }

  // Every wait of the engine polls running, so it stops within a few hundred milliseconds.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000))
      << "the engine did not stop";
  EXPECT_EQ(0, window->result());
  EXPECT_EQ(JobResult::Cancelled, window->jobResult());
  window.reset();

  const auto files = FilesIn(out.path());
  ASSERT_EQ(1u, files.size());
  EXPECT_TRUE(HasInfoHeader(files[0]));
  const DecodedAudio piece = DecodeMp3(files[0]);
  EXPECT_GE(piece.frames(), 10u * 44100 - 4096);
  EXPECT_LT(piece.frames(), 170u * 44100);
}

TEST_F(ConvProgTest, KeysDoNotCloseARunningJobAndTheCloseBoxActsAsCancel) {
  auto window = Open({ThreeMinuteStereo()}, PiecesOf(1));
  ASSERT_TRUE(WaitForProgress(*window));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_Return);
  Button(*window, 2)->setFocus();
  QTest::keyClick(Button(*window, 2), Qt::Key_Enter);
  QTest::keyClick(Button(*window, 2), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(1, window->job().running.load());

  MessageBoxScript boxes;
  boxes.Expect(kCancelQuestion, MessageAnswer::No);
  boxes.Expect(kCancelQuestion, MessageAnswer::Yes);
  EXPECT_FALSE(window->close()) << "answered No";
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(1, window->job().running.load());
  window->close();  // answered Yes
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
  EXPECT_EQ(JobResult::Cancelled, window->jobResult());
  EXPECT_EQ(2u, boxes.shown().size());
}

TEST_F(ConvProgTest, FailedJobStaysOpenWithRedErrorsAndCancelClosesIt) {
  engine.context.encoderLibraryPath = out / "missing/liblame_enc.so";
  MessageBoxScript boxes;
  boxes.Expect("Error Loading Lame_enc.dll", MessageAnswer::Ok);
  auto window = Open({FiveSecondStereo()}, PiecesOf(60));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return window->jobResult() == JobResult::Failed &&
               LogHas(*window, "Cutting status: ERROR.");
      },
      kJobTimeoutMs))
      << LogTexts(*window).join('\n').toStdString();
  QTest::qWait(50);  // anything still queued arrives

  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ(MessageIcon::Error, boxes.shown()[0].icon);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ("Cutting 1/1", window->windowTitle());
  EXPECT_EQ("Pause", Text(*window, 1075));
  EXPECT_TRUE(Button(*window, 1075)->isEnabled());
  EXPECT_EQ("Cancel", Text(*window, 2));
  EXPECT_FALSE(LogHas(*window, kFinishedLine));

  QTreeWidget* log = Log(*window);
  int errors = 0;
  for (int row = 0; row < log->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = log->topLevelItem(row);
    const int level = item->data(0, kLogLevelRole).toInt();
    EXPECT_EQ(level ? QColor(255, 0, 0) : QColor(0, 0, 255),
              item->foreground(kLogColumnText).color())
        << item->text(kLogColumnText).toStdString();
    if (level == 2) ++errors;
  }
  EXPECT_EQ(2, errors) << "the encoder line and the status line";
  EXPECT_EQ("Cutting status: ERROR.", LogTexts(*window).back());

  // Cancel closes at once, without a question (the script would fail on one).
  QTest::mouseClick(Button(*window, 2), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(0, window->result());
}

TEST_F(ConvProgTest, ClearKeepsTheNumbersAndTheNextJobGoesOn) {
  auto first = Open({FiveSecondStereo()}, PiecesOf(60));
  ASSERT_TRUE(QTest::qWaitFor([&] { return LogHas(*first, kFinishedLine); }, kJobTimeoutMs));
  QTreeWidget* log = Log(*first);
  const int last = RowNumber(log->topLevelItem(log->topLevelItemCount() - 1));
  EXPECT_EQ(CConvProg::logLinesAdded(), last);
  QTest::mouseClick(Button(*first, 1096), Qt::LeftButton);
  EXPECT_EQ(0, log->topLevelItemCount());
  first.reset();

  CutSettings settings = PiecesOf(60);
  auto second = Open({FiveSecondMono()}, settings);
  ASSERT_TRUE(QTest::qWaitFor([&] { return LogHas(*second, kFinishedLine); }, kJobTimeoutMs));
  log = Log(*second);
  ASSERT_EQ(6, log->topLevelItemCount());
  for (int row = 0; row < 6; ++row) EXPECT_EQ(last + 1 + row, RowNumber(log->topLevelItem(row)));
  EXPECT_EQ(QColor(Qt::white), log->topLevelItem(0)->background(kLogColumnText).color());
}

TEST_F(ConvProgTest, LayoutFollowsTheAnchorsAndThePlacementIsSaved) {
  auto window = Open({FiveSecondStereo()}, PiecesOf(60));
  QTreeWidget* log = Log(*window);
  EXPECT_EQ(4, log->columnCount());
  const QStringList headers{"", "#", "Time", "Description"};
  const int widths[] = {0, 55, 63, 500};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(headers[column], log->headerItem()->text(column));
    EXPECT_EQ(widths[column], log->header()->sectionSize(column)) << column;
  }
  EXPECT_EQ(Qt::AlignCenter, log->headerItem()->textAlignment(kLogColumnNumber));

  auto rect = [&](int id) { return FindControl(*window, id)->geometry(); };
  const QRect group = rect(1071), bar = rect(1074), list = rect(1003), cancel = rect(2),
              done = rect(1076), percent = rect(1080);
  window->resize(window->size() + QSize(200, 120));
  QApplication::processEvents();
  EXPECT_EQ(group.adjusted(0, 0, 200, 0), rect(1071));
  EXPECT_EQ(bar.adjusted(0, 0, 200, 0), rect(1074));
  EXPECT_EQ(list.adjusted(0, 0, 200, 120), rect(1003));
  EXPECT_EQ(cancel.size(), rect(2).size());
  EXPECT_EQ(cancel.top() + 120, rect(2).top());
  EXPECT_GT(rect(2).left(), cancel.left());
  EXPECT_EQ(done.size(), rect(1076).size());
  EXPECT_EQ(done.top(), rect(1076).top());
  EXPECT_GT(rect(1076).left(), done.left());
  EXPECT_LT(rect(1076).right(), rect(1080).left()) << "label and value stay apart";
  EXPECT_EQ(percent.size(), rect(1080).size());

  // Destroyed while the job may still run: the engine stops, and the placement is kept.
  window.reset();
  EXPECT_TRUE(ProfileStore()
                  .ReadBinary("Position", QString::fromLatin1(CConvProg::kPlacementEntry))
                  .has_value());
}

TEST(ProgressFormatTest, TextsOfTheFigures) {
  struct Case {
    double value;
    const char* percent;
    const char* speed;
  };
  for (const Case& c : std::initializer_list<Case>{{0.0, " 0.00%", "  0.00x"},
                                                   {5.256, " 5.26%", "  5.26x"},
                                                   {42.5, "42.50%", " 42.50x"},
                                                   {100.0, "100.00%", " 100.00x"}}) {
    EXPECT_EQ(c.percent, FormatPercent(c.value));
    EXPECT_EQ(c.speed, FormatSpeed(c.value));
  }

  struct Duration {
    double seconds;
    const char* text;
  };
  for (const Duration& d : std::initializer_list<Duration>{{0.0, "00:00:00"},
                                                           {59.999, "00:00:59"},
                                                           {61.5, "00:01:01"},
                                                           {3599.9, "00:59:59"},
                                                           {3600.0, "01:00:00"},
                                                           {90061.0, "25:01:01"},
                                                           {-3.0, "00:00:00"},
                                                           {1e300, "1000000:00:00"}}) {
    EXPECT_EQ(d.text, FormatDuration(d.seconds)) << d.seconds;
  }
}

TEST(ProgressFormatTest, ClampAndRemainingTime) {
  EXPECT_EQ(100.f, ClampPercent(100.0001f));
  EXPECT_EQ(100.f, ClampPercent(250.f));
  EXPECT_EQ(37.5f, ClampPercent(37.5f));
  EXPECT_EQ(0.f, ClampPercent(-1.f));
  EXPECT_EQ(0.f, ClampPercent(std::nanf("")));

  EXPECT_FALSE(RemainingSeconds(0.0, 10.0).has_value()) << "nothing done yet";
  EXPECT_DOUBLE_EQ(30.0, *RemainingSeconds(25.0, 10.0));
  EXPECT_DOUBLE_EQ(10.0, *RemainingSeconds(50.0, 10.0));
  EXPECT_DOUBLE_EQ(0.0, *RemainingSeconds(100.0, 10.0));
  EXPECT_EQ("00:01:30", FormatDuration(*RemainingSeconds(10.0, 10.0)));
}

}  // namespace
}  // namespace snipster
