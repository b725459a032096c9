// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemover.h"
#include "folderlist.h"
#include "folderscan.h"
#include "journal.h"
#include "qtmessageboxes.h"
#include "recovery.h"
#include "renameplan.h"
#include "testmain.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

// The journal seen from the window: recovery at start and undo of the last run, across starts.
class TestJournal : public WindowTest
{
    Q_OBJECT

private:
    // A run recorded as begun in folder, with nothing renamed yet: as if the machine died
    // right after the journal was written.
    Journal recordRunningPlan(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                              const std::vector<QByteArray> &newNames)
    {
        FileMover mover;
        const FolderScan scan = FolderScan::read(folder, mover.sys());
        std::vector<QByteArray> temps;
        unsigned counter = 0;
        const auto steps = orderMoves(scan, oldNames, newNames, &temps, counter);
        const Journal journal = Journal::of(folder, oldNames, newNames, temps, steps);
        const int error = JournalStore().begin(journal);
        if (error != 0)
            qFatal("no record: %d", error);
        return journal;
    }

private slots:
    void undoAfterARestartLeavesAFileRenamedSinceAndUndoesTheRest()
    {
        for (const char *n : {"a.jpg", "b.jpg", "c.jpg"})
            m_home->write(QLatin1String(n), n);
        open();
        QVERIFY(!Command7()->isEnabled());
        Command1()->click();
        Text2()->setText(QStringLiteral("Bild"));
        Check2()->setChecked(false);
        Command5()->click();
        QCOMPARE(m_home->files(), (QStringList {"Bild01.jpg", "Bild02.jpg", "Bild03.jpg"}));
        QVERIFY(Command7()->isEnabled());
        m_window->close();
        QFile::rename(m_home->path() + QStringLiteral("/Bild02.jpg"),
                      m_home->path() + QStringLiteral("/mein.jpg"));

        m_boxes = ScriptedBoxes();
        open(); // a new start
        QVERIFY(m_boxes.messages.empty());
        QVERIFY(Command7()->isEnabled());
        Command7()->click();
        // The others get their old names; the one renamed by hand is named and keeps its name.
        QCOMPARE(m_boxes.messageTitles(), (QStringList {"Frage ...?", "Achtung!"}));
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("2 Dateien")));
        QVERIFY(m_boxes.messages[1].prompt.contains(
            QStringLiteral("„Bild02.jpg“ fehlt – sie behält ihren Namen.")));
        QCOMPARE(m_home->files(), (QStringList {"a.jpg", "c.jpg", "mein.jpg"}));
        QCOMPARE(m_home->read(QStringLiteral("a.jpg")), QByteArray("a.jpg"));
        QCOMPARE(File1()->count(), 3); // the folder shown anew
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QVERIFY(!Command7()->isEnabled());
    }

    void interruptedRunIsFinishedOrUndoneAtStart_data()
    {
        QTest::addColumn<int>("answerValue");
        QTest::addColumn<QByteArray>("first");
        QTest::newRow("Fortsetzen") << int(MessageAnswer::Continue) << QByteArray("zwei");
        QTest::newRow("Rückgängig machen") << int(MessageAnswer::Undo) << QByteArray("eins");
        QTest::newRow("Später") << int(MessageAnswer::Later) << QByteArray("<missing>");
    }

    void interruptedRunIsFinishedOrUndoneAtStart()
    {
        QFETCH(int, answerValue);
        const MessageAnswer answer = MessageAnswer(answerValue);
        QFETCH(QByteArray, first);
        // A swap: A01 <-> A02, through a temporary name, cut after its first step.
        m_home->write(QStringLiteral("A01.jpg"), "eins");
        m_home->write(QStringLiteral("A02.jpg"), "zwei");
        const Journal journal
            = recordRunningPlan(m_home->raw(), {"A01.jpg", "A02.jpg"}, {"A02.jpg", "A01.jpg"});
        FileMover mover;
        QVERIFY(carryOut(journal, 0, 1, mover).ok());
        m_boxes.answers = {answer};
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Frage ...?"});
        QCOMPARE(m_boxes.messages[0].kind, MessageKind::RecoveryQuestion);
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("nach 0 von 2 Dateien")));
        QCOMPARE(m_home->read(QStringLiteral("A01.jpg")), first);
        QCOMPARE(Command7()->isEnabled(), answer == MessageAnswer::Continue);
        if (answer == MessageAnswer::Later) {
            QCOMPARE(m_home->files().size(), 2); // A02.jpg and the temporary name, as they were
            m_window.reset();
            m_boxes = ScriptedBoxes();
            open();
            QCOMPARE(m_boxes.messageTitles(), QStringList {"Frage ...?"}); // asked again
            m_boxes.messages.clear();
            File1()->setFocus();
            QTest::keyClick(File1(), Qt::Key_F5); // and on F5: the card may be back
            QCOMPARE(m_boxes.messageTitles(), QStringList {"Frage ...?"});
            return;
        }
        QCOMPARE(m_home->files(), (QStringList {"A01.jpg", "A02.jpg"}));
        QCOMPARE(Dir1()->path(), m_home->raw());
    }

    void recoveryQuestionNamesItsActionsAndEscapeMeansLater()
    {
        QStringList buttons;
        QString defaultButton;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        const MessageAnswer answer = QtMessageBoxes(nullptr).show(QStringLiteral("unterbrochen"),
                                                                  MessageKind::RecoveryQuestion,
                                                                  QStringLiteral("Frage ...?"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList {"Fortsetzen", "Rückgängig machen", "Später"}));
        QCOMPARE(defaultButton, QStringLiteral("Fortsetzen"));
        QCOMPARE(answer, MessageAnswer::Later);
    }

    void unreachableOrDamagedJournalMovesNothing()
    {
        m_home->write(QStringLiteral("a.jpg"), "a");
        recordRunningPlan(m_home->raw() + "/Karte", {}, {}); // a folder not there
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("nicht erreichbar")));
        m_window.reset();
        QVERIFY(QFile::exists(JournalStore().runningPath())); // asked again at the next start

        // Damaged: one warning, never a crash, never a move; not asked again.
        QFile journal(JournalStore().runningPath());
        QVERIFY(journal.open(QIODevice::ReadWrite));
        const QByteArray whole = journal.readAll();
        journal.resize(whole.size() / 2);
        journal.close();
        m_boxes = ScriptedBoxes();
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("beschädigt")));
        QCOMPARE(m_home->files(), QStringList {"a.jpg"});
        m_window.reset();
        m_boxes = ScriptedBoxes();
        open();
        QVERIFY(m_boxes.messages.empty());
    }
};

BRIXELWAND_TEST_MAIN(TestJournal)
#include "tst_journal.moc"
