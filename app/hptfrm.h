#pragma once

#include "messageboxes.h"
#include "renamewindow.h"
#include "settingsstore.h"

#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

#include <memory>

class DriveList;
class FieldEdit;
class FileList;
class FolderList;
class FolderScan;
class PreviewModel;
class QListView;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextBrowser;
class StepButton;

// The program's one window: a wizard of three pages (choose files, name and rename, about),
// the version line and "Ende". Its handlers carry the names of control and event.
class Hptfrm : public QWidget, public IRenameWindow
{
    Q_OBJECT
public:
    // boxes, when given, answer every message box and outlive the window (tests); by default
    // real dialogs.
    explicit Hptfrm(IMessageBoxes *boxes = nullptr, QWidget *parent = nullptr);
    ~Hptfrm() override;

    // IRenameWindow
    int fileCount() const override;
    bool isFileSelected(int index) const override;
    QByteArray fileName(int index) const override;
    void clearSelectionToTop() override;
    void rereadFiles() override;
    QByteArray currentFolder() const override;
    QString optionText(OptionText field) const override;
    bool optionChecked(OptionCheck box) const override;
    bool keepExtensionSelected() const override;
    void setOptionText(OptionText field, const QString &text) override;
    void setOptionChecked(OptionCheck box, bool checked) override;
    void selectKeepExtension() override;
    void setStatusLine(const QString &caption, StatusLook look) override;
    MessageAnswer messageBox(const QString &prompt, MessageKind kind,
                             const QString &title) override;
    void focusNameField(bool selectText) override;
    void focusExtensionField() override;
    void showFirstPage(bool focusTabStrip) override;
    void repaintNow() override;
    FileMover &fileSystemObject() override;
    JournalStore *journalStore() override;

    // The controls, by their names.
    QTabWidget *SSTab1;
    DriveList *Drive1;
    FolderList *Dir1;
    FileList *File1;
    QPushButton *Command1, *Command2, *Command5, *Command6;
    QPushButton *Command7; // "Letzte Umbenennung rückgängig"
    StepButton *Command3, *Command4;
    QCheckBox *Check1, *Check2, *Check3, *Check4, *Check5, *Check6, *Check7;
    QRadioButton *Optionbtn1, *Optionbtn2;
    FieldEdit *Text1, *Text2, *Text3, *Text4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *lblVersion;
    QListView *List1; // the preview of the run: old name → new name
    QLabel *Label8; // "Vorschau"
    QLabel *Label9; // the number of conflicts under the preview
    PreviewModel *previewModel() const { return m_preview; }
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5;
    QTextBrowser *RichTextBox1, *RichTextBox2;

    // The version line: a lead-in, then "Release " and major.minor.revision.
    static QString versionLine();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // Navigation and window
    void Command3_Click();
    void Command3_LostFocus(Qt::FocusReason reason);
    void Command4_Click();
    void Command4_LostFocus(Qt::FocusReason reason);
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();

    // File selection
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();

    // Switches and fields
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check6_Click();
    void Check7_Click();
    void Optionbtn1_Click();
    void Optionbtn2_Click();
    void Text3_Change();
    void Text4_Change();
    void Text3_GotFocus();
    void Text4_GotFocus();

private:
    void buildControls();
    void buildPage0(QWidget *page);
    void buildPage1(QWidget *page);
    void buildPage2(QWidget *page);
    void setFocusOrder();
    bool leavesPageAlone(Qt::FocusReason reason, int buttonPage) const;
    FieldEdit *textField(OptionText field) const;
    QCheckBox *checkBox(OptionCheck box) const;
    void connectHandlers();

    void schedulePreview();
    void updatePreview();
    void recoverInterruptedRun();
    void updateUndoButton();
    void showFolder(const QByteArray &folder);

    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int keyCode);
    void refreshLists();
    void ResetFileSelection();

    void writeSwitch(const QString &key, QCheckBox *box);
    void hiddenOrSystemSwitched(QCheckBox *box, void (FileList::*setFlag)(bool));
    void checkNumberField(FieldEdit *field, double low, double high, const QString &resetText,
                          const QString &message);
    static void setLocked(FieldEdit *field, bool locked);

    std::unique_ptr<IMessageBoxes> m_realBoxes;
    IMessageBoxes *m_boxes;
    SettingsStore m_settings;
    std::unique_ptr<FileMover> m_fileSystemObject;
    std::unique_ptr<JournalStore> m_journal;
    bool m_forwardClicked = false; // set by "weiter >>", cleared by its next loss of focus
    bool m_backClicked = false; // set by "<< zurück", cleared by its next loss of focus
    bool m_unloaded = false;
    bool m_settingsWarned = false;
    QHash<QByteArray, QByteArray> m_lastFolderOfDrive; // in this use only
    QElapsedTimer m_sinceRepaint;
    PreviewModel *m_preview;
    std::unique_ptr<FolderScan> m_previewScan; // read once per folder shown, not per keystroke
    bool m_previewPending = false;
    bool m_previewStale = true;
};
