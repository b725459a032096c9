// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist.h"
#include "optionspage.h"
#include "settingsstore.h"
#include "testmain.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

class TestOptions : public WindowTest
{
    Q_OBJECT

private:
    static bool looksLocked(const QLineEdit *field)
    {
        return !field->isEnabled()
            && field->palette().color(QPalette::Disabled, QPalette::Base)
            == QApplication::palette("QMenu").color(QPalette::Window);
    }
    static bool looksUnlocked(const QLineEdit *field)
    {
        return field->isEnabled()
            && field->palette().color(QPalette::Active, QPalette::Base)
            == QApplication::palette().color(QPalette::Base);
    }
    void closeWindow()
    {
        m_window->close();
        m_window.reset();
    }

private slots:
    void firstStartOnAnEmptyStore()
    {
        open();
        QVERIFY(Check2()->isChecked() && Check1()->isChecked());
        QVERIFY(!Check5()->isChecked() && !Check6()->isChecked() && !Check7()->isChecked());
        QVERIFY(!Check8()->isChecked() && !Check9()->isChecked());
        QVERIFY(!Check3()->isChecked() && !Check4()->isChecked());
        QVERIFY(looksLocked(Text4()));
        QVERIFY(Optionbtn1()->isChecked());
        QVERIFY(looksLocked(Text1()));
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
        QCOMPARE(Text4()->text(), QStringLiteral("2"));
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QCOMPARE(m_home->stored(), (QStringList {"Autostellen=Wahr", "Leerzeichen=Wahr"}));
        closeWindow();
        QCOMPARE(
            m_home->stored(),
            (QStringList {"Aufnahmedatum=Falsch", "Aufnahmegruppen=Falsch", "Aufnahmezeit=Falsch",
                          "Autostellen=Wahr", "CD=Falsch", "Leerzeichen=Wahr", "NummerJeTag=Falsch",
                          "TagBeginn=0", "Umlaute=Falsch", "Unix=Falsch"}));
        QVERIFY(m_boxes.messages.empty());
    }

    void onlyExactlyWahrTurnsASwitchOn()
    {
        m_home->store(QStringLiteral("Umlaute"), QStringLiteral("wahr"));
        m_home->store(QStringLiteral("CD"), QStringLiteral("Wahr"));
        m_home->store(QStringLiteral("Unix"), QStringLiteral("1"));
        m_home->store(QStringLiteral("Autostellen"), QStringLiteral("Falsch"));
        m_home->store(QStringLiteral("Aufnahmezeit"), QStringLiteral("WAHR"));
        m_home->store(QStringLiteral("Aufnahmegruppen"), QStringLiteral("Wahr"));
        open();
        QVERIFY(!Check7()->isChecked());
        QVERIFY(!Check8()->isChecked());
        QVERIFY(Check9()->isChecked());
        QVERIFY(Check6()->isChecked());
        QVERIFY(!Check5()->isChecked());
        QVERIFY(!Check1()->isChecked());
        QVERIFY(looksUnlocked(Text4()));
        QCOMPARE(m_home->stored(),
                 (QStringList {"Aufnahmegruppen=Wahr", "Aufnahmezeit=WAHR", "Autostellen=Falsch",
                               "CD=Wahr", "Leerzeichen=Wahr", "Umlaute=wahr", "Unix=1"}));
        closeWindow();
        QCOMPARE(
            m_home->stored(),
            (QStringList {"Aufnahmedatum=Falsch", "Aufnahmegruppen=Wahr", "Aufnahmezeit=Falsch",
                          "Autostellen=Falsch", "CD=Wahr", "Leerzeichen=Wahr", "NummerJeTag=Falsch",
                          "TagBeginn=0", "Umlaute=Falsch", "Unix=Falsch"}));
    }

    void nothingElseIsRestored()
    {
        open();
        Check3()->setChecked(true);
        Optionbtn2()->setChecked(true);
        Text1()->setText(QStringLiteral("gif"));
        Text3()->setText(QStringLiteral("7"));
        SSTab1()->setCurrentIndex(2);
        closeWindow();
        open();
        QVERIFY(!Check3()->isChecked());
        QVERIFY(Optionbtn1()->isChecked());
        QCOMPARE(Text1()->text(), QString());
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
        QCOMPARE(SSTab1()->currentIndex(), 0);
    }

