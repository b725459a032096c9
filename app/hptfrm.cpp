#include "hptfrm.h"

#include "drivelist.h"
#include "filelist.h"
#include "filemover.h"
#include "folderlist.h"
#include "folderscan.h"
#include "journal.h"
#include "previewmodel.h"
#include "qtmessageboxes.h"
#include "renamerun.h"
#include "settingsstore.h"
#include "version.h"
#include "widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

// The resources live in a static library: register them once before the first use.
static void initResources()
{
    Q_INIT_RESOURCE(brixelwand);
}

namespace {

const QColor busyRed(192, 0, 0);
constexpr int nameFieldLength = 230; // what the user can type into Text2

QColor menuBarColour()
{
    return QApplication::palette("QMenuBar").color(QPalette::Window);
}

template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *centredLabel(const QString &text, const char *name)
{
    auto *label = named(new QLabel(text), name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QTextBrowser *documentBox(const char *resource, const char *name, const QString &accessible)
{
    auto *box = named(new QTextBrowser, name);
    QFile file {QLatin1String(resource)};
    file.open(QIODevice::ReadOnly);
    box->setHtml(QString::fromUtf8(file.readAll()));
    box->setReadOnly(true);
    box->setOpenLinks(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setStyleSheet(QStringLiteral("QTextBrowser { background-color: #2f3440; }"));
    box->setAccessibleName(accessible);
    return box;
}

} // namespace

Hptfrm::Hptfrm(IMessageBoxes *boxes, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_realBoxes(boxes ? nullptr : std::make_unique<QtMessageBoxes>(this))
    , m_boxes(boxes ? boxes : m_realBoxes.get())
{
    initResources();
    setObjectName(QStringLiteral("Hptfrm"));
    setWindowTitle(QStringLiteral("Brixelwand 2003"));
    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(
            QStringLiteral(":/brixelwand/icons/brixelwand-%1.png").arg(QLatin1String(size)));
    setWindowIcon(icon);
    buildControls();
    setFocusOrder();
    connectHandlers();
    qApp->installEventFilter(this); // sees every key before the focused control
    Form_Load();
    m_sinceRepaint.start();
    recoverInterruptedRun();
    updateUndoButton();

    // Opens centred on the screen.
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Hptfrm::~Hptfrm()
{
    qApp->removeEventFilter(this);
}

QString Hptfrm::versionLine()
{
    return QStringLiteral("Copyright 2003 die Brixelwand-Entwickler // Release %1.%2.%3")
        .arg(BRIXELWAND_VERSION_MAJOR)
        .arg(BRIXELWAND_VERSION_MINOR)
        .arg(BRIXELWAND_VERSION_PATCH);
}

void Hptfrm::buildControls()
{
    SSTab1 = named(new QTabWidget, "SSTab1");
    SSTab1->setAccessibleName(QStringLiteral("Schritte"));
    // A click on a tab takes the focus, so that leaving a step button that way reads as a click.
    SSTab1->tabBar()->setFocusPolicy(Qt::StrongFocus);
    auto *page0 = new QWidget;
    auto *page1 = new QWidget;
    auto *page2 = new QWidget;
    buildPage0(page0);
    buildPage1(page1);
    buildPage2(page2);
    SSTab1->addTab(page0, QStringLiteral("Schritt 1: Dateien auswählen"));
    SSTab1->addTab(page1, QStringLiteral("Schritt 2: Dateien umbenennen"));
    SSTab1->addTab(page2, QStringLiteral("Infos zum Programm ..."));

    lblVersion = centredLabel(QStringLiteral("Copyright und Release-Info"), "lblVersion");
    Command6 = named(new QPushButton(QStringLiteral("Ende")), "Command6");

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblVersion, 1);
    bottom->addWidget(Command6);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize); // fixed size, as the layout needs it
}

void Hptfrm::buildPage0(QWidget *page)
{
    const int charWidth = fontMetrics().averageCharWidth();
    const int lineHeight = fontMetrics().height();
    Label1 = named(new QLabel(QStringLiteral(
                       "Bitte wählen Sie die Dateien aus, die umbenannt werden sollen:")),
                   "Label1");
    Drive1 = named(new DriveList, "Drive1");
    Drive1->setAccessibleName(QStringLiteral("Laufwerk"));
    Drive1->setMinimumWidth(32 * charWidth);
    Drive1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Drive1->setMinimumContentsLength(28);
    Dir1 = named(new FolderList, "Dir1");
    Dir1->setAccessibleName(QStringLiteral("Ordner"));
    Dir1->setMinimumSize(32 * charWidth, 16 * lineHeight);
    File1 = named(new FileList, "File1");
    File1->setAccessibleName(QStringLiteral("Dateien"));
    File1->setMinimumSize(48 * charWidth, 12 * lineHeight);
    Label1->setBuddy(File1);
    Label6 = centredLabel(QStringLiteral("F5 -> Aktualisieren"), "Label6");
    Command1 = named(new QPushButton(QStringLiteral("Alle auswählen")), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("Keine auswählen")), "Command2");
    Command7 = named(new QPushButton(QStringLiteral("&Letzte Umbenennung rückgängig")), "Command7");
    Command7->setAccessibleName(QStringLiteral("Letzte Umbenennung rückgängig"));
    Command7->setEnabled(false);
    Label7 = centredLabel(QStringLiteral("Dateianzeige"), "Label7");
    Check3 = named(new QCheckBox(QStringLiteral("Versteckte Dateien")), "Check3");
    Check4 = named(new QCheckBox(QStringLiteral("Systemdateien")), "Check4");
    Command3 = named(new StepButton(QStringLiteral("weiter >>")), "Command3");

    auto *buttons = new QGridLayout;
    buttons->addWidget(Label6, 0, 0, 1, 2);
    buttons->addWidget(Command1, 1, 0);
    buttons->addWidget(Command2, 1, 1);
    buttons->addWidget(Command7, 2, 0, 1, 2);
    auto *display = new QVBoxLayout;
    display->addWidget(Label7);
    display->addWidget(Check3);
    display->addWidget(Check4);
    auto *underFiles = new QHBoxLayout;
    underFiles->addLayout(buttons);
    underFiles->addSpacing(2 * charWidth);
    underFiles->addLayout(display);
    underFiles->addStretch();

    auto *left = new QVBoxLayout;
    left->addWidget(Drive1);
    left->addWidget(Dir1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(File1, 1);
    right->addLayout(underFiles);
    auto *step = new QHBoxLayout;
    step->addStretch();
    step->addWidget(Command3);
    right->addLayout(step);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(Label1);
    layout->addLayout(columns, 1);
}

void Hptfrm::buildPage1(QWidget *page)
{
    const int charWidth = fontMetrics().averageCharWidth();
    Frame1 = named(new QGroupBox(QStringLiteral("Neuer Dateiname ...")), "Frame1");
    Label2 = named(new QLabel(QStringLiteral("Neuer Dateiname:")), "Label2");
    Label3 = named(new QLabel(QStringLiteral("Startzahl:")), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Anzahl der Stellen:")), "Label4");
    Text2 = named(new FieldEdit, "Text2");
    Text2->setMaxLength(nameFieldLength);
    // A longer name written back by a run is shown whole; the limit follows the text down again
    // and typing never makes it longer.
    connect(Text2, &QLineEdit::textChanged, this, [this](const QString &text) {
        Text2->setMaxLength(std::max(nameFieldLength, int(text.size())));
    });
    Text3 = named(new FieldEdit(QStringLiteral("1")), "Text3");
    Text3->setMaxLength(5);
    Text4 = named(new FieldEdit(QStringLiteral("2")), "Text4");
    Text4->setMaxLength(1);
    for (FieldEdit *field : {Text3, Text4}) {
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(9 * charWidth);
    }
    Label2->setBuddy(Text2);
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);
    Text2->setAccessibleName(Label2->text());
    Text3->setAccessibleName(Label3->text());
    Text4->setAccessibleName(Label4->text());
    Check2 = named(new QCheckBox(QStringLiteral("zwischen Dateiname und Zahl ein Leerzeichen")),
                   "Check2");
    Check1 = named(new QCheckBox(QStringLiteral("Stellenanzahl automatisch ermitteln")), "Check1");
    Check5 = named(new QCheckBox(QStringLiteral("Leerzeichen durch Unterstriche ersetzen (Unix)")),
                   "Check5");
    Check7 = named(new QCheckBox(QStringLiteral("ä, ö, ü, ß durch ae, oe, ue und ss ersetzen")),
                   "Check7");
    Check6 = named(new QCheckBox(QStringLiteral("CD-Konventionen beachten (max. 64 Zeichen)")),
                   "Check6");

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(Label2);
    nameRow->addWidget(Text2, 1);
    auto *numbers = new QGridLayout;
    numbers->addWidget(Label3, 0, 0);
    numbers->addWidget(Text3, 0, 1);
    numbers->addWidget(Label4, 1, 0);
    numbers->addWidget(Text4, 1, 1);
    numbers->setRowStretch(2, 1);
    auto *switches = new QVBoxLayout;
    for (QCheckBox *box : {Check2, Check1, Check5, Check7, Check6})
        switches->addWidget(box);
    auto *lower = new QHBoxLayout;
    lower->addLayout(numbers);
    lower->addStretch();
    lower->addLayout(switches);
    auto *frame1 = new QVBoxLayout(Frame1);
    frame1->addLayout(nameRow);
    frame1->addLayout(lower);

    Frame2 = named(new QGroupBox(QStringLiteral("Neue Dateiendung ...")), "Frame2");
    Optionbtn1 = named(new QRadioButton(QStringLiteral("Dateiendungen beibehalten")), "Optionbtn1");
    Optionbtn2 = named(new QRadioButton(QStringLiteral("Dateiendungen ändern in:")), "Optionbtn2");
    Text1 = named(new FieldEdit, "Text1");
    Text1->setMaxLength(4);
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFixedWidth(9 * charWidth);
    Text1->setEnabled(false);
    Text1->setAccessibleName(QStringLiteral("Neue Dateiendung"));
    auto *frame2 = new QGridLayout(Frame2);
    frame2->addWidget(Optionbtn1, 0, 0, 1, 2);
    frame2->addWidget(Optionbtn2, 1, 0);
    frame2->addWidget(Text1, 1, 1);
    frame2->setColumnStretch(2, 1);

    Frame5 = named(new QGroupBox(QStringLiteral("Status")), "Frame5");
    Label5 = centredLabel(readyCaption(), "Label5");
    Label5->setAutoFillBackground(true);
    Label5->setMinimumHeight(fontMetrics().height() + 8);
    setStatusLine(Label5->text(), StatusLook::Ready);
    auto *frame5 = new QVBoxLayout(Frame5);
    frame5->addWidget(Label5);

    Command5 = named(new QPushButton(QStringLiteral("Dateien umbenennen >>")), "Command5");
    Command4 = named(new StepButton(QStringLiteral("<< zurück")), "Command4");

    m_preview = new PreviewModel(this);
    Label8 = named(new QLabel(QStringLiteral("Vorschau")), "Label8");
    List1 = named(new QListView, "List1");
    List1->setModel(m_preview);
    List1->setUniformItemSizes(true);
    List1->setLayoutMode(QListView::Batched);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setAccessibleName(QStringLiteral("Vorschau"));
    List1->setMinimumHeight(8 * fontMetrics().height());
    Label8->setBuddy(List1);
    Label9 = named(new QLabel, "Label9");
    auto *preview = new QVBoxLayout;
    preview->addWidget(Label8);
    preview->addWidget(List1, 1);
    preview->addWidget(Label9);

    // Frame2 and the status side by side, the preview below them; the two buttons at the
    // bottom, "<< zurück" where "weiter >>" stands on the first page.
    auto *grid = new QGridLayout;
    grid->addWidget(Frame2, 0, 0);
    grid->addWidget(Frame5, 0, 1, 1, 2, Qt::AlignTop);
    grid->addLayout(preview, 1, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->addWidget(Command5, 2, 1, Qt::AlignLeft);
    grid->addWidget(Command4, 2, 2, Qt::AlignRight);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(Frame1);
    layout->addLayout(grid, 1);
}

void Hptfrm::buildPage2(QWidget *page)
{
    Frame3 = named(new QGroupBox(QStringLiteral("Programminfo ...")), "Frame3");
    Frame4 = named(new QGroupBox(QStringLiteral("Updates und Infos ...")), "Frame4");
    RichTextBox2 = documentBox(":/brixelwand/programminfo.html", "RichTextBox2", Frame3->title());
    RichTextBox1 = documentBox(":/brixelwand/updates.html", "RichTextBox1", Frame4->title());
    (new QVBoxLayout(Frame3))->addWidget(RichTextBox2);
    (new QVBoxLayout(Frame4))->addWidget(RichTextBox1);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(Frame3);
    layout->addWidget(Frame4);
}

void Hptfrm::setFocusOrder()
{
    QWidget *const order[] = {SSTab1->tabBar(),
                              Drive1,
                              Dir1,
                              File1,
                              Command1,
                              Command2,
                              Command7,
                              Check3,
                              Check4,
                              Command3,
                              Text2,
                              Text3,
                              Text4,
                              Check2,
                              Check1,
                              Check5,
                              Check7,
                              Check6,
                              Optionbtn1,
                              Optionbtn2,
                              Text1,
                              List1,
                              Command5,
                              Command4,
                              RichTextBox1,
                              RichTextBox2,
                              Command6};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Hptfrm::connectHandlers()
{
    connect(Command3, &QPushButton::clicked, this, &Hptfrm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Hptfrm::Command4_Click);
    // Reported after the handler that moved the focus has returned.
    connect(Command3, &StepButton::lostFocus, this, &Hptfrm::Command3_LostFocus,
            Qt::QueuedConnection);
    connect(Command4, &StepButton::lostFocus, this, &Hptfrm::Command4_LostFocus,
            Qt::QueuedConnection);
    connect(Command5, &QPushButton::clicked, this, &Hptfrm::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Hptfrm::Command6_Click);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Hptfrm::Drive1_Change);
    connect(Dir1, &FolderList::pathChanged, this, &Hptfrm::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &Hptfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Hptfrm::Command2_Click);

    connect(Check1, &QCheckBox::toggled, this, &Hptfrm::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Hptfrm::Check2_Click);
    connect(Check3, &QCheckBox::toggled, this, &Hptfrm::Check3_Click);
    connect(Check4, &QCheckBox::toggled, this, &Hptfrm::Check4_Click);
    connect(Check5, &QCheckBox::toggled, this, &Hptfrm::Check5_Click);
    connect(Check6, &QCheckBox::toggled, this, &Hptfrm::Check6_Click);
    connect(Check7, &QCheckBox::toggled, this, &Hptfrm::Check7_Click);
    connect(Optionbtn1, &QRadioButton::toggled, this, &Hptfrm::Optionbtn1_Click);
    connect(Optionbtn2, &QRadioButton::toggled, this, &Hptfrm::Optionbtn2_Click);
    connect(Text3, &QLineEdit::textChanged, this, &Hptfrm::Text3_Change);
    connect(Text4, &QLineEdit::textChanged, this, &Hptfrm::Text4_Change);
    connect(Text3, &FieldEdit::gotFocus, this, &Hptfrm::Text3_GotFocus);
    connect(Text4, &FieldEdit::gotFocus, this, &Hptfrm::Text4_GotFocus);
    connect(Command7, &QPushButton::clicked, this, &Hptfrm::Command7_Click);

    // The preview follows everything that shapes the new names, and the folder it reads.
    for (FieldEdit *field : {Text1, Text2, Text3, Text4})
        connect(field, &QLineEdit::textChanged, this, &Hptfrm::schedulePreview);
    for (QAbstractButton *button : std::initializer_list<QAbstractButton *> {
             Check1, Check2, Check5, Check6, Check7, Optionbtn1, Optionbtn2})
        connect(button, &QAbstractButton::toggled, this, &Hptfrm::schedulePreview);
    connect(File1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Hptfrm::schedulePreview);
    connect(File1->model(), &QAbstractItemModel::modelReset, this, [this] {
        m_previewScan.reset();
        schedulePreview();
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1 && m_previewStale)
            updatePreview();
    });
}

// ---- Navigation ----

void Hptfrm::Command3_Click()
{
    // Only a button that has the focus loses it to Text2; a click without the focus (a screen
    // reader's press) leaves no loss behind to clear the marker.
    const bool lostByThisClick = Command3->hasFocus();
    SSTab1->setCurrentIndex(1);
    focusNameField(true);
    m_forwardClicked = lostByThisClick;
}

// Losses of focus that leave the user where they are: another application came to the front,
// a menu opened, the user clicked another control that is shown, or the user chose another page
// (a click on its tab, Ctrl+Tab).
bool Hptfrm::leavesPageAlone(Qt::FocusReason reason, int buttonPage) const
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return true;
    if (SSTab1->currentIndex() != buttonPage)
        return true;
    const QWidget *now = QApplication::focusWidget();
    return reason == Qt::MouseFocusReason && now && now->isVisible();
}

void Hptfrm::Command3_LostFocus(Qt::FocusReason reason)
{
    if (m_forwardClicked) {
        m_forwardClicked = false;
        return;
    }
    if (leavesPageAlone(reason, 0))
        return;
    SSTab1->setCurrentIndex(0);
    SSTab1->tabBar()->setFocus();
}

void Hptfrm::Command4_Click()
{
    const bool lostByThisClick = Command4->hasFocus();
    SSTab1->setCurrentIndex(0);
    SSTab1->tabBar()->setFocus();
    m_backClicked = lostByThisClick;
}

void Hptfrm::Command4_LostFocus(Qt::FocusReason reason)
{
    if (!m_backClicked && !leavesPageAlone(reason, 1)) {
        SSTab1->setCurrentIndex(1);
        SSTab1->tabBar()->setFocus();
    }
    m_backClicked = false;
}

void Hptfrm::Command5_Click()
{
    runRename(*this);
    updateUndoButton();
}

void Hptfrm::Command6_Click()
{
    close();
}

void Hptfrm::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

bool Hptfrm::eventFilter(QObject *watched, QEvent *event)
{
    // Only the delivery to the focused control (or the window itself): a key that the control
    // ignores travels on to its parents and passes here again.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        const QWidget *focus = QApplication::focusWidget();
        if (widget->window() == this && (widget == focus || (!focus && widget == this)))
            Form_KeyDown(static_cast<QKeyEvent *>(event)->key());
    }
    return false; // the focused control receives the key as well
}

void Hptfrm::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_F5)
        refreshLists();
}

