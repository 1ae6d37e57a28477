#include "app/frm_main.h"

#include "acquisition/erase_guard.h"
#include "acquisition/live_readings.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "analysis/limits_dialog.h"
#include "app/qt_prompter.h"
#include "app/status_panels.h"
#include "archive/archive_texts.h"
#include "common/messages.h"
#include "common/window_opener.h"
#include "device/port_controller.h"
#include "device/qt_serial_link.h"
#include "output/report.h"
#include "run/run_document.h"
#include "view/frm_data.h"

#include <QActionGroup>
#include <QTableView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

namespace {

// The live toolbar's first button says what it will do next.
const QString kStartReading = QStringLiteral("Start Reading");
const QString kStopReading = QStringLiteral("Stop Reading");

// The main toolbar: 30 positions; the ones not listed are separators.
struct ToolbarEntry
{
    int position;
    const char *key;
    const char *toolTip;
    const char *icon;
};
constexpr ToolbarEntry kToolbar[] = {
    {3, "New", "New", "new"},
    {4, "Open", "Open", "open"},
    {5, "Save", "Save", "save"},
    {6, "Print", "Print Data", "print"},
    {7, "Print_G", "Print Graph", "print_graph"},
    {11, "Zoomin", "Zoom in", "zoom_in"},
    {12, "Zoomout", "Zoom out", "zoom_out"},
    {13, "CancZoom", "Normal", "zoom_normal"},
    {14, "Pointer", "Cursor", "pointer"},
    {18, "ReadData", "Read Data", "read_data"},
    {19, "RealTime", "Read Real Time Data", "real_time"},
    {23, "DeviceTime", "Device Time", "device_time"},
    {24, "IdentyDevice", "Identify Device", "identify_device"},
    {25, "StartDevice", "Start Device", "start_device"},
    {26, "StopDevice", "Stop Device", "stop_device"},
    {27, "ClearStop", "Clear and Stop", "clear_stop"},
    {30, "ExportExcel", "Export to Excel", "export_excel"},
};

// The device commands that Dsb_Controls / Enb_Controls switch.
constexpr const char *kDeviceButtons[] = {"ReadData",     "RealTime",    "DeviceTime",
                                          "IdentyDevice", "StartDevice", "StopDevice",
                                          "ClearStop"};

// The live-reading intervals and their lengths in seconds.
struct Interval
{
    const char *text;
    int seconds;
};
constexpr Interval kIntervals[] = {
    {"2 Seconds", 2},    {"5 Seconds", 5},     {"10 Seconds", 10},   {"15 Seconds", 15},
    {"30 Seconds", 30},  {"1 Minute", 60},     {"2 Minutes", 120},   {"5 Minutes", 300},
    {"10 Minutes", 600}, {"15 Minutes", 900},  {"30 Minutes", 1800}, {"1 Hour", 3600},
    {"2 Hours", 7200},   {"4 Hours", 14400},   {"8 Hours", 28800},   {"12 Hours", 43200},
    {"24 Hours", 86400},
};

QIcon icon(const char *name)
{
    const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
    return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}


} // namespace

