// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturefiles.h"
#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "optionspage.h"
#include "previewmodel.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"
#include "switches.h"
#include "testmain.h"
#include "windowtesting.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>

#include <map>

#include <fcntl.h>
#include <sys/stat.h>

class TestHptfrm : public WindowTest
{
    Q_OBJECT

private:
    QString textOf(const QString &name) const
    {
        QWidget *w = m_window->findChild<QWidget *>(name);
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            return b->text();
        if (auto *l = qobject_cast<QLabel *>(w))
            return l->text();
        if (auto *g = qobject_cast<QGroupBox *>(w))
            return g->title();
        if (auto *e = qobject_cast<QLineEdit *>(w))
            return e->text();
        return QStringLiteral("<no such control>");
    }

    void clickAndSettle(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents(); // the queued loss-of-focus reactions
    }

private slots:
    void init()
    {
        WindowTest::init();
        for (const char *n : {"b.jpg", "a.jpg", "C.png"})
            m_home->touch(n);
        open();
    }

    void controlTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const std::pair<const char *, const char *> controls[] = {
            {"Command1", "Alle auswählen"},
            {"Command2", "Keine auswählen"},
            {"Check3", "Versteckte Dateien"},
            {"Check4", "Systemdateien"},
            {"Command3", "weiter >>"},
            {"Text2", ""},
            {"Text3", "1"},
            {"Text4", "2"},
            {"Check2", "zwischen Dateiname und Zahl ein Leerzeichen"},
            {"Check1", "Stellenanzahl automatisch ermitteln"},
            {"Check5", "Leerzeichen durch Unterstriche ersetzen (Unix)"},
            {"Check7", "ä, ö, ü, ß durch ae, oe, ue und ss ersetzen"},
            {"Check6", "CD-Konventionen beachten (max. 64 Zeichen)"},
            {"Check8", "nach Aufnahmezeit nummerieren"},
            {"Check9", "RAW, JPEG und XMP einer Aufnahme gleich nummerieren"},
            {"Check10", "Aufnahmedatum vor den Namen setzen"},
            {"Check11", "Nummern je Aufnahmetag neu beginnen"},
            {"Label11", "Tag beginnt um"},
            {"Optionbtn1", "Dateiendungen beibehalten"},
            {"Optionbtn2", "Dateiendungen ändern in:"},
            {"Text1", ""},
            {"Command5", "Dateien umbenennen >>"},
            {"Command4", "<< zurück"},
            {"Label1", "Bitte wählen Sie die Dateien aus, die umbenannt werden sollen:"},
            {"Frame1", "Neuer Dateiname ..."},
            {"Frame2", "Neue Dateiendung ..."},
            {"Label2", "Neuer Dateiname:"},
            {"Label3", "Startzahl:"},
            {"Label4", "Anzahl der Stellen:"},
            {"Frame3", "Programminfo ..."},
            {"Frame4", "Updates und Infos ..."},
            {"Frame5", "Status"},
            {"Label5", "Bin bereit ..."},
            {"Command6", "Ende"},
            {"Label6", "F5 -> Aktualisieren"},
            {"Label7", "Dateianzeige"},
        };
        for (const auto &[name, text] : controls)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text);
    }

    void controlTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(textOf(name), text);
    }

    void windowAndFieldProperties()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Brixelwand 2003"));
        QVERIFY(!m_window->windowIcon().isNull());
        QCOMPARE(SSTab1()->count(), 3);
        QCOMPARE(SSTab1()->tabText(0), QStringLiteral("Schritt 1: Dateien auswählen"));
        QCOMPARE(SSTab1()->tabText(1), QStringLiteral("Schritt 2: Dateien umbenennen"));
        QCOMPARE(SSTab1()->tabText(2), QStringLiteral("Infos zum Programm ..."));
        QCOMPARE(SSTab1()->currentIndex(), 0);
        // Typing stops at 230 characters; a longer name set by the program is shown whole.
        Text2()->setText(QString(229, QLatin1Char('a')));
        QTest::keyClicks(Text2(), QStringLiteral("bc"));
        QCOMPARE(Text2()->text().size(), 230);
        m_window->findChild<OptionsPage *>()->setOptionText(OptionText::Text2,
                                                            QString(240, QLatin1Char('a')));
        QCOMPARE(Text2()->text().size(), 240);
        QTest::keyClick(Text2(), Qt::Key_B);
        QCOMPARE(Text2()->text().size(), 240);
        QTest::keyClick(Text2(), Qt::Key_Backspace);
        QTest::keyClicks(Text2(), QStringLiteral("bc"));
        QCOMPARE(Text2()->text().size(), 239);
        QCOMPARE(Text3()->maxLength(), 5);
        QCOMPARE(Text4()->maxLength(), 1);
        QCOMPARE(Text1()->maxLength(), 4);
        for (QLineEdit *centred : {Text1(), Text3(), Text4()})
            QCOMPARE(centred->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QVERIFY(lblVersion()->text().endsWith(QStringLiteral(" // Release 2.0.1078")));
        // Every text field and list is named for a screen reader.
        for (QWidget *w :
             std::initializer_list<QWidget *> {Drive1(), Dir1(), File1(), Text1(), Text2(), Text3(),
                                               Text4(), List1(), Command7()})
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        for (QCheckBox *box : {Check8(), Check9(), Check10(), Check11()})
            QCOMPARE(box->accessibleName(), box->text());
        QCOMPARE(Text5()->accessibleName(), QStringLiteral("Tag beginnt um"));
        // As the platform tells a screen reader: the window by its role and title; the volume
        // list, whose name is its current text, by the label it names as its own.
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Brixelwand 2003"));
        const auto labels
            = QAccessible::queryAccessibleInterface(Drive1())->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Laufwerk:"));
    }

    void theListsGiveAndTakeTheRoomOfTheWindow()
    {
        // Opens at the size the controls ask for; it fits 1280x720 with a title bar and a
        // panel, down to which the lists alone give up height.
        QCOMPARE(m_window->size(), m_window->sizeHint());
        QVERIFY(m_window->minimumWidth() <= 696 && m_window->minimumHeight() <= 620);
        const QSize file = File1()->size(), folders = Dir1()->size(), step = Command3()->size();
        SSTab1()->setCurrentIndex(1);
        const QSize preview = List1()->size(), names = control<QWidget>("Frame1")->size();
        m_window->resize(m_window->minimumSize());
        QTRY_VERIFY(List1()->height() < preview.height());
        QCOMPARE(control<QWidget>("Frame1")->height(), names.height());
        SSTab1()->setCurrentIndex(0);
        QTRY_VERIFY(File1()->height() < file.height());
        QVERIFY(Dir1()->height() < folders.height());
        QCOMPARE(Command3()->size(), step);

        m_window->resize(m_window->sizeHint() + QSize(300, 200));
        QTRY_VERIFY(File1()->height() >= file.height() + 150);
        QVERIFY(File1()->width() >= file.width() + 100);
        QVERIFY(Dir1()->height() >= folders.height() + 150);
        QCOMPARE(Command3()->size(), step);
        SSTab1()->setCurrentIndex(1);
        QTRY_VERIFY(List1()->height() >= preview.height() + 150);
        QVERIFY(List1()->width() >= preview.width() + 250);
    }

    void informationPage()
    {
        const QString about = RichTextBox2()->toPlainText();
        QVERIFY(about.startsWith(QStringLiteral("Dieses Programm wurde entwickelt, um schnell")));
        QVERIFY(about.contains(QStringLiteral("in der digitalen Fotographie verwendet.")));
        const QString updates = RichTextBox1()->toPlainText();
        QVERIFY(updates.contains(QStringLiteral("Sicherheitspatches für aktuelle Programme")));
        QVERIFY(RichTextBox1()->isReadOnly());
        const QString html = RichTextBox2()->toHtml();
        QVERIFY(html.contains(QStringLiteral("#c0c0c0"))); // silver text
        QVERIFY(html.contains(QStringLiteral("Arial")));
    }

    // Every row of the table of switches: its control on its page with its caption, in the
    // focus order, its key remembered across a restart, and its field of the run's options.
    void switchTable_data()
    {
        QTest::addColumn<int>("row");
        for (size_t row = 0; row < switchCount; ++row)
            QTest::newRow(switches[row].objectName) << int(row);
    }

    void switchTable()
    {
        QFETCH(int, row);
        const Switch &s = switches[row];
        auto *box = control<QCheckBox>(s.objectName);
        QCOMPARE(box->text(), QString::fromUtf8(s.caption));
        QVERIFY(SSTab1()->widget(s.page)->isAncestorOf(box));
        bool inFocusChain = false;
        for (QWidget *w = SSTab1()->tabBar()->nextInFocusChain(); w != SSTab1()->tabBar();
             w = w->nextInFocusChain())
            inFocusChain = inFocusChain || w == box;
        QVERIFY(inFocusChain);
        m_boxes.answers = {MessageAnswer::Yes}; // the display switches ask first
        box->setChecked(!box->isChecked());
        const RenameWindowAdapter run(*m_window, *SSTab1(), *m_window->findChild<SelectionPage *>(),
                                      *m_window->findChild<OptionsPage *>(), m_boxes);
        QCOMPARE(RenameOptions::read(run).*s.option, box->isChecked());
        if (!s.settingsKey)
            return;
        const bool on = box->isChecked();
        QVERIFY(on != s.byDefault);
        const QString key = QLatin1String(s.settingsKey);
        QVERIFY(m_home->stored().contains(key + (on ? "=Wahr" : "=Falsch")));
        m_window.reset();
        open();
        QCOMPARE(control<QCheckBox>(s.objectName)->isChecked(), on);
    }

    void focusOrder()
    {
        const QList<QWidget *> expected {SSTab1()->tabBar(),
                                         Drive1(),
                                         Dir1(),
                                         File1(),
                                         Command1(),
                                         Command2(),
                                         Command7(),
                                         Check3(),
                                         Check4(),
                                         Command3(),
                                         Text2(),
                                         Text3(),
                                         Text4(),
                                         Check2(),
                                         Check1(),
                                         Check5(),
                                         Check7(),
                                         Check6(),
                                         Check8(),
                                         Check9(),
                                         Check10(),
                                         Check11(),
                                         Text5(),
                                         control<QPushButton>("Command8"),
                                         Optionbtn1(),
                                         Optionbtn2(),
                                         Text1(),
                                         List1(),
                                         Command5(),
                                         Command4(),
                                         RichTextBox1(),
                                         RichTextBox2(),
                                         Command6()};
        QList<QWidget *> chain;
        QWidget *w = expected.first();
        do {
            if (expected.contains(w))
                chain << w;
            w = w->nextInFocusChain();
        } while (w != expected.first());
        QCOMPARE(chain, expected);
    }

    void forwardSelectsTheNameAndBackShowsFirstPage()
    {
        Text2()->setText(QStringLiteral("Urlaub"));
        clickAndSettle(Command3());
        QCOMPARE(SSTab1()->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), Text2());
        QCOMPARE(Text2()->selectedText(), QStringLiteral("Urlaub"));

        clickAndSettle(Command4());
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), SSTab1()->tabBar());
        // The markers were cleared: the next Tab from the tab strip moves on normally.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), Drive1());

        // Leaving either button by Tab now keeps its page: no marker is left over, neither from
        // the clicks above nor from clicks without the focus (a screen reader's press).
        const auto tabLeavesPageAlone = [this] {
            for (QPushButton *button :
                 {static_cast<QPushButton *>(Command3()), static_cast<QPushButton *>(Command4())}) {
                const int page = button == Command3() ? 0 : 1;
                SSTab1()->setCurrentIndex(page);
                button->setFocus(Qt::TabFocusReason);
                QTest::keyClick(button, Qt::Key_Tab);
                QCoreApplication::processEvents();
                QCOMPARE(SSTab1()->currentIndex(), page);
                QCOMPARE(QApplication::focusWidget(), SSTab1()->tabBar());
            }
        };
        tabLeavesPageAlone();
        Command3()->click();
        Command4()->click();
        QCoreApplication::processEvents();
        tabLeavesPageAlone();
    }

    void tabFromStepButtons_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("backwards");
        QTest::newRow("weiter, Tab") << 0 << false;
        QTest::newRow("weiter, Shift+Tab") << 0 << true;
        QTest::newRow("zurück, Tab") << 1 << false;
        QTest::newRow("zurück, Shift+Tab") << 1 << true;
    }

    void tabFromStepButtons()
    {
        QFETCH(int, page);
        QFETCH(bool, backwards);
        SSTab1()->setCurrentIndex(page);
        QPushButton *button = page == 0 ? static_cast<QPushButton *>(Command3()) : Command4();
        button->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), button);
        QTest::keyClick(button, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::processEvents();
        QCOMPARE(SSTab1()->currentIndex(), page);
        QCOMPARE(QApplication::focusWidget(), SSTab1()->tabBar());
    }

    void choosingAPageWhileOnAStepButton()
    {
        Command3()->setFocus();
        QTabBar *tabs = SSTab1()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        QCoreApplication::processEvents();
        QCOMPARE(SSTab1()->currentIndex(), 1);

        Command4()->setFocus();
        QTest::keyClick(Command4(), Qt::Key_Tab, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(SSTab1()->currentIndex(), 2);
    }

    void deactivationDoesNotMovePages()
    {
        SSTab1()->setCurrentIndex(1);
        Command4()->setFocus();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCoreApplication::processEvents();
        QCOMPARE(SSTab1()->currentIndex(), 1);
    }

    void f5RereadsFromAnyControl_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("F5") << int(Qt::NoModifier);
        QTest::newRow("Shift+F5") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+F5") << int(Qt::ControlModifier);
        QTest::newRow("Alt+F5") << int(Qt::AltModifier);
    }

    void f5RereadsFromAnyControl()
    {
        QFETCH(int, modifiers);
        Command1()->click();
        QCOMPARE(File1()->count(), 3);
        m_home->touch("new.jpg");

        SSTab1()->setCurrentIndex(1);
        Text2()->setFocus();
        int keysSeenByField = 0;
        struct Counter : QObject
        {
            int *count;
            explicit Counter(int *c)
                : count(c)
            { }
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::KeyPress
                    && static_cast<QKeyEvent *>(e)->key() == Qt::Key_F5)
                    ++*count;
                return false;
            }
        } counter(&keysSeenByField);
        Text2()->installEventFilter(&counter);
        QTest::keyClick(Text2(), Qt::Key_F5, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(File1()->count(), 4);
        QCOMPARE(File1()->shownName(3), QStringLiteral("new.jpg"));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!File1()->isSelected(i));
        QCOMPARE(keysSeenByField, 1);
        QCOMPARE(SSTab1()->currentIndex(), 1);
    }

    void endClosesFromAnyPageAndWritesTheSwitches()
    {
        SSTab1()->setCurrentIndex(2);
        Check5()->setChecked(true);
        Command6()->click();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(
            m_home->stored(),
            (QStringList {"Aufnahmedatum=Falsch", "Aufnahmegruppen=Falsch", "Aufnahmezeit=Falsch",
                          "Autostellen=Wahr", "CD=Falsch", "Leerzeichen=Wahr", "NummerJeTag=Falsch",
                          "TagBeginn=0", "Umlaute=Falsch", "Unix=Wahr"}));
    }

    void fullRunOnRealFiles()
    {
        for (const char *name : {"a.jpg", "b.jpg", "C.png"})
            m_home->write(QLatin1String(name), name);
        Command1()->click(); // a.jpg, b.jpg, C.png
        Check2()->setChecked(false);
        clickAndSettle(Command3());
        Text2()->insert(QStringLiteral("Größe Übung")); // keyClicks takes Latin-1 only
        Check5()->setChecked(true);
        Check7()->setChecked(true);
        QCoreApplication::processEvents();
        // The preview shows the plan the run carries out, row for row.
        const PreviewModel *preview = previewModel();
        QCOMPARE(preview->rowCount(), 3);
        QCOMPARE(preview->index(0).data().toString(),
                 QStringLiteral("a.jpg → Groesse_Uebung01.jpg"));
        QCOMPARE(Label9()->text(),
                 QStringLiteral("3 Dateien: Groesse_Uebung01 bis Groesse_Uebung03, keine "
                                "Konflikte"));
        std::vector<std::pair<QByteArray, QByteArray>> planned;
        for (int row = 0; row < preview->rowCount(); ++row)
            planned.emplace_back(preview->oldName(row), preview->newName(row));

        // What the status line shows whenever it is painted during the run.
        QStringList painted;
        struct PaintSpy : QObject
        {
            QStringList *seen;
            QLabel *label;
            PaintSpy(QStringList *s, QLabel *l)
                : seen(s)
                , label(l)
            { }
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    *seen << label->text() + QLatin1Char('|')
                            + label->palette().color(QPalette::Window).name();
                return false;
            }
        } spy(&painted, Label5());
        Label5()->installEventFilter(&spy);
        m_boxes.onShow = [&](const ScriptedBoxes::Message &box) {
            if (box.title == QStringLiteral("Bin fertig!"))
                QCOMPARE(Label5()->text(), QStringLiteral("Bin bereit ..."));
        };
        clickAndSettle(Command5());
        Label5()->removeEventFilter(&spy);

        QCOMPARE(
            m_home->files(),
            (QStringList {"Groesse_Uebung01.jpg", "Groesse_Uebung02.jpg", "Groesse_Uebung03.png"}));
        for (const auto &[oldName, newName] : planned)
            QCOMPARE(m_home->read(QString::fromUtf8(newName)), oldName);
        QCOMPARE(m_boxes.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        QVERIFY(painted.contains(QStringLiteral("Bitte warten - führe Aktion aus.|#c00000")));
        QCOMPARE(Label5()->text(), QStringLiteral("Bin bereit ..."));
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), SSTab1()->tabBar());
        QCOMPARE(Text2()->text(), QStringLiteral("Groesse_Uebung"));
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
        QVERIFY(Check1()->isChecked() && !Text4()->isEnabled());
        QVERIFY(Optionbtn1()->isChecked() && !Text1()->isEnabled());
        QCOMPARE(File1()->count(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!File1()->isSelected(i));
        QCOMPARE(File1()->currentIndex().row(), 0);
    }

    // Check8 and Check9 on: the preview shows the order of capture times with their sources,
    // one number per shot, the unselected file of a shot and the files of one name that are
    // different Live Photos; the run renames in that order.
    void photoSwitchesOrderThePreviewAndTheRun()
    {
        using namespace capturefiles;
        QDir home(m_home->path());
        for (const QString &name : m_home->files())
            QVERIFY(home.remove(name));
        m_home->write(QStringLiteral("IMG_0042.CR2"), tiff(exif("2024:07:01 12:00:05")));
        m_home->write(QStringLiteral("IMG_0042.JPG"), jpeg(tiff(exif("2024:07:01 12:00:05"))));
        m_home->write(QStringLiteral("IMG_0043.CR2"), tiff(exif("2024:07:01 12:00:01")));
        m_home->write(QStringLiteral("IMG_0043.JPG"), jpeg(tiff(exif("2024:07:01 12:00:01"))));
        m_home->write(QStringLiteral("notiz.txt"), "notiz.txt");
        // A still and a movie of one name from two Live Photos, after the counter wrapped.
        m_home->write(
            QStringLiteral("IMG_0044.HEIC"),
            heic(tiff(phoneExif("2024:07:01 12:00:06", "", appleMakerNote("A-0044"))), 100));
        const QDateTime filmed(QDate(2024, 7, 1), QTime(12, 0, 7), Qt::LocalTime);
        m_home->write(
            QStringLiteral("IMG_0044.MOV"),
            liveMovie(quint64(filmed.toSecsSinceEpoch()) + secondsFrom1904To1970, "B-9044", 100));
        const QDateTime noted(QDate(2024, 7, 1), QTime(12, 0, 3), Qt::LocalTime);
        const struct timespec times[2]
            = {{noted.toSecsSinceEpoch(), 0}, {noted.toSecsSinceEpoch(), 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(m_home->path() + "/notiz.txt").constData(),
                             times, 0),
                 0);
        std::map<QString, QByteArray> contents;
        File1()->setFocus();
        QTest::keyClick(File1(), Qt::Key_F5);
        for (int row = 0; row < File1()->count(); ++row) {
            const QString name = File1()->shownName(row);
            contents[name] = m_home->read(name);
            QVERIFY2(contents[name] != "<missing>", qPrintable(name));
            File1()->setSelected(row, name != QStringLiteral("IMG_0043.CR2"));
        }
        QCOMPARE(contents.size(), size_t(7));
        clickAndSettle(Command3());
        Text2()->setText(QStringLiteral("Urlaub"));
        Check8()->setChecked(true);
        Check9()->setChecked(true);
        QVERIFY(m_home->stored().contains(QStringLiteral("Aufnahmezeit=Wahr")));
        QVERIFY(m_home->stored().contains(QStringLiteral("Aufnahmegruppen=Wahr")));

        const PreviewModel *preview = previewModel();
        QTRY_VERIFY(!preview->showsLine() && Command5()->isEnabled());
        QStringList rows;
        for (int row = 0; row < preview->rowCount(); ++row)
            rows << preview->index(row).data().toString();
        QCOMPARE(rows,
                 (QStringList {
                     "IMG_0043.JPG → Urlaub 01.JPG   01.07.2024 12:00:01,000 (EXIF)",
                     "IMG_0043.CR2 – nicht ausgewählt",
                     "notiz.txt → Urlaub 02.txt   01.07.2024 12:00:03,000 (Änderungsdatum)",
                     "IMG_0042.CR2 → Urlaub 03.CR2   01.07.2024 12:00:05,000 (EXIF)",
                     "IMG_0042.JPG → Urlaub 03.JPG   01.07.2024 12:00:05,000 (EXIF)",
                     "IMG_0044.HEIC → Urlaub 04.HEIC   01.07.2024 12:00:06,000 (EXIF) – anderes "
                     "Live Photo als „IMG_0044.MOV“",
                     "IMG_0044.MOV → Urlaub 05.MOV   01.07.2024 12:00:07,000 (Video) – anderes "
                     "Live Photo als „IMG_0044.HEIC“",
                 }));
        QCOMPARE(preview->index(6).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Gleicher Name wie „IMG_0044.HEIC“, aber ein anderes Live Photo "
                                "(andere Kennung): eine eigene Aufnahme."));
        QVERIFY(preview->index(2).data(Qt::FontRole).value<QFont>().italic());
        QVERIFY(!preview->index(0).data(Qt::FontRole).isValid());
        QVERIFY(preview->index(2)
                    .data(Qt::AccessibleDescriptionRole)
                    .toString()
                    .contains(QStringLiteral("Änderungsdatum")));
        QCOMPARE(Label9()->text(),
                 QStringLiteral("5 Aufnahmen: Urlaub 01 bis Urlaub 05, keine Konflikte, "
                                "1 Aufnahme ohne Aufnahmezeit"));
        // The date before the names: in every row and in the line under them.
        Check10()->setChecked(true);
        QTRY_COMPARE(preview->newName(0), QByteArray("2024-07-01 Urlaub 01.JPG"));
        QCOMPARE(preview->newName(2), QByteArray("2024-07-01 Urlaub 02.txt"));
        QCOMPARE(Label9()->text(),
                 QStringLiteral("5 Aufnahmen: 2024-07-01 Urlaub 01 bis 2024-07-01 Urlaub 05, "
                                "keine Konflikte, 1 Aufnahme ohne Aufnahmezeit"));
        Check10()->setChecked(false);
        QTRY_COMPARE(preview->newName(0), QByteArray("Urlaub 01.JPG"));

        clickAndSettle(Command5());
        QCOMPARE(m_boxes.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        const std::pair<const char *, const char *> renamed[] = {
            {"IMG_0043.JPG", "Urlaub 01.JPG"}, {"IMG_0043.CR2", "IMG_0043.CR2"},
            {"notiz.txt", "Urlaub 02.txt"},    {"IMG_0042.CR2", "Urlaub 03.CR2"},
            {"IMG_0042.JPG", "Urlaub 03.JPG"}, {"IMG_0044.HEIC", "Urlaub 04.HEIC"},
            {"IMG_0044.MOV", "Urlaub 05.MOV"},
        };
        QStringList expected;
        for (const auto &[from, to] : renamed) {
            QCOMPARE(m_home->read(QLatin1String(to)), contents[QLatin1String(from)]);
            expected << QLatin1String(to);
        }
        expected.sort();
        QCOMPARE(m_home->files(), expected);
    }

    // "Kamerauhren ..." over the files of two cameras, B's clock 1:02:10 fast: its offset typed,
    // found from its photo of a clock, or from two photos of the same moment. The preview puts
    // B's shots between A's and marks their times; the offset is remembered for B.
    void cameraClocksCorrectThePreview_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("typed") << QStringLiteral("typed");
        QTest::newRow("Uhrenfoto") << QStringLiteral("clock");
        QTest::newRow("gleichzeitig") << QStringLiteral("same moment");
    }

    void cameraClocksCorrectThePreview()
    {
        QFETCH(QString, way);
        using namespace capturefiles;
        QDir home(m_home->path());
        for (const QString &name : m_home->files())
            QVERIFY(home.remove(name));
        const qint64 noon = QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
        const auto photo = [](qint64 seconds, const char *serial, const char *subSeconds = "") {
            const std::string time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
                                         .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                         .toStdString();
            Exiv2::ExifData data = exif(time.c_str(), subSeconds, "Z");
            data["Exif.Image.Make"] = "Nikon";
            data["Exif.Image.Model"] = "NIKON Z 6";
            data["Exif.Photo.BodySerialNumber"] = serial;
            return jpeg(tiff(data));
        };
        // A at 12:00 and 12:20; B at 12:10 and, with A's second, at 12:20.6 (its photo of a
        // clock).
        const qint64 fast = 3730;
        m_home->write(QStringLiteral("A_1.JPG"), photo(noon, "1"));
        m_home->write(QStringLiteral("A_2.JPG"), photo(noon + 1200, "1", "6"));
        m_home->write(QStringLiteral("B_1.JPG"), photo(noon + 600 + fast, "2"));
        m_home->write(QStringLiteral("B_2.JPG"), photo(noon + 1200 + fast, "2", "6"));
        File1()->setFocus();
        QTest::keyClick(File1(), Qt::Key_F5);
        clickAndSettle(Command1()); // "Alle auswählen"
        clickAndSettle(Command3());
        Text2()->setText(QStringLiteral("Urlaub"));
        Check8()->setChecked(true);
        const PreviewModel *preview = previewModel();
        QTRY_VERIFY(!preview->showsLine() && Command5()->isEnabled());

        auto *Command8 = control<QPushButton>("Command8");
        QCOMPARE(Command8->text(), QStringLiteral("Kamerauhren ..."));
        QCOMPARE(Command8->accessibleName(), Command8->text());
        // Clicks OK of the modal dialogue window once it is shown.
        const auto okOf = [](QWidget *dialog) {
            return dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        };
        const auto pick = [](QWidget *dialog, const char *name, const QString &start) {
            auto *box = dialog->findChild<QComboBox *>(QLatin1String(name));
            QVERIFY(box);
            QVERIFY(!box->accessibleName().isEmpty());
            box->setCurrentIndex(box->findText(start, Qt::MatchStartsWith));
            QVERIFY(box->currentIndex() >= 0);
        };
        // A failed check returns from a handler early: the dialogues it leaves open are closed.
        const auto closeDialogues = [] {
            while (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                open->reject();
        };
        QString title;
        QStringList rowNames;
        bool done = false;
        QTimer::singleShot(0, this, [&] {
            const auto closeAtEnd = qScopeGuard(closeDialogues);
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            title = dialog->windowTitle();
            for (const char *name : {"Korrektur1", "Korrektur2"})
                rowNames << dialog->findChild<QLineEdit *>(QLatin1String(name))->accessibleName();
            QCOMPARE(okOf(dialog)->text().remove(QLatin1Char('&')), QStringLiteral("OK"));
            auto *offset = dialog->findChild<QLineEdit *>(QStringLiteral("Korrektur2"));
            if (way == QLatin1String("typed")) {
                offset->setFocus();
                offset->selectAll();
                QTest::keyClicks(offset, QStringLiteral("-0 1:02:"));
                QVERIFY(!okOf(dialog)->isEnabled()); // no seconds after the colon yet
                QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("Hinweis"))->isVisible());
                QTest::keyClicks(offset, QStringLiteral("10"));
            } else {
                const bool clock = way == QLatin1String("clock");
                QTimer::singleShot(0, this, [&, clock] {
                    const auto closeInnerAtEnd = qScopeGuard([] {
                        if (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                            open->reject();
                    });
                    QWidget *inner = QApplication::activeModalWidget();
                    QVERIFY(inner && inner != dialog);
                    if (clock) {
                        pick(inner, "Uhrenfoto", QStringLiteral("B_2.JPG"));
                        // The time offered is the photo's own: set back by B's error.
                        auto *shown = inner->findChild<QDateTimeEdit *>(QStringLiteral("UhrZeigt"));
                        shown->setDateTime(shown->dateTime().addSecs(-fast));
                    } else {
                        pick(inner, "DiesesFoto", QStringLiteral("B_2.JPG"));
                        pick(inner, "AnderesFoto", QStringLiteral("A_2.JPG"));
                    }
                    okOf(inner)->click();
                });
                dialog->findChild<QPushButton *>(clock ? "Uhrenfoto2" : "Gleichzeitig2")->click();
            }
            QCOMPARE(parseClockOffset(offset->text()), std::optional<qint64>(-fast));
            okOf(dialog)->click();
            done = true;
        });
        Command8->click();
        QVERIFY(done);
        QCOMPARE(title, QStringLiteral("Kamerauhren"));
        QCOMPARE(rowNames,
                 (QStringList {"Korrektur der Uhr: NIKON Z 6, Seriennummer 1",
                               "Korrektur der Uhr: NIKON Z 6, Seriennummer 2"}));
        // Each row's old name and the source of its time.
        const auto rows = [preview] {
            QStringList names;
            for (int row = 0; row < preview->rowCount(); ++row) {
                const QString text = preview->index(row).data().toString();
                names << text.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ')
                        + text.section(QLatin1Char('('), 1);
            }
            return names;
        };
        QTRY_COMPARE(rows(),
                     (QStringList {"A_1.JPG EXIF)", "B_1.JPG EXIF, -1:02:10)", "A_2.JPG EXIF)",
                                   "B_2.JPG EXIF, -1:02:10)"}));
        QSettings settings(QStringLiteral("Brixelwand"), QStringLiteral("Brixelwand"));
        QCOMPARE(settings.value(QStringLiteral("Kamerauhren/Nikon|NIKON Z 6|2")).toString(),
                 QStringLiteral("-0 01:02:10"));
    }

    void previewShowsConflictsAndWhatWouldStopTheRun()
    {
        m_home->touch("Bild03.png");
        File1()->setFocus();
        QTest::keyClick(File1(), Qt::Key_F5); // a.jpg, b.jpg, Bild03.png, C.png
        SSTab1()->setCurrentIndex(1);
        const PreviewModel *preview = previewModel();
        QCoreApplication::processEvents();
        QCOMPARE(preview->index(0).data().toString(),
                 QStringLiteral("Es wurden keine Dateien ausgewählt!"));
        for (int row : {0, 1, 3})
            File1()->setSelected(row, true);
        Check2()->setChecked(false);
        Text2()->setText(QStringLiteral("Bild"));
        QCoreApplication::processEvents();
        QCOMPARE(preview->rowCount(), 3);
        const QModelIndex conflict = preview->index(2);
        QCOMPARE(conflict.data().toString(),
                 QStringLiteral("C.png → Bild03.png – Es gibt schon eine nicht ausgewählte Datei "
                                "„Bild03.png“."));
        QCOMPARE(conflict.data(Qt::ForegroundRole).value<QColor>(), QColor(192, 0, 0));
        QCOMPARE(conflict.data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Es gibt schon eine nicht ausgewählte Datei „Bild03.png“."));
        QVERIFY(!preview->index(0).data(Qt::ForegroundRole).isValid());
        QCOMPARE(Label9()->text(), QStringLiteral("3 Dateien: Bild01 bis Bild03, 1 Konflikt"));
        QCOMPARE(QAccessible::queryAccessibleInterface(List1())->text(QAccessible::Description),
                 Label9()->text());
        // The typed digit count, as the run takes it.
        Check1()->setChecked(false);
        Text4()->setText(QStringLiteral("4"));
        QCoreApplication::processEvents();
        QCOMPARE(preview->index(2).data().toString(), QStringLiteral("C.png → Bild0003.png"));
        QCOMPARE(Label9()->text(),
                 QStringLiteral("3 Dateien: Bild0001 bis Bild0003, keine Konflikte"));
        Check1()->setChecked(true);

        // Where a check would stop the run, its one line instead of rows.
        const std::pair<QString, QString> stops[] = {
            {QString(), QStringLiteral("Bitte geben Sie den neuen Dateinamen an!")},
            {QStringLiteral("Bild%"),
             QStringLiteral("Der neue Dateiname darf eines der folgenden Zeichen nicht "
                            "enthalten: / \\ : * ? \" < > | $ % & ~")},
            {QString(60, QLatin1Char('x')),
             QStringLiteral("Der Dateiname entspricht nicht den "
                            "CD-Konventionen, da er mit der "
                            "Nummerierung mehr als 64 Zeichen hat.")},
        };
        Check6()->setChecked(true);
        for (const auto &[name, line] : stops) {
            Text2()->setText(name);
            QCoreApplication::processEvents();
            QCOMPARE(preview->rowCount(), 1);
            QCOMPARE(preview->index(0).data().toString(), line);
        }
        QVERIFY(m_boxes.messages.empty()); // the preview never shows a box
        QCOMPARE(m_home->raw(), Dir1()->path());
    }

    void realMessageBoxSpeaksGerman()
    {
        m_window.reset();
        Hptfrm window; // real dialogs
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QString title;
        QStringList buttons;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            for (QAbstractButton *b : box->buttons())
                buttons << b->text().remove(QLatin1Char('&'));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            box->button(QMessageBox::No)->click();
        });
        controlOf<QCheckBox>(&window, "Check3")->setChecked(true);
        QCOMPARE(title, QStringLiteral("Achtung!"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList {"Ja", "Nein"}));
        QVERIFY(!controlOf<QCheckBox>(&window, "Check3")->isChecked());
    }
};

BRIXELWAND_TEST_MAIN(TestHptfrm)
#include "tst_hptfrm.moc"
