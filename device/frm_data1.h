#pragma once

#include "device/start_device.h"

#include <QWidget>

class DeviceHost;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// The Start Device dialog: date and time for the logger's clock, the reading interval, start now
// or after a delay, the location text, and "Send" to program the logger. Not modal, destroyed when
// closed; the main window stays disabled while it is open. All behaviour lives in StartDevice;
// this window mirrors that object in its widgets and hands it the user's typing and clicks.
//
// A plain top-level window rather than a QDialog, so that nothing (Escape, for one) can hide it
// without going through its closing steps.
class Frmdata1 : public QWidget
{
    Q_OBJECT
public:
    // Loading the dialog asks the logger for its parameter block at once. `parent` keeps the
    // dialog from outliving the main window; it stays a window of its own.
    explicit Frmdata1(DeviceHost &host, QWidget *parent = nullptr);

    StartDevice &logic() { return m_logic; }

Q_SIGNALS:
    // The dialog has gone through its closing steps (by "Exit", the close box, or because the
    // logger was never enabled); the opener gives the main window back to the user.
    void closed();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void refresh();
    void onDelayCorrected(bool inHrs);

    StartDevice m_logic;
    bool m_mirroring = false; // widgets being set from m_logic: their signals are not the user's
    bool m_closedSignalled = false;

    QDateEdit *m_dtpDate = nullptr;
    QTimeEdit *m_dtpTime = nullptr;
    QGroupBox *m_frameInterval = nullptr;
    QRadioButton *m_optSecond = nullptr;
    QRadioButton *m_optMinute = nullptr;
    QRadioButton *m_optHour = nullptr;
    QButtonGroup *m_units = nullptr;
    QComboBox *m_cmbInterval = nullptr;
    QGroupBox *m_frameOption = nullptr;
    QRadioButton *m_optstrt = nullptr;
    QRadioButton *m_optlater = nullptr;
    QLineEdit *m_hrs = nullptr;
    QLineEdit *m_min = nullptr;
    QLabel *m_lblHrs = nullptr;
    QLabel *m_lblMin = nullptr;
    QGroupBox *m_frameLocation = nullptr;
    QLineEdit *m_txtLocation = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
    QLabel *m_lblStatus = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command1 = nullptr;
};