FrmMain::FrmMain(SerialLink *link, Prompter *prompter, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    if (!link) {
        m_ownLink = std::make_unique<QtSerialLink>();
        link = m_ownLink.get();
    }
    if (!prompter) {
        m_ownPrompter = std::make_unique<QtPrompter>(this);
        prompter = m_ownPrompter.get();
    }
    m_link = link;
    m_prompter = prompter;
    m_port = new PortController(*m_link, *m_prompter, this);
    m_eraseGuard = new EraseGuard(*this, this);

    setWindowTitle(QStringLiteral("BRIVAK QTRN"));
    setWindowIcon(icon("app"));

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIForm"));
    setCentralWidget(m_mdi);
    m_doc = std::make_unique<RunDocument>();
    m_data = new FrmData(m_doc.get());
    m_dataSub = m_mdi->addSubWindow(m_data);
    m_dataSub->setWindowIcon(icon("app"));
    connect(m_data, &FrmData::captionChanged, m_dataSub, &QWidget::setWindowTitle);

    buildMenus();
    buildToolbar();
    buildLiveToolbar();
    buildStatusBar();

    m_live = new LiveReadings(*m_link, m_data->readingSet(), *m_prompter,
                              [this] { return m_comboRTC->currentData().toInt(); }, this);
    connect(m_live, &LiveReadings::headerReady, this, [this] { m_data->setHeaderLabelsVisible(true); });
    connect(m_live, &LiveReadings::rowAdded, this, &FrmMain::onLiveRow);
    connect(m_live, &LiveReadings::failed, this, &FrmMain::onLiveFailed);

    connect(m_port, &PortController::tickChanged, this, &FrmMain::onTickChanged);
    connect(m_port, &PortController::statusChanged, this,
            [this](const QString &s) { m_panels->setText(s); });
    connect(m_link, &SerialLink::lost, this, [this](const QString &reason) {
        m_port->portLost(reason);
        // Whatever was talking to the logger hears of the loss too and ends quietly; this box,
        // shown once they all have, is the only one the user gets.
        const QString text = msg::kPortLost.arg(m_port->comm_port()).arg(reason);
        QMetaObject::invokeMethod(
            this, [this, text] { m_prompter->message(text, appinfo::title(), Prompter::Icon::Warning); },
            Qt::QueuedConnection);
    });
    // Returning from another form of the program counts as a new activation.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *w) {
        if (!w || w == windowHandle())
            return;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->windowHandle() == w && windows::isForm(top))
                m_otherFormWasActive = true;
    });

    // Loading: maximised, M_Show true, data window reset.
    M_Show = true;
    New_file();
    m_dataSub->showMaximized();
    setWindowState(windowState() | Qt::WindowMaximized);
}

FrmMain::~FrmMain()
{
    if (m_link->isOpen())
        m_link->close();
    // What shows or fills the run goes before the run.
    delete m_live;
    delete m_mdi;
}

qint16 FrmMain::comm_port() const { return m_port->comm_port(); }
bool FrmMain::ok_port() const { return m_port->ok_port(); }
qint16 FrmMain::Baud_Rate() const { return m_port->Baud_Rate(); }


QAction *FrmMain::addMenuAction(QMenu *menu, const QString &name, const QString &caption)
{
    auto *a = menu->addAction(caption);
    a->setObjectName(name);
    m_menuActions.insert(name, a);
    return a;
}

void FrmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [&](const QString &name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(name);
        m_menus.insert(name, m);
        return m;
    };

    QMenu *file = addMenu(QStringLiteral("File"), QStringLiteral("     &File         "));
    connect(addMenuAction(file, QStringLiteral("mNew"), QStringLiteral("&New")),
            &QAction::triggered, this, [this] {
                New_file();
                showDataWindow();
            });
    connect(addMenuAction(file, QStringLiteral("mOpen"), QStringLiteral("&Open")),
            &QAction::triggered, this, [this] { Q_EMIT fileOpenRequested(); });
    file->addSeparator();
    connect(addMenuAction(file, QStringLiteral("Save"), QStringLiteral("&Save")),
            &QAction::triggered, this, [this] { Q_EMIT fileSaveRequested(); });
    addMenuAction(file, QStringLiteral("SaveAs"), QStringLiteral("Save &As"))->setEnabled(false);
    file->addSeparator();
    addMenuAction(file, QStringLiteral("PageSetup"), QStringLiteral("Page Set&up"))
        ->setEnabled(false);
    addMenuAction(file, QStringLiteral("PrintPreview"), QStringLiteral("Print Pre&view"))
        ->setEnabled(false);
    connect(addMenuAction(file, QStringLiteral("PrintData"), QStringLiteral("Print &Data")),
            &QAction::triggered, this, [this] { Print_Options(false); });
    connect(addMenuAction(file, QStringLiteral("PrintGrapg"), QStringLiteral("Print &Graph")),
            &QAction::triggered, this, [this] { Print_Options(true); });
    connect(addMenuAction(file, QStringLiteral("ReportPdf"), report::kReportCaption),
            &QAction::triggered, this, [this] { Q_EMIT reportRequested(); });
    connect(addMenuAction(file, QStringLiteral("mArchive"), QStringLiteral("&Archive...")),
            &QAction::triggered, this, [this] { Q_EMIT archiveRequested(); });
    connect(addMenuAction(file, QStringLiteral("mAuditTrail"), archivetext::kAuditTrailCaption),
            &QAction::triggered, this, [this] { Q_EMIT auditTrailRequested(); });
    file->addSeparator();
    connect(addMenuAction(file, QStringLiteral("Exit"), QStringLiteral("E&xit")),
            &QAction::triggered, this, &FrmMain::Exit);

    QMenu *setting = addMenu(QStringLiteral("Setting"), QStringLiteral("     &Setting              "));
    QMenu *model = setting->addMenu(QStringLiteral("&Model"));
    model->setObjectName(QStringLiteral("Model"));
    m_menus.insert(QStringLiteral("Model"), model);
    QAction *m101 = addMenuAction(model, QStringLiteral("m101"), QStringLiteral("RV-110/210/410"));
    m101->setCheckable(true);
    m101->setEnabled(false);
    QAction *m102 = addMenuAction(model, QStringLiteral("m102"), QStringLiteral("RV-120/220/420"));
    m102->setCheckable(true);
    m102->setChecked(true);
    connect(m102, &QAction::triggered, this, [this, m101, m102] {
        m_port->applyLineSettings();
        m102->setChecked(true);
        m101->setChecked(false);
    });
    QMenu *comm = setting->addMenu(QStringLiteral("&Comm Port"));
    comm->setObjectName(QStringLiteral("CommPort"));
    m_menus.insert(QStringLiteral("CommPort"), comm);
    for (int n = 1; n <= 4; ++n) {
        QAction *a = addMenuAction(comm, QStringLiteral("Com%1").arg(n), QStringLiteral("COM%1").arg(n));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, n] { Open_Port_Com(n); });
    }
    QAction *other = addMenuAction(comm, QStringLiteral("ComOther"), QStringLiteral("Other"));
    other->setCheckable(true);
    connect(other, &QAction::triggered, this, &FrmMain::Open_Port_Other);
    // The line speed is fixed; the Baud Rate menu is never shown.
    QMenu *baud = setting->addMenu(QStringLiteral("&Baud Rate"));
    baud->setObjectName(QStringLiteral("BaudRate"));
    m_menus.insert(QStringLiteral("BaudRate"), baud);
    QAction *b1200 = addMenuAction(baud, QStringLiteral("Baud1200"), QStringLiteral("&1200 baud"));
    b1200->setCheckable(true);
    b1200->setChecked(true);
    addMenuAction(baud, QStringLiteral("Baud2400"), QStringLiteral("&2400 baud"))->setCheckable(true);
    addMenuAction(baud, QStringLiteral("Baud9600"), QStringLiteral("&9600 baud"))->setCheckable(true);
    baud->menuAction()->setVisible(false);
    connect(addMenuAction(setting, QStringLiteral("mLimits"), QStringLiteral("&Limits...")),
            &QAction::triggered, this, &FrmMain::openLimits);
    connect(addMenuAction(setting, QStringLiteral("mArchiveSetting"), QStringLiteral("&Archive...")),
            &QAction::triggered, this, [this] { Q_EMIT archiveSettingRequested(); });

    QMenu *view = addMenu(QStringLiteral("View"), QStringLiteral("    &View           "));
    connect(addMenuAction(view, QStringLiteral("zoomin"), QStringLiteral("Zoom in")),
            &QAction::triggered, this, &FrmMain::Zoom_In);
    connect(addMenuAction(view, QStringLiteral("zoomout"), QStringLiteral("Zoom out")),
            &QAction::triggered, this, &FrmMain::Zoom_Out);
    connect(addMenuAction(view, QStringLiteral("cancelzoom"), QStringLiteral("Normal")),
            &QAction::triggered, this, &FrmMain::Zoom_Normal);
    connect(addMenuAction(view, QStringLiteral("cursor"), QStringLiteral("Cursor")),
            &QAction::triggered, this, &FrmMain::Pointer_Mode);

    QMenu *data = addMenu(QStringLiteral("data"), QStringLiteral("     Data               "));
    connect(addMenuAction(data, QStringLiteral("ReadData"), QStringLiteral("Read Data")),
            &QAction::triggered, this, &FrmMain::Read_Device);
    connect(addMenuAction(data, QStringLiteral("RealTimeChart"), QStringLiteral("Real Time Chart")),
            &QAction::triggered, this, &FrmMain::Real_Time);

    QMenu *device = addMenu(QStringLiteral("Device"), QStringLiteral("     &Device                 "));
    connect(addMenuAction(device, QStringLiteral("DeviceTime"), QStringLiteral("Device Time")),
            &QAction::triggered, this, [this] { Q_EMIT deviceTimeRequested(); });
    connect(addMenuAction(device, QStringLiteral("IdentifyDevice"), QStringLiteral("Identify Device")),
            &QAction::triggered, this, &FrmMain::Identify_Device);
    connect(addMenuAction(device, QStringLiteral("StartDevice"), QStringLiteral("Start Device")),
            &QAction::triggered, this, [this] { Start_Device(msg::kConfirmStartMenu); });
    connect(addMenuAction(device, QStringLiteral("StopDevice"), QStringLiteral("Stop Device")),
            &QAction::triggered, this, [this] { Q_EMIT stopDeviceRequested(); });
    connect(addMenuAction(device, QStringLiteral("ClearStopDevice"),
                          QStringLiteral("Clear && Stop Device")),
            &QAction::triggered, this, [this] { Clear_Stop(); });

    // A menu that is never shown.
    QMenu *graph = addMenu(QStringLiteral("Graph"), QStringLiteral("     &Graph                 "));
    for (const char *entry : {"Summary", "Show Graph", "Data Table"})
        graph->addAction(QLatin1String(entry));
    QMenu *tool = graph->addMenu(QStringLiteral("Graph Tool"));
    for (const char *entry : {"Scroll", "Fit To", "&ForeColor", "&BackColor", "&GridColor"})
        tool->addAction(QLatin1String(entry));
    graph->menuAction()->setVisible(false);

    QMenu *exp = addMenu(QStringLiteral("Export"), QStringLiteral("     Export         "));
    connect(addMenuAction(exp, QStringLiteral("ToExcel"), QStringLiteral("To Excel")),
            &QAction::triggered, this, [this] { Q_EMIT exportRequested(); });

    QMenu *help = addMenu(QStringLiteral("Help"), QStringLiteral("    &Help                "));
    connect(addMenuAction(help, QStringLiteral("BrivakHelp"), QStringLiteral("Brivak QTRN Help")),
            &QAction::triggered, this, &FrmMain::Help);
    connect(addMenuAction(help, QStringLiteral("About"), QStringLiteral("About     ")),
            &QAction::triggered, this, [this] { Q_EMIT aboutRequested(); });
}