    void autoDigitsLocksTheDigitField()
    {
        open();
        SSTab1()->setCurrentIndex(1);
        Check1()->setChecked(false);
        QVERIFY(looksUnlocked(Text4()));
        QCOMPARE(QApplication::focusWidget(), Text4());
        QCOMPARE(Text4()->selectedText(), QStringLiteral("2"));
        QVERIFY(m_home->stored().contains(QStringLiteral("Autostellen=Falsch")));

        Text4()->setText(QStringLiteral("4"));
        Check1()->setChecked(true);
        QVERIFY(looksLocked(Text4()));
        QCOMPARE(Text4()->text(), QStringLiteral("4"));
        QVERIFY(m_home->stored().contains(QStringLiteral("Autostellen=Wahr")));
    }

    void plainSwitchesStoreAtOnceAndNothingElse()
    {
        open();
        Check2()->setChecked(false);
        Check5()->setChecked(true);
        QVERIFY(!Check2()->isChecked());
        QVERIFY(m_home->stored().contains(QStringLiteral("Unix=Wahr")));
        QVERIFY(m_home->stored().contains(QStringLiteral("Leerzeichen=Falsch")));
        Check6()->setChecked(true);
        Check7()->setChecked(true);
        QVERIFY(m_home->stored().contains(QStringLiteral("CD=Wahr")));
        QVERIFY(m_home->stored().contains(QStringLiteral("Umlaute=Wahr")));
    }

