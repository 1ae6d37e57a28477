#pragma once

#include "device/command_frame.h"
#include "device/device_host.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class EraseGuard;
class FrmData;
class RunDocument;
class LiveReadings;
class PortController;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class QToolBar;
class StatusPanels;

// The main window: a frame holding the data window, the menus, the two toolbars and the status
// bar. It owns the one serial port and the small state the other windows share, and routes every
// user command to the routine that carries it out.
class FrmMain : public QMainWindow, public DeviceHost
{
    Q_OBJECT
public:
    // The link and the prompter are not owned; nullptr gives the real serial port and the real
    // dialogs.
    explicit FrmMain(SerialLink *link = nullptr, Prompter *prompter = nullptr,
                     QWidget *parent = nullptr);
    ~FrmMain() override;

    // Shared state (16-bit in the loggers' world; true/false here).
    bool Data_Graph = false; // what Print Options prints: false = table, true = graph
    bool M_Show = true;      // false while the Start Device dialog opened from here is up
    bool RTC_On = false;     // a live-reading run is going

    qint16 comm_port() const;
    bool ok_port() const;
    qint16 Baud_Rate() const;
    PortController &port() { return *m_port; }
    FrmData *data() const { return m_data; }
    // The run shown: its readings, how they were obtained, its limits and its summary.
    RunDocument &document() { return *m_doc; }
    LiveReadings &live() { return *m_live; }
    // Offers to read a logger's unread readings before Start Device or Clear & Stop erase it.
    EraseGuard &eraseGuard() { return *m_eraseGuard; }

    // DeviceHost
    SerialLink &link() override { return *m_link; }
    bool okPort() const override { return ok_port(); }
    Prompter &prompter() override { return *m_prompter; }
    void Dsb_Controls() override;
    void Enb_Controls() override;
    void setBusy(bool busy) override;

    void New_file();
    void Reset_Grid();

    // Runs the activation steps (first show, and each return from another window of the
    // program). Public so tests can run it without a window manager.
    void Activation();

    // Commands, by toolbar key or menu object name.
    QAction *toolbarAction(const QString &key) const { return m_toolbarActions.value(key); }
    QAction *menuAction(const QString &name) const { return m_menuActions.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }
    QToolBar *mainToolbar() const { return m_toolbar; }
    QToolBar *liveToolbar() const { return m_toolbar1; }
    QComboBox *ComboRTC() const { return m_comboRTC; }
    QLabel *statusPanel(int i) const;

    // Where Help looks for the manual.
    static QString manualPath();

Q_SIGNALS:
    // Hooks for the windows that arrive later; each is raised by the matching command.
    void fileOpenRequested();
    void fileSaveRequested();
    void readDataRequested();
    void deviceTimeRequested();
    void stopDeviceRequested();
    void eraseDeviceRequested();
    void printRequested(bool graph);
    void exportRequested();
    void reportRequested();
    void archiveRequested();
    void archiveSettingRequested();
    void auditTrailRequested();
    // A live run stopped (Stop Reading, Done Reading, a failed line or closing the program).
    void liveRunStopped();
    void aboutRequested();
    void identifyRequested();
    void startDeviceRequested();

protected:
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildLiveToolbar();
    void buildStatusBar();
    // Setting → "Limits...": the Limits dialog for the logger shown, in the table's unit.
    void openLimits();
    QAction *addMenuAction(QMenu *menu, const QString &name, const QString &caption);
    void setPanelWidths();
    void onTickChanged(int tick);

    // Commands
    void Open_Port_Com(int n);
    void Open_Port_Other();
    void Print_Options(bool graph);
    void Identify_Device();
    void Start_Device(const QString &confirmation);
    void Clear_Stop();
    void Read_Device();
    void Real_Time();
    void Zoom_In();
    void Zoom_Out();
    void Zoom_Normal();
    void Pointer_Mode();
    void RTCStart();
    void RTCClear();
    void RTCDone();
    void onLiveRow(int row);
    void onLiveFailed();
    void Help();
    void Exit();
    void showDataWindow();
    bool guardPort();
    // Closing the program: a live run still going is handed on before the port goes.
    void leaving();

    std::unique_ptr<RunDocument> m_doc;
    std::unique_ptr<SerialLink> m_ownLink;
    std::unique_ptr<Prompter> m_ownPrompter;
    SerialLink *m_link = nullptr;
    Prompter *m_prompter = nullptr;
    PortController *m_port = nullptr;

    QMdiArea *m_mdi = nullptr;
    QMdiSubWindow *m_dataSub = nullptr;
    FrmData *m_data = nullptr;
    LiveReadings *m_live = nullptr;
    EraseGuard *m_eraseGuard = nullptr;
    QToolBar *m_toolbar = nullptr;
    QToolBar *m_toolbar1 = nullptr;
    QComboBox *m_comboRTC = nullptr;
    StatusPanels *m_panels = nullptr;
    QHash<QString, QAction *> m_toolbarActions;
    QHash<QString, QAction *> m_menuActions;
    QHash<QString, QMenu *> m_menus;

    bool m_firstActivation = true;
    bool m_otherFormWasActive = false;
    int m_busy = 0;
};