void FrmMain::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    int next = 1;
    for (const ToolbarEntry &e : kToolbar) {
        for (; next < e.position; ++next)
            m_toolbar->addSeparator()->setData(next);
        QAction *a = m_toolbar->addAction(icon(e.icon), QString());
        a->setObjectName(QLatin1String(e.key));
        a->setToolTip(QLatin1String(e.toolTip));
        a->setText(QLatin1String(e.toolTip));
        a->setData(e.position);
        m_toolbarActions.insert(QLatin1String(e.key), a);
        next = e.position + 1;
    }
    auto on = [this](const char *key, auto slot) {
        connect(m_toolbarActions.value(QLatin1String(key)), &QAction::triggered, this, slot);
    };
    on("New", [this] {
        New_file();
        showDataWindow();
    });
    on("Open", [this] { Q_EMIT fileOpenRequested(); });
    on("Save", [this] { Q_EMIT fileSaveRequested(); });
    on("Print", [this] { Print_Options(false); });
    on("Print_G", [this] { Print_Options(true); });
    on("Zoomin", [this] { Zoom_In(); });
    on("Zoomout", [this] { Zoom_Out(); });
    on("CancZoom", [this] { Zoom_Normal(); });
    on("Pointer", [this] { Pointer_Mode(); });
    on("ReadData", [this] { Read_Device(); });
    on("RealTime", [this] { Real_Time(); });
    on("DeviceTime", [this] { Q_EMIT deviceTimeRequested(); });
    on("IdentyDevice", [this] { Identify_Device(); });
    on("StartDevice", [this] { Start_Device(msg::kConfirmStartToolbar); });
    on("StopDevice", [this] { Q_EMIT stopDeviceRequested(); });
    on("ClearStop", [this] { Clear_Stop(); });
    on("ExportExcel", [this] { Q_EMIT exportRequested(); });
}