// ---- The window's operations for a rename run ----

int Hptfrm::fileCount() const
{
    return File1->count();
}

bool Hptfrm::isFileSelected(int index) const
{
    return File1->isSelected(index);
}

QByteArray Hptfrm::fileName(int index) const
{
    return File1->rawName(index);
}

void Hptfrm::clearSelectionToTop()
{
    ResetFileSelection();
}

void Hptfrm::rereadFiles()
{
    File1->reread();
}

QByteArray Hptfrm::currentFolder() const
{
    return Dir1->path();
}

FieldEdit *Hptfrm::textField(OptionText field) const
{
    FieldEdit *const fields[] = {Text1, Text2, Text3, Text4};
    return fields[int(field)];
}

QCheckBox *Hptfrm::checkBox(OptionCheck box) const
{
    QCheckBox *const boxes[] = {Check1, Check2, Check3, Check4, Check5, Check6, Check7};
    return boxes[int(box)];
}

QString Hptfrm::optionText(OptionText field) const
{
    return textField(field)->text();
}

bool Hptfrm::optionChecked(OptionCheck box) const
{
    return checkBox(box)->isChecked();
}

bool Hptfrm::keepExtensionSelected() const
{
    return Optionbtn1->isChecked();
}

void Hptfrm::setOptionText(OptionText field, const QString &text)
{
    if (field == OptionText::Text2)
        Text2->setMaxLength(std::max(nameFieldLength, int(text.size())));
    textField(field)->setText(text);
}

