#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "previewmodel.h"
#include "testmain.h"
#include "widgets.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>

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
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize()); // fixed size
        QCOMPARE(m_window->SSTab1->count(), 3);
        QCOMPARE(m_window->SSTab1->tabText(0), QStringLiteral("Schritt 1: Dateien auswählen"));
        QCOMPARE(m_window->SSTab1->tabText(1), QStringLiteral("Schritt 2: Dateien umbenennen"));
        QCOMPARE(m_window->SSTab1->tabText(2), QStringLiteral("Infos zum Programm ..."));
        QCOMPARE(m_window->SSTab1->currentIndex(), 0);
        // Typing stops at 230 characters; a longer name set by the program is shown whole.
        m_window->Text2->setText(QString(229, QLatin1Char('a')));
        QTest::keyClicks(m_window->Text2, QStringLiteral("bc"));
        QCOMPARE(m_window->Text2->text().size(), 230);
        m_window->setOptionText(OptionText::Text2, QString(240, QLatin1Char('a')));
        QCOMPARE(m_window->Text2->text().size(), 240);
        QTest::keyClick(m_window->Text2, Qt::Key_B);
        QCOMPARE(m_window->Text2->text().size(), 240);
        QTest::keyClick(m_window->Text2, Qt::Key_Backspace);
        QTest::keyClicks(m_window->Text2, QStringLiteral("bc"));
        QCOMPARE(m_window->Text2->text().size(), 239);
        QCOMPARE(m_window->Text3->maxLength(), 5);
        QCOMPARE(m_window->Text4->maxLength(), 1);
        QCOMPARE(m_window->Text1->maxLength(), 4);
        for (QLineEdit *centred : {m_window->Text1, m_window->Text3, m_window->Text4})
            QCOMPARE(centred->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QVERIFY(m_window->lblVersion->text().endsWith(QStringLiteral(" // Release 2.0.1078")));
        // Every text field and list is named for a screen reader.
        for (QWidget *w : std::initializer_list<QWidget *> {
                 m_window->Drive1, m_window->Dir1, m_window->File1, m_window->Text1,
                 m_window->Text2, m_window->Text3, m_window->Text4, m_window->List1,
                 m_window->Command7})
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    void informationPage()
    {
        const QString about = m_window->RichTextBox2->toPlainText();
        QVERIFY(about.startsWith(QStringLiteral("Dieses Programm wurde entwickelt, um schnell")));
        QVERIFY(about.contains(QStringLiteral("in der digitalen Fotographie verwendet.")));
        const QString updates = m_window->RichTextBox1->toPlainText();
        QVERIFY(updates.contains(QStringLiteral("Sicherheitspatches für aktuelle Programme")));
        QVERIFY(m_window->RichTextBox1->isReadOnly());
        const QString html = m_window->RichTextBox2->toHtml();
        QVERIFY(html.contains(QStringLiteral("#c0c0c0"))); // silver text
        QVERIFY(html.contains(QStringLiteral("Arial")));
    }

    void focusOrder()
    {
        const QList<QWidget *> expected {m_window->SSTab1->tabBar(),
                                         m_window->Drive1,
                                         m_window->Dir1,
                                         m_window->File1,
                                         m_window->Command1,
                                         m_window->Command2,
                                         m_window->Command7,
                                         m_window->Check3,
                                         m_window->Check4,
                                         m_window->Command3,
                                         m_window->Text2,
                                         m_window->Text3,
                                         m_window->Text4,
                                         m_window->Check2,
                                         m_window->Check1,
                                         m_window->Check5,
                                         m_window->Check7,
                                         m_window->Check6,
                                         m_window->Optionbtn1,
                                         m_window->Optionbtn2,
                                         m_window->Text1,
                                         m_window->List1,
                                         m_window->Command5,
                                         m_window->Command4,
                                         m_window->RichTextBox1,
                                         m_window->RichTextBox2,
                                         m_window->Command6};
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
        m_window->Text2->setText(QStringLiteral("Urlaub"));
        clickAndSettle(m_window->Command3);
        QCOMPARE(m_window->SSTab1->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), m_window->Text2);
        QCOMPARE(m_window->Text2->selectedText(), QStringLiteral("Urlaub"));

        clickAndSettle(m_window->Command4);
        QCOMPARE(m_window->SSTab1->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), m_window->SSTab1->tabBar());
        // The markers were cleared: the next Tab from the tab strip moves on normally.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(m_window->SSTab1->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), m_window->Drive1);

        // Leaving either button by Tab now keeps its page: no marker is left over, neither from
        // the clicks above nor from clicks without the focus (a screen reader's press).
        const auto tabLeavesPageAlone = [this] {
            for (QPushButton *button : {static_cast<QPushButton *>(m_window->Command3),
                                        static_cast<QPushButton *>(m_window->Command4)}) {
                const int page = button == m_window->Command3 ? 0 : 1;
                m_window->SSTab1->setCurrentIndex(page);
                button->setFocus(Qt::TabFocusReason);
                QTest::keyClick(button, Qt::Key_Tab);
                QCoreApplication::processEvents();
                QCOMPARE(m_window->SSTab1->currentIndex(), page);
                QCOMPARE(QApplication::focusWidget(), m_window->SSTab1->tabBar());
            }
        };
        tabLeavesPageAlone();
        m_window->Command3->click();
        m_window->Command4->click();
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
        m_window->SSTab1->setCurrentIndex(page);
        QPushButton *button
            = page == 0 ? static_cast<QPushButton *>(m_window->Command3) : m_window->Command4;
        button->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), button);
        QTest::keyClick(button, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::processEvents();
        QCOMPARE(m_window->SSTab1->currentIndex(), page);
        QCOMPARE(QApplication::focusWidget(), m_window->SSTab1->tabBar());
    }

    void choosingAPageWhileOnAStepButton()
    {
        m_window->Command3->setFocus();
        QTabBar *tabs = m_window->SSTab1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        QCoreApplication::processEvents();
        QCOMPARE(m_window->SSTab1->currentIndex(), 1);

        m_window->Command4->setFocus();
        QTest::keyClick(m_window->Command4, Qt::Key_Tab, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(m_window->SSTab1->currentIndex(), 2);
    }

    void deactivationDoesNotMovePages()
    {
        m_window->SSTab1->setCurrentIndex(1);
        m_window->Command4->setFocus();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCoreApplication::processEvents();
        QCOMPARE(m_window->SSTab1->currentIndex(), 1);
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
        m_window->Command1->click();
        QCOMPARE(m_window->fileCount(), 3);
        m_home->touch("new.jpg");

        m_window->SSTab1->setCurrentIndex(1);
        m_window->Text2->setFocus();
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
        m_window->Text2->installEventFilter(&counter);
        QTest::keyClick(m_window->Text2, Qt::Key_F5, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_window->fileCount(), 4);
        QCOMPARE(m_window->File1->shownName(3), QStringLiteral("new.jpg"));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!m_window->isFileSelected(i));
        QCOMPARE(keysSeenByField, 1);
        QCOMPARE(m_window->SSTab1->currentIndex(), 1);
    }

    void endClosesFromAnyPageAndWritesTheSwitches()
    {
        m_window->SSTab1->setCurrentIndex(2);
        m_window->Check5->setChecked(true);
        m_window->Command6->click();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_home->stored(),
                 (QStringList {"Autostellen=Wahr", "CD=Falsch", "Leerzeichen=Wahr",
                               "Umlaute=Falsch", "Unix=Wahr"}));
    }

    void fullRunOnRealFiles()
    {
        for (const char *name : {"a.jpg", "b.jpg", "C.png"}) {
            QFile file(m_home->path() + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name);
        }
        m_window->Command1->click(); // a.jpg, b.jpg, C.png
        m_window->Check2->setChecked(false);
        clickAndSettle(m_window->Command3);
        m_window->Text2->insert(QStringLiteral("Größe Übung")); // keyClicks takes Latin-1 only
        m_window->Check5->setChecked(true);
        m_window->Check7->setChecked(true);
        QCoreApplication::processEvents();
        // The preview shows the plan the run carries out, row for row.
        const PreviewModel *preview = m_window->previewModel();
        QCOMPARE(preview->rowCount(), 3);
        QCOMPARE(preview->index(0).data().toString(),
                 QStringLiteral("a.jpg → Groesse_Uebung01.jpg"));
        QCOMPARE(m_window->Label9->text(), QStringLiteral("Keine Konflikte"));
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
        } spy(&painted, m_window->Label5);
        m_window->Label5->installEventFilter(&spy);
        m_boxes.onShow = [&](const ScriptedBoxes::Message &box) {
            if (box.title == QStringLiteral("Bin fertig!"))
                QCOMPARE(m_window->Label5->text(), QStringLiteral("Bin bereit ..."));
        };
        clickAndSettle(m_window->Command5);
        m_window->Label5->removeEventFilter(&spy);

        QDir dir(m_home->path());
        QCOMPARE(
            dir.entryList(QDir::Files, QDir::Name),
            (QStringList {"Groesse_Uebung01.jpg", "Groesse_Uebung02.jpg", "Groesse_Uebung03.png"}));
        for (const auto &[oldName, newName] : planned) {
            QFile file(m_home->path() + QLatin1Char('/') + QString::fromUtf8(newName));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), oldName);
        }
        QCOMPARE(m_boxes.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        QVERIFY(painted.contains(QStringLiteral("Bitte warten - führe Aktion aus.|#c00000")));
        QCOMPARE(m_window->Label5->text(), QStringLiteral("Bin bereit ..."));
        QCOMPARE(m_window->SSTab1->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), m_window->SSTab1->tabBar());
        QCOMPARE(m_window->Text2->text(), QStringLiteral("Groesse_Uebung"));
        QCOMPARE(m_window->Text3->text(), QStringLiteral("1"));
        QVERIFY(m_window->Check1->isChecked() && !m_window->Text4->isEnabled());
        QVERIFY(m_window->Optionbtn1->isChecked() && !m_window->Text1->isEnabled());
        QCOMPARE(m_window->fileCount(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!m_window->isFileSelected(i));
        QCOMPARE(m_window->File1->currentIndex().row(), 0);
    }

    void previewShowsConflictsAndWhatWouldStopTheRun()
    {
        m_home->touch("Bild03.png");
        m_window->File1->setFocus();
        QTest::keyClick(m_window->File1, Qt::Key_F5); // a.jpg, b.jpg, Bild03.png, C.png
        m_window->SSTab1->setCurrentIndex(1);
        const PreviewModel *preview = m_window->previewModel();
        QCoreApplication::processEvents();
        QCOMPARE(preview->index(0).data().toString(),
                 QStringLiteral("Es wurden keine Dateien ausgewählt!"));
        for (int row : {0, 1, 3})
            m_window->File1->setSelected(row, true);
        m_window->Check2->setChecked(false);
        m_window->Text2->setText(QStringLiteral("Bild"));
        QCoreApplication::processEvents();
        QCOMPARE(preview->rowCount(), 3);
        const QModelIndex conflict = preview->index(2);
        QCOMPARE(conflict.data().toString(), QStringLiteral("C.png → Bild03.png"));
        QCOMPARE(conflict.data(Qt::ForegroundRole).value<QColor>(), QColor(192, 0, 0));
        QCOMPARE(conflict.data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Es gibt schon eine nicht ausgewählte Datei „Bild03.png“."));
        QVERIFY(!preview->index(0).data(Qt::ForegroundRole).isValid());
        QCOMPARE(m_window->Label9->text(), QStringLiteral("1 Konflikt"));

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
        m_window->Check6->setChecked(true);
        for (const auto &[name, line] : stops) {
            m_window->Text2->setText(name);
            QCoreApplication::processEvents();
            QCOMPARE(preview->rowCount(), 1);
            QCOMPARE(preview->index(0).data().toString(), line);
        }
        QVERIFY(m_boxes.messages.empty()); // the preview never shows a box
        QCOMPARE(m_home->raw(), m_window->currentFolder());
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
        window.Check3->setChecked(true);
        QCOMPARE(title, QStringLiteral("Achtung!"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList {"Ja", "Nein"}));
        QVERIFY(!window.Check3->isChecked());
    }
};

BRIXELWAND_TEST_MAIN(TestHptfrm)
#include "tst_hptfrm.moc"