void FrmMain::buildLiveToolbar()
{
    m_toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar1->setToolTip(QStringLiteral("Select Reading Interval"));
    m_toolbar1->setMovable(false);
    m_toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_comboRTC = new QComboBox;
    m_comboRTC->setObjectName(QStringLiteral("ComboRTC"));
    m_comboRTC->setToolTip(QStringLiteral("Select Reading Interval"));
    for (const Interval &i : kIntervals)
        m_comboRTC->addItem(QLatin1String(i.text), i.seconds);
    m_toolbar1->addWidget(m_comboRTC);
    m_toolbar1->addSeparator();
    auto add = [this](const char *key, const QString &caption, const char *img) {
        QAction *a = m_toolbar1->addAction(icon(img), caption);
        a->setObjectName(QLatin1String(key));
        m_toolbarActions.insert(QLatin1String(key), a);
        return a;
    };
    connect(add("RTCStart", kStartReading, "live_start"), &QAction::triggered,
            this, &FrmMain::RTCStart);
    connect(add("RTCClear", QStringLiteral("Clear Reading"), "live_clear"), &QAction::triggered,
            this, &FrmMain::RTCClear);
    connect(add("RTCDone", QStringLiteral("Done Reading"), "live_done"), &QAction::triggered,
            this, &FrmMain::RTCDone);
    m_toolbar1->hide();
}

void FrmMain::buildStatusBar()
{
    m_panels = new StatusPanels(statusBar());
    setPanelWidths();
}

QLabel *FrmMain::statusPanel(int i) const { return m_panels->panel(i); }

void FrmMain::setPanelWidths() { m_panels->setWidthsTwips(6850, 1000); }

void FrmMain::onTickChanged(int tick)
{
    for (int n = 1; n <= 4; ++n)
        m_menuActions.value(QStringLiteral("Com%1").arg(n))->setChecked(tick == n);
    m_menuActions.value(QStringLiteral("ComOther"))->setChecked(tick == PortController::TickOther);
}

void FrmMain::openLimits()
{
    // Window-modal but not a nested event loop: the data window follows when OK stored them.
    if (windows::raiseOpen<LimitsDialog>(*this))
        return;
    auto *dialog = new LimitsDialog(m_doc->limitsStore(), m_doc->identity().serial,
                                    m_doc->set().Cels_Faren == 0, *m_prompter, this);
    connect(dialog, &QDialog::accepted, m_doc.get(), &RunDocument::limitsChanged);
    windows::show(dialog, windows::Kind::WindowModal);
}

void FrmMain::Dsb_Controls()
{
    for (const char *key : kDeviceButtons)
        m_toolbarActions.value(QLatin1String(key))->setEnabled(false);
    for (const char *menu : {"data", "Device", "Setting"})
        m_menus.value(QLatin1String(menu))->menuAction()->setEnabled(false);
    m_menuActions.value(QStringLiteral("mOpen"))->setEnabled(false);
    m_menuActions.value(QStringLiteral("mArchive"))->setEnabled(false);
    m_menuActions.value(QStringLiteral("mNew"))->setEnabled(false);
}

