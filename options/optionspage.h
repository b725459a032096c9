// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renamewindow.h"
#include "settingsstore.h"
#include "switches.h"

#include <QWidget>

class FieldEdit;
class IMessageBoxes;
class PreviewModel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The page "Schritt 2: Dateien umbenennen": new name, start number and digit count, the
// switches and extension buttons, the status line, the preview of the run, "Dateien umbenennen
// >>" and "<< zurück". Its handlers carry the names of control and event; the window around it
// follows its signals.
class OptionsPage : public QWidget
{
    Q_OBJECT
public:
    // boxes shows the fields' messages and the settings warning; it outlives the page.
    explicit OptionsPage(IMessageBoxes &boxes, QWidget *parent = nullptr);

    // Start-up of the page: Optionbtn1 selected with Text1 locked, then the remembered
    // switches restored (their reactions run).
    void loadFirstState();
    // Shut-down: the remembered switches written once more.
    void saveSwitches();

    // The option controls, as a run reads and sets them; writes have the follow-ups of the same
    // change made by the user. The check boxes of this page: Check1, Check2, Check5 to Check11;
    // the text of Text5 is its hour.
    QString optionText(OptionText field) const;
    void setOptionText(OptionText field, const QString &text);
    bool optionChecked(OptionCheck box) const;
    void setOptionChecked(OptionCheck box, bool checked);
    bool keepExtensionSelected() const; // Optionbtn1
    void selectKeepExtension();

    // The status line Label5.
    void setStatusLine(const QString &caption, StatusLook look);
    // Focus to Text2; with selectText its whole text is selected.
    void focusNameField(bool selectText);
    // Focus to Text1 with its whole text selected.
    void focusExtensionField();

    // The preview List1 shows this model; Label9 the line under it.
    PreviewModel *previewModel() const { return m_preview; }
    void setPreviewSummary(const QString &text);
    // While the order of the numbers is not known yet, "Dateien umbenennen >>" waits (disabled).
    void setRunWaiting(bool waiting);

    // The remembered offsets of camera clocks, as the plan adds them to capture times.
    ClockOffsets clockOffsets() const { return m_clockOffsets; }
    // The dialogue "Kamerauhren" over the selected files (names with their capture times);
    // what it accepts is remembered and shapes the names.
    void editClockOffsets(std::vector<QByteArray> names, std::vector<CaptureTime> times);

signals:
    void renameRequested(); // "Dateien umbenennen >>" pressed
    void backRequested(); // "<< zurück" pressed
    // "<< zurück" lost the focus other than by its own click: this page stays shown, the focus
    // goes to the tab strip.
    void stayRequested();
    void namesChanged(); // a field or switch that shapes the new names changed
    // "Kamerauhren ..." pressed: the window answers with editClockOffsets.
    void clocksRequested();

private slots:
    void Command4_Click();
    void Command4_LostFocus(Qt::FocusReason reason);
    void Command5_Click();
    void Command8_Click();
    void Check1_Click();
    void Optionbtn1_Click();
    void Optionbtn2_Click();
    void Text3_Change();
    void Text4_Change();
    void Text3_GotFocus();
    void Text4_GotFocus();
    void Check8_Click();
    void Text5_Change();

private:
    void buildControls();
    void connectHandlers();
    FieldEdit *textField(OptionText field) const;
    QCheckBox *checkBox(OptionCheck box) const;
    // Check1_Click, Check2_Click and Check5_Click to Check11_Click: every remembered switch
    // writes its key at once.
    void writeSwitch(OptionCheck box);
    void writeSetting(const QString &key, const QString &value);
    // What may be typed into Text2: 230 characters, less the date where names begin with it.
    int nameLimit() const;
    void limitName();
    void warnSettingsUnwritable();
    void checkNumberField(FieldEdit *field, double low, double high, const QString &resetText,
                          const QString &message);
    static void setLocked(FieldEdit *field, bool locked);

    IMessageBoxes &m_boxes;
    SettingsStore m_settings;
    bool m_settingsWarned = false;
    bool m_backClicked = false; // set by "<< zurück", cleared by its next loss of focus

    QGroupBox *Frame1, *Frame2, *Frame5;
    QLabel *Label2, *Label3, *Label4, *Label5;
    FieldEdit *Text1, *Text2, *Text3, *Text4;
    // The check boxes of this page, made from the table of switches, by OptionCheck; Check1
    // also by its name for its own reaction.
    QCheckBox *m_switches[switchCount] = {};
    QCheckBox *Check1;
    QLabel *Label11; // "Tag beginnt um"
    QSpinBox *Text5; // the hour a capture day begins at, 0-23
    QRadioButton *Optionbtn1, *Optionbtn2;
    QPushButton *Command5; // "Dateien umbenennen >>"
    QPushButton *Command4; // "<< zurück"
    QPushButton *Command8; // "Kamerauhren ..."
    ClockOffsets m_clockOffsets;
    QLabel *Label8; // "Vorschau"
    QListView *List1; // the preview of the run: old name → new name
    QLabel *Label9; // the number of conflicts under the preview
    PreviewModel *m_preview;
};
