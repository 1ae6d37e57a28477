#pragma once

#include "device/device_details.h"

#include <QWidget>

class DeviceHost;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The Device Details dialog: shows what the attached logger reports about itself and, for a
// logger that has no serial number yet, lets the user give it one. Not modal; it is destroyed
// when closed. All of its behaviour lives in DeviceDetails; this window only mirrors that
// object's state in its widgets and hands it the user's typing and clicks.
//
// It is a plain top-level window rather than a QDialog so that nothing (Escape, for one) can
// hide it without going through its closing steps.
class frmIDdev : public QWidget
{
    Q_OBJECT
public:
    // `parent` keeps the dialog from outliving the main window; it stays a window of its own.
    explicit frmIDdev(DeviceHost &host, QWidget *parent = nullptr);

    DeviceDetails &details() { return m_details; }

    // The activation steps; run on the first show and whenever the user comes back to the
    // dialog from another window of the program.
    void Activation();

    QGroupBox *Frame1() const { return m_frame1; }
    QGroupBox *Frame2() const { return m_frame2; }

protected:
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void refresh();
    void onFocusWindowChanged(QWindow *w);

    DeviceDetails m_details;

    QGroupBox *m_frame1 = nullptr;
    QLabel *m_lSerNo = nullptr;
    QLabel *m_Llocation = nullptr;
    QLabel *m_lserno1 = nullptr;
    QLabel *m_Llocation1 = nullptr;
    QLabel *m_lmodel1 = nullptr;
    QLabel *m_ldevstatus1 = nullptr;
    QLabel *m_lno_readings1 = nullptr;
    QLabel *m_linterval1 = nullptr;

    QGroupBox *m_frame2 = nullptr;
    QLineEdit *m_tday = nullptr;
    QLineEdit *m_tmnt = nullptr;
    QLineEdit *m_tyrs = nullptr;
    QLineEdit *m_tSerno = nullptr;
    QPushButton *m_command2 = nullptr;
    QProgressBar *m_progressBar1 = nullptr;

    bool m_activatedOnce = false;
    bool m_otherFormWasActive = false;
};