void FrmMain::Enb_Controls()
{
    for (const char *key : kDeviceButtons)
        m_toolbarActions.value(QLatin1String(key))->setEnabled(true);
    for (const char *menu : {"data", "Device", "Setting"})
        m_menus.value(QLatin1String(menu))->menuAction()->setEnabled(true);
    m_menuActions.value(QStringLiteral("mOpen"))->setEnabled(true);
    m_menuActions.value(QStringLiteral("mArchive"))->setEnabled(true);
    m_menuActions.value(QStringLiteral("mNew"))->setEnabled(true);
}

void FrmMain::setBusy(bool busy)
{
    // Balanced so nested exchanges cannot leave the hourglass behind or take it away early.
    if (busy) {
        if (m_busy++ == 0)
            setCursor(Qt::WaitCursor);
    } else if (m_busy > 0 && --m_busy == 0) {
        unsetCursor();
    }
}

void FrmMain::New_file()
{
    m_data->resetView();
    m_doc->clear();
    m_data->Clear_screen();
    setWindowTitle(QStringLiteral("BRIVAK QTRN"));
}

void FrmMain::Reset_Grid()
{
    m_data->table().setRows(1);
    m_live->LiveRowNo = 0;
}

void FrmMain::Activation()
{
    setPanelWidths();
    // The data window is activated with the frame: a zoom mode does not outlive it.
    m_data->activated();
    const bool opened = m_port->activate();
    if (opened)
        m_data->resetView();
    else if (!M_Show)
        Q_EMIT startDeviceRequested(); // brings the Start Device dialog back to the front
}

void FrmMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (m_firstActivation || m_otherFormWasActive) {
            m_firstActivation = false;
            m_otherFormWasActive = false;
            Activation();
        }
    }
}

void FrmMain::closeEvent(QCloseEvent *e)
{
    leaving();
    m_port->shutDown(false);
    e->accept();
    QCoreApplication::quit();
}

void FrmMain::Exit()
{
    leaving();
    m_port->shutDown(true);
    QCoreApplication::quit();
}

void FrmMain::leaving()
{
    // A live run exists nowhere else: the archive keeps it before the program goes.
    if (RTC_On)
        Q_EMIT liveRunStopped();
}

bool FrmMain::guardPort()
{
    if (ok_port())
        return true;
    m_prompter->message(msg::kInvalidPort);
    return false;
}

void FrmMain::Open_Port_Com(int n)
{
    m_port->chooseCom(n);
    // A checkable entry has flipped its own tick before this runs: the ticks follow what the
    // port controller decided (the chosen entry alone, or as before on "File Accessing Error").
    onTickChanged(m_port->tick());
}

void FrmMain::Open_Port_Other()
{
    // The box sits at (width / 2.5, height / 3) in twips, as users of the program know it.
    const QScreen *s = screen();
    const qreal dpi = s ? s->logicalDotsPerInch() : 96.0;
    const QPoint topLeft(int(width() * 1440.0 / dpi / 2.5), int(height() * 1440.0 / dpi / 3));
    const auto answer = m_prompter->inputText(msg::kEnterCommPort, appinfo::title(),
                                              QString::number(comm_port()), topLeft);
    m_port->chooseOther(answer);
    onTickChanged(m_port->tick()); // as for COM1 to COM4
}

void FrmMain::Print_Options(bool graph)
{
    Data_Graph = graph;
    Q_EMIT printRequested(graph);
}

void FrmMain::Identify_Device()
{
    if (!guardPort())
        return;
    Q_EMIT identifyRequested();
}

void FrmMain::Start_Device(const QString &confirmation)
{
    m_eraseGuard->beforeErase([this, confirmation] {
        if (!m_prompter->askYesNo(confirmation, msg::kTitleWarning, Prompter::Icon::Information))
            return;
        if (!guardPort())
            return;
        M_Show = false;
        setEnabled(false);
        Q_EMIT startDeviceRequested();
    });
}

void FrmMain::Clear_Stop()
{
    m_eraseGuard->beforeErase([this] { Q_EMIT eraseDeviceRequested(); });
}

void FrmMain::Read_Device()
{
    if (!guardPort())
        return;
    Q_EMIT readDataRequested();
}

