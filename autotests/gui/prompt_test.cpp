#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/comment_dialog.h"

Q_DECLARE_METATYPE(ecuprobe::reports::MessageIcon)

namespace ecuprobe::gui_testing {

namespace control = console::control;
using reports::MessageIcon;

namespace {

// What a service on the link thread got back, handed to the test thread once done.
struct ServiceRun {
    std::atomic<bool> done{false};
    std::optional<std::string> text;
    bool yes = false;
};

const reports::SaveAsRequest dumpRequest{
    "tdm", "ZORAFIL", "Файлы дампов тестера ISO14230 (*.tdm)|*.tdm|Все файлы (*.*)|*.*||"};

}  // namespace

// Each question a service asks on the link thread, answered in its dialog on the
// GUI thread, while the console's poll goes on ticking under it.
class PromptTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        openAlone();
        QVERIFY(startConnected(*console, *log));
        run = std::make_shared<ServiceRun>();
    }

    void cleanup() { QVERIFY(closeAll()); }

    void saveAsOffersTheDumpFilterTheSuffixAndTheProposedName() {
        askSavePath();
        auto* dialog = waitForWindow<QFileDialog>();
        QVERIFY(dialog != nullptr);
        QVERIFY(pollTicksUnder(dialog));
        QCOMPARE(dialog->nameFilters(),
                 (QStringList{QStringLiteral("Файлы дампов тестера ISO14230 (*.tdm)"),
                              QStringLiteral("Все файлы (*)")}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("tdm"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                 QStringLiteral("ZORAFIL"));
        QTemporaryDir dir;
        chooseFile(dialog, dir.filePath(QStringLiteral("garage")));
        QVERIFY(waitFor([this] { return run->done.load(); }));
        QCOMPARE(run->text, std::optional<std::string>(dir.filePath("garage.tdm").toStdString()));
    }

    void anExistingFileIsReplacedOnlyAfterYes() {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("old.tdm"));
        QFile(existing).open(QIODevice::WriteOnly);
        askSavePath();
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            auto* dialog = waitForWindow<QFileDialog>();
            QVERIFY(dialog != nullptr);
            chooseFile(dialog, existing);
            auto* question = waitForWindow<QMessageBox>();
            QVERIFY(question != nullptr);
            QCOMPARE(question->text(), QStringLiteral("old.tdm уже существует.\nЗаменить его?"));
            QCOMPARE(question->defaultButton(), question->button(QMessageBox::No));
            QVERIFY(!run->done.load());
            question->button(answer)->click();
        }
        QVERIFY(waitFor([this] { return run->done.load(); }));
        QCOMPARE(run->text, std::optional<std::string>(existing.toStdString()));
    }

    void cancelledSaveAsGivesNoPath() {
        askSavePath();
        auto* dialog = waitForWindow<QFileDialog>();
        QVERIFY(dialog != nullptr);
        dialog->reject();
        QVERIFY(waitFor([this] { return run->done.load(); }));
        QCOMPARE(run->text, std::nullopt);
    }

    void commentTakesLinesUpToItsLimitAndOnlyOnOk_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void commentTakesLinesUpToItsLimitAndOnlyOnOk() {
        QFETCH(bool, ok);
        console->link().runService([state = run](console::TesterPanel&, reports::UserPrompts& ask) {
            state->text = ask.askComment(256);
            state->done = true;
        });
        auto* dialog = waitForWindow<ui::CommentDialog>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ввод коментария при сохранении"));
        QVERIFY(pollTicksUnder(dialog));
        auto* edit = dialog->findChild<QPlainTextEdit*>();
        QTest::keyClicks(edit, QStringLiteral("Plug 3"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        edit->insertPlainText(QString(300, u'я'));
        QCOMPARE(edit->toPlainText().size(), 256);
        if (ok) {
            dialog->accept();
        } else {
            dialog->reject();
        }
        QVERIFY(waitFor([this] { return run->done.load(); }));
        if (ok) {
            QCOMPARE(run->text,
                     std::optional<std::string>(
                         (QStringLiteral("Plug 3\n") + QString(249, u'я')).toStdString()));
        } else {
            QCOMPARE(run->text, std::nullopt);
        }
    }

    // The dump would hold "?" for them: OK names them and keeps the dialog open.
    void commentWithCharactersTheDumpCannotCarryIsHeldBackUntilChanged() {
        console->link().runService([state = run](console::TesterPanel&, reports::UserPrompts& ask) {
            state->text = ask.askComment(256);
            state->done = true;
        });
        auto* dialog = waitForWindow<ui::CommentDialog>();
        QVERIFY(dialog != nullptr);
        auto* edit = dialog->findChild<QPlainTextEdit*>();
        edit->setPlainText(QStringLiteral("Свеча ✓ 3½"));
        dialog->accept();
        QVERIFY(dialog->isVisible());
        auto* lacking = dialog->findChild<QLabel*>(QStringLiteral("lacking"));
        QVERIFY(lacking->isVisible());
        QVERIFY(lacking->text().contains(QStringLiteral(": ✓ ½.")));
        edit->setPlainText(QStringLiteral("Свеча 3"));
        dialog->accept();
        QVERIFY(waitFor([this] { return run->done.load(); }));
        QCOMPARE(run->text, std::optional<std::string>("Свеча 3"));
    }

    void yesNoQuestionHasItsCaptionDefaultAndAnswer_data() {
        QTest::addColumn<bool>("yesIsDefault");
        QTest::addColumn<int>("press");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes by default, Yes") << true << int(QMessageBox::Yes) << true;
        QTest::newRow("No by default, Yes") << false << int(QMessageBox::Yes) << true;
        QTest::newRow("Yes by default, No") << true << int(QMessageBox::No) << false;
        QTest::newRow("Escape is No") << true << int(Qt::Key_Escape) << false;
    }
    void yesNoQuestionHasItsCaptionDefaultAndAnswer() {
        QFETCH(bool, yesIsDefault);
        QFETCH(int, press);
        QFETCH(bool, yes);
        console->link().runService(
            [state = run, yesIsDefault](console::TesterPanel&, reports::UserPrompts& ask) {
                state->yes = ask.askYesNo("Очистка таблицы.", "Очистить?", yesIsDefault);
                state->done = true;
            });
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Очистка таблицы."));
        QCOMPARE(box->text(), QStringLiteral("Очистить?"));
        QCOMPARE(box->defaultButton(),
                 box->button(yesIsDefault ? QMessageBox::Yes : QMessageBox::No));
        QVERIFY(pollTicksUnder(box));
        if (press == Qt::Key_Escape) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            box->button(static_cast<QMessageBox::StandardButton>(press))->click();
        }
        QVERIFY(waitFor([this] { return run->done.load(); }));
        QCOMPARE(run->yes, yes);
    }

    void messageShowsItsCaptionAndIconUntilClosed_data() {
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<QMessageBox::Icon>("shown");
        QTest::newRow("error") << MessageIcon::error << QMessageBox::Critical;
        QTest::newRow("warning") << MessageIcon::warning << QMessageBox::Warning;
        QTest::newRow("information") << MessageIcon::information << QMessageBox::Information;
        QTest::newRow("question") << MessageIcon::question << QMessageBox::Question;
        QTest::newRow("none") << MessageIcon::none << QMessageBox::NoIcon;
    }
    void messageShowsItsCaptionAndIconUntilClosed() {
        QFETCH(MessageIcon, icon);
        QFETCH(QMessageBox::Icon, shown);
        console->link().runService(
            [state = run, icon](console::TesterPanel&, reports::UserPrompts& ask) {
                ask.showMessage("Ошибка исполнения", "Не возможно открыть файл.", icon);
                state->done = true;
            });
        auto* box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка исполнения"));
        QCOMPARE(box->text(), QStringLiteral("Не возможно открыть файл."));
        QCOMPARE(box->icon(), shown);
        QVERIFY(pollTicksUnder(box));
        QVERIFY(!run->done.load());
        box->button(QMessageBox::Ok)->click();
        QVERIFY(waitFor([this] { return run->done.load(); }));
    }

    void closingUnderAQuestionAnswersNoAndStillHandsBackLast() {
        console->link().runService([state = run](console::TesterPanel&, reports::UserPrompts& ask) {
            state->yes = ask.askYesNo("Сохранение в долговременную память.", "?", true);
            state->text = ask.askComment(256);
            state->done = true;
        });
        QPointer<QMessageBox> box = waitForWindow<QMessageBox>();
        QVERIFY(box != nullptr);
        console->close();
        QVERIFY(waitFor([this] { return console.isNull(); }));
        QVERIFY(run->done.load());
        QVERIFY(!run->yes);
        QCOMPARE(run->text, std::nullopt);
        QVERIFY(waitFor([&box] { return box.isNull() || !box->isVisible(); }));
        const std::vector<Bytes> sent = line->payloads();
        QCOMPARE(std::vector<Bytes>(sent.end() - 6, sent.end()), handBackPayloads());
    }

private:
    void askSavePath() {
        console->link().runService([state = run](console::TesterPanel&, reports::UserPrompts& ask) {
            state->text = ask.askSavePath(dumpRequest);
            state->done = true;
        });
    }

    // The poll ticks at least twice more while the dialog stays open.
    bool pollTicksUnder(QWidget* dialog) {
        const int before = log->ticks();
        return waitFor([&] { return log->ticks() >= before + 2; }) && dialog->isVisible() &&
               !run->done.load();
    }

    std::shared_ptr<ServiceRun> run;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::PromptTest)
#include "prompt_test.moc"