void Hptfrm::setOptionChecked(OptionCheck box, bool checked)
{
    checkBox(box)->setChecked(checked);
}

void Hptfrm::selectKeepExtension()
{
    Optionbtn1->setChecked(true);
}

void Hptfrm::setStatusLine(const QString &caption, StatusLook look)
{
    Label5->setText(caption);
    QPalette palette = Label5->palette();
    const bool busy = look == StatusLook::Busy;
    palette.setColor(QPalette::Window, busy ? busyRed : menuBarColour());
    palette.setColor(QPalette::WindowText,
                     busy ? QColor(Qt::white)
                          : QApplication::palette().color(QPalette::WindowText));
    Label5->setPalette(palette);
    if (busy)
        Label5->repaint(); // the busy state shows before the first file is moved
}

MessageAnswer Hptfrm::messageBox(const QString &prompt, MessageKind kind, const QString &title)
{
    return m_boxes->show(prompt, kind, title);
}

void Hptfrm::focusNameField(bool selectText)
{
    Text2->setFocus();
    // The field's whole text: 230 characters, or a longer prepared name written back by a run.
    if (selectText)
        Text2->setSelection(0, std::max(nameFieldLength, int(Text2->text().size())));
}

void Hptfrm::focusExtensionField()
{
    Text1->setFocus();
    Text1->selectAll();
}

void Hptfrm::showFirstPage(bool focusTabStrip)
{
    SSTab1->setCurrentIndex(0);
    if (focusTabStrip)
        SSTab1->tabBar()->setFocus();
}

void Hptfrm::repaintNow()
{
    // A few repaints a second keep the window drawn (uncovered parts, the busy status line)
    // while a run of thousands of files is not spent painting.
    if (m_sinceRepaint.elapsed() < 250)
        return;
    repaint();
    m_sinceRepaint.restart();
}

JournalStore *Hptfrm::journalStore()
{
    if (!m_journal)
        m_journal = std::make_unique<JournalStore>();
    return m_journal.get();
}

FileMover &Hptfrm::fileSystemObject()
{
    if (!m_fileSystemObject)
        m_fileSystemObject = std::make_unique<FileMover>();
    return *m_fileSystemObject;
}