void FrmMain::Real_Time()
{
    if (!guardPort())
        return;
    m_toolbar1->show();
    m_toolbar->hide();
    showDataWindow();
    m_doc->beginLive();
    RTC_On = false;
    Reset_Grid();
    m_data->Clear_screen();
    m_comboRTC->setCurrentIndex(1);
}

void FrmMain::RTCStart()
{
    QAction *start = m_toolbarActions.value(QStringLiteral("RTCStart"));
    if (!RTC_On) {
        // The port may have gone away since "Real Time Chart" checked it.
        if (!guardPort())
            return;
        Dsb_Controls();
        showDataWindow();
        m_doc->beginLive();
        Reset_Grid();
        m_data->Clear_screen();
        m_live->begin(); // "R","P" sent, Loop_Cntr 0, RTCinter 1, the parameter check armed
        start->setIcon(icon("live_stop"));
        start->setText(kStopReading);
        RTC_On = true;
        m_comboRTC->setEnabled(false);
    } else {
        Enb_Controls();
        m_live->stop();
        start->setText(kStartReading);
        start->setIcon(icon("live_start"));
        RTC_On = false;
        m_comboRTC->setEnabled(true);
        Q_EMIT liveRunStopped();
    }
}

void FrmMain::RTCClear()
{
    Reset_Grid();
    m_data->Clear_screen();
}

void FrmMain::RTCDone()
{
    Enb_Controls();
    QAction *start = m_toolbarActions.value(QStringLiteral("RTCStart"));
    start->setIcon(icon("live_start"));
    start->setText(kStartReading);
    m_toolbar1->hide();
    m_toolbar->show();
    m_live->stop();
    const bool wasRunning = RTC_On;
    RTC_On = false;
    m_comboRTC->setEnabled(true);
    if (wasRunning)
        Q_EMIT liveRunStopped();
}

void FrmMain::onLiveRow(int row)
{
    // Keep the newest rows in view: the first visible data row is the newest minus 14.
    const int first = std::max(1, m_live->LiveRowNo - 14);
    m_data->FGrid()->scrollTo(m_data->table().index(first - 1, 0),
                              QAbstractItemView::PositionAtTop);
    Q_UNUSED(row);
    m_data->DRAW_GRAPH();
}

void FrmMain::onLiveFailed()
{
    // The run has stopped: show it, so the toolbar does not pretend it still runs.
    if (RTC_On)
        RTCStart();
}

void FrmMain::Zoom_In()
{
    m_data->zoomin = true;
    m_data->zoomout = false;
    m_data->PicGraph()->setCursor(QCursor(QPixmap(QStringLiteral(":/icons/cursor_zoom_in.svg")), 12, 12));
}

void FrmMain::Zoom_Out()
{
    m_data->zoomin = false;
    m_data->zoomout = true;
    m_data->PicGraph()->setCursor(QCursor(QPixmap(QStringLiteral(":/icons/cursor_zoom_out.svg")), 12, 12));
}

void FrmMain::Zoom_Normal()
{
    m_data->resetView();
    m_data->DRAW_GRAPH();
}

void FrmMain::Pointer_Mode()
{
    m_data->PicGraph()->unsetCursor();
    m_data->zoomin = false;
    m_data->zoomout = false;
}

QString FrmMain::manualPath()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString beside = programFolder.filePath(QStringLiteral("KT Manual.pdf"));
#ifdef KESTRUN_DOC_FROM_BIN
    // An installed program keeps its manual with the other documentation.
    if (!QFileInfo::exists(beside)) {
        const QString installed = QDir::cleanPath(programFolder.filePath(
            QStringLiteral(KESTRUN_DOC_FROM_BIN "/KT Manual.pdf")));
        if (QFileInfo::exists(installed))
            return installed;
    }
#endif
    return beside;
}

void FrmMain::Help()
{
    const QString path = manualPath();
    if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        m_prompter->message(
            msg::kManualNotOpened.arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())),
            appinfo::title(), Prompter::Icon::Information);
}

void FrmMain::showDataWindow()
{
    m_dataSub->show();
    m_dataSub->showMaximized();
    m_mdi->setActiveSubWindow(m_dataSub);
}
