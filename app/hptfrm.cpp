// SPDX-License-Identifier: GPL-3.0-or-later
#include "hptfrm.h"

#include "folderscan.h"
#include "optionspage.h"
#include "previewmodel.h"
#include "qtmessageboxes.h"
#include "renamedialogue.h"
#include "renameplan.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"
#include "switches.h"
#include "version.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
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

template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
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

// Qt presents a plain widget as a filler, also where it is a window; a screen reader wants
// the window's role, and then takes its title as its name.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("Hptfrm") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Hptfrm::Hptfrm(IMessageBoxes *boxes, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_realBoxes(boxes ? nullptr : std::make_unique<QtMessageBoxes>(this))
    , m_boxes(boxes ? boxes : m_realBoxes.get())
{
    initResources();
    static const bool accessibleAsWindow = (QAccessible::installFactory(&windowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    m_timesReader.setMaxThreadCount(1);
    setObjectName(QStringLiteral("Hptfrm"));
    setWindowTitle(QStringLiteral("Brixelwand 2003"));
    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(
            QStringLiteral(":/brixelwand/icons/brixelwand-%1.png").arg(QLatin1String(size)));
    setWindowIcon(icon);
    setAcceptDrops(true);
    buildControls();
    m_window
        = std::make_unique<RenameWindowAdapter>(*this, *SSTab1, *m_selection, *m_options, *m_boxes);
    setFocusOrder();
    connectHandlers();
    qApp->installEventFilter(this); // sees every key before the focused control
    Form_Load();
    recoverInterruptedRun();
    updateUndoButton();

    // Opens centred on the screen, at the size the controls ask for. It may be enlarged, and
    // made smaller down to what the layouts need (a laptop at 150 %): the lists give up height
    // first, every other control keeps its size.
    resize(sizeHint());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Hptfrm::~Hptfrm()
{
    qApp->removeEventFilter(this);
    // A read of capture times uses the cache of m_window: it ends before the window goes.
    if (m_timesCancel)
        *m_timesCancel = true;
    m_timesReader.waitForDone();
}

QString Hptfrm::versionLine()
{
    return QStringLiteral("Copyright 2003-2026 die Brixelwand-Entwickler // Release %1.%2.%3")
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
    m_selection = new SelectionPage(*m_boxes);
    m_options = new OptionsPage(*m_boxes);
    auto *page2 = new QWidget;
    buildPage2(page2);
    SSTab1->addTab(m_selection, QStringLiteral("Schritt 1: Dateien auswählen"));
    SSTab1->addTab(m_options, QStringLiteral("Schritt 2: Dateien umbenennen"));
    SSTab1->addTab(page2, QStringLiteral("Infos zum Programm ..."));

    lblVersion = named(new QLabel(QStringLiteral("Copyright und Release-Info")), "lblVersion");
    lblVersion->setAlignment(Qt::AlignCenter);
    Command6 = named(new QPushButton(QStringLiteral("Ende")), "Command6");

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblVersion, 1);
    bottom->addWidget(Command6);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(bottom);
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
    // After the tab strip, by objectName across the pages; the switches of each page where its
    // table puts them, in the table's order, the day's start hour right after its switch.
    const auto switchesOf = [](int page) {
        std::vector<const char *> names;
        for (const Switch &s : switches) {
            if (s.page != page)
                continue;
            names.push_back(s.objectName);
            if (s.box == OptionCheck::Check11)
                names.push_back("Text5");
        }
        return names;
    };
    const std::vector<std::vector<const char *>> order
        = {{"Drive1", "Dir1", "File1", "Command1", "Command2", "Command7"},
           switchesOf(0),
           {"Command3", "Text2", "Text3", "Text4"},
           switchesOf(1),
           {"Command8", "Optionbtn1", "Optionbtn2", "Text1", "List1", "Command5", "Command4",
            "RichTextBox1", "RichTextBox2", "Command6"}};
    QWidget *previous = SSTab1->tabBar();
    for (const std::vector<const char *> &names : order) {
        for (const char *name : names) {
            QWidget *next = findChild<QWidget *>(QLatin1String(name));
            setTabOrder(previous, next);
            previous = next;
        }
    }
}

void Hptfrm::connectHandlers()
{
    connect(m_selection, &SelectionPage::forwardRequested, this, &Hptfrm::forward);
    connect(m_selection, &SelectionPage::stayRequested, this, [this] { showPage(0, true); });
    connect(m_selection, &SelectionPage::undoRequested, this, &Hptfrm::undoLastRun);
    connect(m_options, &OptionsPage::backRequested, this, [this] { showPage(0, true); });
    connect(m_options, &OptionsPage::stayRequested, this, [this] { showPage(1, true); });
    connect(m_options, &OptionsPage::renameRequested, this, &Hptfrm::renameSelectedFiles);
    connect(m_options, &OptionsPage::clocksRequested, this, &Hptfrm::editCameraClocks);
    connect(Command6, &QPushButton::clicked, this, &Hptfrm::Command6_Click);

    // The preview follows everything that shapes the new names, and the folder it reads.
    connect(m_options, &OptionsPage::namesChanged, this, &Hptfrm::schedulePreview);
    // A read of capture times for a selection that has changed stops at once; the preview
    // starts the one it needs when it is shown.
    connect(m_selection, &SelectionPage::selectionChanged, this, [this] {
        if (m_timesReading)
            stopReadingTimes();
        schedulePreview();
    });
    connect(m_selection, &SelectionPage::filesReread, this, [this] {
        m_previewScan.reset();
        stopReadingTimes(); // read again through the cache: a changed file is read anew
        schedulePreview();
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1 && m_previewStale)
            updatePreview();
    });
}

bool Hptfrm::openFolder(const QByteArray &folder, const QList<QByteArray> &names)
{
    if (!m_selection->openFolder(folder))
        return false;
    showPage(0, false);
    return names.isEmpty() || m_selection->selectFiles(names);
}

// ---- Navigation ----

void Hptfrm::showPage(int page, bool focusTabStrip)
{
    SSTab1->setCurrentIndex(page);
    if (focusTabStrip)
        SSTab1->tabBar()->setFocus();
}

// "weiter >>": the second page, with the new name selected so that typing replaces it.
void Hptfrm::forward()
{
    SSTab1->setCurrentIndex(1);
    m_options->focusNameField(true);
}

void Hptfrm::renameSelectedFiles()
{
    runRename(*m_window, m_window->fileMover(), m_window->journalStore());
    updateUndoButton();
}

void Hptfrm::editCameraClocks()
{
    PlanInput input = PlanInput::read(*m_window, PlanInput::WithoutTimes);
    // Through the window's cache: what the preview has read is not read again.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<CaptureTime> times = m_window->captureTimes(input.oldNames);
    QApplication::restoreOverrideCursor();
    m_options->editClockOffsets(std::move(input.oldNames), std::move(times));
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
    if (keyCode != Qt::Key_F5)
        return;
    // The volumes first: the card of an interrupted run may be back, and recovery shows its
    // folder, whose volume the list must then hold.
    m_selection->refreshLists();
    recoverInterruptedRun();
    updateUndoButton(); // the last run's folder may have come back (a card inserted)
}