    // The hour a capture day begins at: a whole hour of the day read back, anything else 0;
    // stored when it changes and at shut-down.
    void dayStartIsRemembered_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("hour");
        const std::pair<const char *, int> rows[] = {{"4", 4},  {"23", 23}, {"0", 0},    {"24", 0},
                                                     {"-1", 0}, {"4.5", 0}, {"vier", 0}, {" 4", 0}};
        for (const auto &[stored, hour] : rows)
            QTest::newRow(stored) << QString::fromLatin1(stored) << hour;
    }

    void dayStartIsRemembered()
    {
        QFETCH(QString, stored);
        QFETCH(int, hour);
        m_home->store(QStringLiteral("TagBeginn"), stored);
        open();
        QCOMPARE(Text5()->value(), hour);
        closeWindow();
        QVERIFY(m_home->stored().contains(QStringLiteral("TagBeginn=%1").arg(hour)));
        open();
        Text5()->setValue(7);
        QVERIFY(m_home->stored().contains(QStringLiteral("TagBeginn=7")));
    }

    // The date and the numbers per day follow the capture time: only open while it is on. With
    // the date before the name, the typed name is shorter by it.
    void captureDaySwitchesNeedTheCaptureTime()
    {
        m_home->store(QStringLiteral("Aufnahmedatum"), QStringLiteral("Wahr"));
        open();
        SSTab1()->setCurrentIndex(1);
        QVERIFY(Check10()->isChecked());
        QVERIFY(!Check10()->isEnabled() && !Check11()->isEnabled() && !Text5()->isEnabled());
        Text2()->setText(QString(229, QLatin1Char('a')));
        QTest::keyClicks(Text2(), QStringLiteral("bc"));
        QCOMPARE(Text2()->text().size(), 230);
        Check8()->setChecked(true);
        QVERIFY(Check10()->isEnabled() && Check11()->isEnabled() && Text5()->isEnabled());
        QCOMPARE(Text2()->text().size(), 230); // kept whole
        Text2()->setText(QString(218, QLatin1Char('a')));
        QTest::keyClicks(Text2(), QStringLiteral("bc"));
        QCOMPARE(Text2()->text().size(), 219);
        Check10()->setChecked(false);
        QTest::keyClicks(Text2(), QStringLiteral("bc"));
        QCOMPARE(Text2()->text().size(), 221);
        Check8()->setChecked(false);
        QVERIFY(!Check10()->isEnabled() && !Check11()->isEnabled() && !Text5()->isEnabled());
        QVERIFY(m_home->stored().contains(QStringLiteral("Aufnahmedatum=Falsch")));
    }

    void hiddenFilesWarningIsNeverStored()
    {
        open();
        m_boxes.answers = {MessageAnswer::No};
        Check3()->setChecked(true);
        QVERIFY(!Check3()->isChecked());
        QVERIFY(!File1()->showHidden());
        QCOMPARE(m_boxes.messagePrompts(),
                 QStringList {"Diese Auswahl kann fatale Folgen für das System haben! Sind Sie "
                              "sicher?"});
        Check3()->setChecked(true);
        QVERIFY(Check3()->isChecked() && File1()->showHidden());
        QCOMPARE(m_home->stored(), (QStringList {"Autostellen=Wahr", "Leerzeichen=Wahr"}));
    }

    void extensionButtonsLockTheExtensionField()
    {
        open();
        SSTab1()->setCurrentIndex(1);
        Optionbtn2()->setChecked(true);
        QVERIFY(looksUnlocked(Text1()));
        QCOMPARE(QApplication::focusWidget(), Text1());
        QTest::keyClicks(Text1(), QStringLiteral("jpeg"));
        Optionbtn1()->setChecked(true);
        QVERIFY(looksLocked(Text1()));
        QCOMPARE(Text1()->text(), QStringLiteral("jpeg"));

        // Chosen with the arrow key, "Dateiendungen ändern in:" hands the focus on as well.
        Optionbtn1()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Optionbtn1(), Qt::Key_Down);
        QCoreApplication::processEvents();
        QVERIFY(Optionbtn2()->isChecked());
        QCOMPARE(QApplication::focusWidget(), Text1());
    }

    void numberFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message");
        const QString m3 = QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 1-9999)");
        const QString m4 = QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 2-5)");
        const struct
        {
            const char *text, *after;
        } starts[] = {{"9999", "9999"}, {"1", "1"}, {"10000", "1"}, {"0", "1"},     {"-5", "1"},
                      {"12a", "1"},     {"", "1"},  {"  ", "1"},    {"2.5", "2.5"}, {"1e3", "1e3"}};
        for (const auto &start : starts)
            QTest::newRow(qPrintable(QStringLiteral("start „%1“").arg(QLatin1String(start.text))))
                << "Text3" << start.text << start.after
                << (qstrcmp(start.text, start.after) == 0 ? QString() : m3);
        for (const char *ok : {"2", "3", "4", "5"})
            QTest::newRow(qPrintable(QStringLiteral("digits %1").arg(QLatin1String(ok))))
                << "Text4" << ok << ok << QString();
        for (const char *bad : {"0", "1", "6", "9", "x"})
            QTest::newRow(qPrintable(QStringLiteral("digits %1").arg(QLatin1String(bad))))
                << "Text4" << bad << "2" << m4;
    }

    void numberFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, after);
        QFETCH(QString, message);
        open();
        Check1()->setChecked(false);
        SSTab1()->setCurrentIndex(1);
        auto *edit = m_window->findChild<QLineEdit *>(field);
        edit->setText(text);
        QCOMPARE(edit->text(), after);
        if (message.isEmpty()) {
            QVERIFY(m_boxes.messages.empty());
            return;
        }
        QCOMPARE(m_boxes.messagePrompts(), QStringList {message});
        QCOMPARE(m_boxes.messages[0].kind, MessageKind::Plain);
        QCOMPARE(m_boxes.messages[0].title, QStringLiteral("Brixelwand"));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectionStart(), 0);
        QCOMPARE(edit->selectedText(), after.left(1));
    }

    void typingIntoTheNumberFields()
    {
        open();
        SSTab1()->setCurrentIndex(1);
        Text3()->setFocus();
        QCOMPARE(Text3()->selectedText(), QStringLiteral("1"));
        QTest::keyClicks(Text3(), QStringLiteral("250"));
        QCOMPARE(Text3()->text(), QStringLiteral("250"));
        QTest::keyClick(Text3(), Qt::Key_X);
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
        QCOMPARE(m_boxes.messages.size(), size_t(1));
        QTest::keyClick(Text3(), Qt::Key_Backspace); // emptied: corrected at once
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
        QCOMPARE(m_boxes.messages.size(), size_t(2));

        // Entering the field selects its first four characters; Text4 its only one.
        Text3()->setText(QStringLiteral("9876"));
        Text2()->setFocus();
        QTest::keyClick(Text2(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Text3());
        QCOMPARE(Text3()->selectedText(), QStringLiteral("9876"));
        Check1()->setChecked(false);
        Text3()->setFocus();
        QTest::keyClick(Text3(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Text4());
        QCOMPARE(Text4()->selectedText(), QStringLiteral("2"));
        // ... and so does a click into it, wherever the click puts the caret.
        Text2()->setFocus();
        QTest::mouseClick(Text3(), Qt::LeftButton, Qt::NoModifier,
                          Text3()->rect().center() + QPoint(3, 0));
        QCOMPARE(QApplication::focusWidget(), Text3());
        QCOMPARE(Text3()->selectedText(), QStringLiteral("9876"));
    }

    void resetAfterARun()
    {
        m_home->touch("a.jpg");
        open();
        Check1()->setChecked(false);
        Check3()->setChecked(true);
        Optionbtn2()->setChecked(true);
        Text1()->setText(QStringLiteral("gif"));
        Text3()->setText(QStringLiteral("5"));
        Text2()->setText(QStringLiteral("Bild"));
        Command1()->click();
        Command5()->click();
        QCOMPARE(m_boxes.messageTitles().last(), QStringLiteral("Bin fertig!"));
        QVERIFY(QFile::exists(m_home->path() + QStringLiteral("/Bild 05.gif")));
        QVERIFY(Check1()->isChecked() && looksLocked(Text4()));
        QVERIFY(m_home->stored().contains(QStringLiteral("Autostellen=Wahr")));
        QVERIFY(!Check3()->isChecked() && !File1()->showHidden());
        QVERIFY(Optionbtn1()->isChecked() && looksLocked(Text1()));
        QCOMPARE(Text1()->text(), QStringLiteral("gif"));
        QCOMPARE(Text3()->text(), QStringLiteral("1"));
    }

    void unwritableStoreWarnsOnceAndKeepsTheSwitches()
    {
        // A settings folder below a plain file cannot be created, not even by root.
        QTemporaryDir dir;
        const QString blocker = dir.path() + QStringLiteral("/file");
        QFile(blocker).open(QIODevice::WriteOnly);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker);
        open();
        QCOMPARE(m_boxes.messages.size(), size_t(1)); // start-up writes two keys
        QCOMPARE(m_boxes.messages[0].kind, MessageKind::Warning);
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("nicht gespeichert")));
        Check5()->setChecked(true);
        Check1()->setChecked(false);
        QVERIFY(Check5()->isChecked() && !Check1()->isChecked());
        closeWindow();
        QCOMPARE(m_boxes.messages.size(), size_t(1));
    }

    // The offsets of camera clocks, one key per body in the section "Kamerauhren": whatever a
    // card names as make, model and serial number comes back as the same body, a stored key
    // never becomes a group, and a window started later offers the offset again.
    void cameraClocksRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qint64>("offset");
        QTest::newRow("camera") << QByteArray("Canon|Canon EOS R5|012345") << qint64(-3730);
        QTest::newRow("phone, more than a year")
            << QByteArray("Apple|iPhone 15 Pro|") << qint64(400 * 86400 + 3730);
        QTest::newRow("slash and backslash") << QByteArray("A/B|Modell\\2|/") << qint64(1);
        QTest::newRow("what INI files and percent signs mean")
            << QByteArray("[Kamerauhren]|#1;x=y %41 %|\"Zoom\"") << qint64(-59);
        QTest::newRow("umlauts and bytes that are not UTF-8")
            << QByteArray("Größe|\xff\xfeKamera|Nr. 1") << qint64(86399);
    }

    void cameraClocksRoundTrip()
    {
        QFETCH(QByteArray, body);
        QFETCH(qint64, offset);
        SettingsStore store;
        QVERIFY(store.writeClockOffset(body, offset));
        QVERIFY(store.writeClockOffset("Nikon|NIKON Z 6|7", 5));
        QSettings settings(QStringLiteral("Brixelwand"), QStringLiteral("Brixelwand"));
        settings.setValue(QStringLiteral("Kamerauhren/Defekt"), QStringLiteral("+0 25:00:00"));
        settings.beginGroup(QStringLiteral("Kamerauhren"));
        QCOMPARE(settings.childGroups(), QStringList());
        QCOMPARE(settings.childKeys().size(), 3);
        QCOMPARE(settings.value(SettingsStore::clockKey(body)).toString(),
                 formatClockOffset(offset));
        settings.endGroup();
        settings.sync();
        const ClockOffsets expected {{body, offset}, {"Nikon|NIKON Z 6|7", 5}};
        QCOMPARE(store.readClockOffsets(), expected);
        open();
        QCOMPARE(m_window->findChild<OptionsPage *>()->clockOffsets(), expected);
        closeWindow();
        QVERIFY(store.writeClockOffset(body, 0)); // 0: forgotten
        QCOMPARE(store.readClockOffsets(), (ClockOffsets {{"Nikon|NIKON Z 6|7", 5}}));
        QVERIFY(m_boxes.messages.empty());
    }

    void corruptStoreGivesDefaults()
    {
        QDir().mkpath(QFileInfo(m_home->settingsFile()).path());
        QFile file(m_home->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        static const char garbage[]
            = "\xff\xfe[Parameter\n=\x01\x02\0\nUnix=Wahr=\n[[[\nCD=\"Wahr\n";
        file.write(garbage, sizeof garbage - 1);
        file.close();
        open();
        QVERIFY(Check1()->isChecked() && Check2()->isChecked());
        QVERIFY(!Check6()->isChecked());
        closeWindow();
        QVERIFY(m_boxes.messages.empty()); // the keys were written: no warning
        QCOMPARE(m_home->stored().size(), 10);
    }
};

BRIXELWAND_TEST_MAIN(TestOptions)
#include "tst_options.moc"
