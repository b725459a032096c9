// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "testmain.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

class TestSelection : public WindowTest
{
    Q_OBJECT

private:
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < File1()->count(); ++i)
            names << File1()->shownName(i);
        return names;
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (int i = 0; i < File1()->count(); ++i) {
            if (File1()->isSelected(i))
                rows << i;
        }
        return rows;
    }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        FileList *list = File1();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void openWith(std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            m_home->touch(n);
        open();
    }

private slots:
    void startsInHomeSortedWithoutRegardToCase()
    {
        QVERIFY(::mkdir((m_home->raw() + "/Unterordner").constData(), 0755) == 0);
        openWith({"b.jpg", "A.jpg", "c.JPG", "a2.jpg", "B1.png", "zebra", "Äpfel", "öl", "Ofen",
                  "Füße", "Fusel"});
        QCOMPARE(Dir1()->path(), home());
        QCOMPARE(Drive1()->currentDrive(), Drive1()->driveOf(home()));
        // German order: umlauts with their vowels, ß as ss.
        QCOMPARE(listed(),
                 (QStringList {"A.jpg", "a2.jpg", "Äpfel", "b.jpg", "B1.png", "c.JPG", "Fusel",
                               "Füße", "Ofen", "öl", "zebra"}));
        QVERIFY(selectedRows().isEmpty());
        // A card's names share their beginning; they differ within eight bytes after it, or
        // beyond, or in case only.
        for (const char *n :
             {"IMG_9.jpg", "IMG_10000000.jpg", "img_1.JPG", "IMG_1.jpg", "IMG_1000000000B.jpg",
              "IMG_100000000.jpg", "IMG_1000000000a.jpg", "IMG_10.jpg"})
            m_home->touch(QByteArray("Unterordner/") + n);
        QVERIFY(Dir1()->setPath(home() + "/Unterordner"));
        QCOMPARE(listed(),
                 (QStringList {"IMG_1.jpg", "img_1.JPG", "IMG_10.jpg", "IMG_10000000.jpg",
                               "IMG_100000000.jpg", "IMG_1000000000a.jpg", "IMG_1000000000B.jpg",
                               "IMG_9.jpg"}));
        QVERIFY(Dir1()->setPath(home()));
        // Volumes that hold files only; the root is always there.
        QVERIFY(Drive1()->findData(QByteArray("/")) >= 0);
        QCOMPARE(Drive1()->findData(QByteArray("/proc")), -1);
    }

    void folderListChainsToFileList()
    {
        QVERIFY(::mkdir((home() + "/Fotos").constData(), 0755) == 0);
        QVERIFY(::mkdir((home() + "/.versteckt").constData(), 0755) == 0);
        m_home->touch("Fotos/IMG_1.jpg");
        openWith({"top.txt"});
        Command1()->click();

        // The tree: ancestors down to home, then its sub-folders (no dot folders).
        QTreeWidgetItem *current = Dir1()->currentItem();
        QCOMPARE(current->childCount(), 1);
        QTreeWidgetItem *fotos = current->child(0);
        QCOMPARE(fotos->text(0), QStringLiteral("Fotos"));
        QCOMPARE(Dir1()->topLevelItem(0)->text(0), QStringLiteral("/"));

        emit Dir1()->itemActivated(fotos, 0); // double-click or Enter
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        QCOMPARE(listed(), QStringList {"IMG_1.jpg"});
        QVERIFY(selectedRows().isEmpty());

        // Opened from outside, as a start on a folder or on files does: the volume and the tree
        // follow, and exactly the files named are selected.
        QVERIFY(m_window->openFolder(home(), {"top.txt"}));
        QCOMPARE(Dir1()->path(), home());
        QCOMPARE(selectedRows(), QList<int> {0});
        QVERIFY(!m_window->openFolder(home() + "/Fotos", {"IMG_1.jpg", "fehlt.jpg"}));
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        QCOMPARE(selectedRows(), QList<int> {0});

        // A folder that cannot be read is not opened; the lists stay.
        QVERIFY(!Dir1()->setPath(home() + "/fehlt"));
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        // Nor is one that another program removed after the tree showed it: tree and list stay
        // together on the folder before.
        QVERIFY(::mkdir((home() + "/Fotos/Weg").constData(), 0755) == 0);
        Dir1()->reread();
        QTreeWidgetItem *gone = Dir1()->currentItem()->child(0);
        QVERIFY(::rmdir((home() + "/Fotos/Weg").constData()) == 0);
        emit Dir1()->itemActivated(gone, 0);
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        QCOMPARE(Dir1()->currentItem()->text(0), QStringLiteral("Fotos"));
        QCOMPARE(listed(), QStringList {"IMG_1.jpg"});
        // A folder removed meanwhile shows as empty after F5.
        QVERIFY(::unlink((home() + "/Fotos/IMG_1.jpg").constData()) == 0);
        QVERIFY(::rmdir((home() + "/Fotos").constData()) == 0);
        File1()->setFocus();
        QTest::keyClick(File1(), Qt::Key_F5);
        QCOMPARE(File1()->count(), 0);
    }

    void selectingWithMouseAndKeysNumbersInListOrder()
    {
        openWith({"a", "b", "c", "d", "e", "f"});
        click(1);
        click(3, Qt::ShiftModifier);
        QCOMPARE(selectedRows(), (QList<int> {1, 2, 3}));
        click(2, Qt::ControlModifier);
        click(5, Qt::ControlModifier);
        QCOMPARE(selectedRows(), (QList<int> {1, 3, 5}));
        click(0);
        QTest::keyClick(File1(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selectedRows(), (QList<int> {0, 1}));
        click(5, Qt::ControlModifier);

        Text2()->setText(QStringLiteral("N"));
        Command5()->click();
        QCOMPARE(m_home->files(), (QStringList {"N 01", "N 02", "N 03", "c", "d", "e"}));
    }

    void selectAllAndNone()
    {
        openWith({});
        Command1()->click(); // empty list: nothing happens
        Command2()->click();
        QCOMPARE(File1()->count(), 0);
        QVERIFY(m_boxes.messages.empty());
        m_window.reset();

        for (int i = 0; i < 300; ++i)
            m_home->touch(QByteArray("f") + QByteArray::number(1000 + i));
        open();
        click(7);
        Command1()->click();
        QCOMPARE(selectedRows().size(), 300);
        QCOMPARE(File1()->currentIndex().row(), 299); // ends showing the last
        Command2()->click();
        QVERIFY(selectedRows().isEmpty());
        QCOMPARE(File1()->currentIndex().row(), 0);
    }

    void hiddenAndSystemFilesFollowTheirSwitches()
    {
        QVERIFY(::mkfifo((home() + "/pipe").constData(), 0644) == 0);
        QVERIFY(::symlink("/nonexistent/x", (home() + "/dangling").constData()) == 0);
        QVERIFY(::symlink((home() + "/plain.jpg").constData(), (home() + "/link.jpg").constData())
                == 0);
        QVERIFY(::mkdir((home() + "/sub").constData(), 0755) == 0);
        QVERIFY(::symlink((home() + "/sub").constData(), (home() + "/sublink").constData()) == 0);
        openWith({"plain.jpg", ".dotfile"});
        QCOMPARE(listed(), (QStringList {"link.jpg", "plain.jpg"}));

        Command1()->click();
        Check3()->setChecked(true); // answered Yes
        QCOMPARE(listed(), (QStringList {".dotfile", "link.jpg", "plain.jpg"}));
        QVERIFY(selectedRows().isEmpty());
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QCOMPARE(m_boxes.messages[0].kind, MessageKind::CriticalQuestion);

        m_boxes.answers = {MessageAnswer::No};
        Check4()->setChecked(true);
        QVERIFY(!Check4()->isChecked());
        QCOMPARE(listed().size(), 3);

        Check4()->setChecked(true);
        QCOMPARE(listed(), (QStringList {".dotfile", "dangling", "link.jpg", "pipe", "plain.jpg"}));
        Check3()->setChecked(false);
        QCOMPARE(listed(), (QStringList {"dangling", "link.jpg", "pipe", "plain.jpg"}));
    }

    void rawByteNamesAreListedSelectedAndRenamed()
    {
        openWith({"foto\xff.jpg", "gut.jpg"});
        QCOMPARE(listed(), (QStringList {QStringLiteral("foto\uFFFD.jpg"), "gut.jpg"}));
        QCOMPARE(File1()->rawName(0), QByteArray("foto\xff.jpg"));
        click(0);
        Text2()->setText(QStringLiteral("Bild"));
        Command5()->click();
        QCOMPARE(m_boxes.messageTitles().last(), QStringLiteral("Bin fertig!"));
        QCOMPARE(listed(), (QStringList {"Bild 01.jpg", "gut.jpg"}));
    }

    void moreEntriesThanAShortCount()
    {
        // Hard links of one file: listed as files like any other, and made many times faster.
        m_home->touch("x100000");
        const QByteArray first = m_home->raw() + "/x100000";
        int failed = 0;
        for (int i = 1; i < 40000; ++i) {
            const QByteArray name = m_home->raw() + "/x" + QByteArray::number(100000 + i);
            failed += ::link(first.constData(), name.constData()) != 0;
        }
        QCOMPARE(failed, 0);
        open();
        QCOMPARE(File1()->count(), 40000);
        QCOMPARE(File1()->shownName(39999), QStringLiteral("x139999"));
        Command1()->click();
        QVERIFY(File1()->isSelected(39999));
    }
};

BRIXELWAND_TEST_MAIN(TestSelection)
#include "tst_selection.moc"
