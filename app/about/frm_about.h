#pragma once

#include "app/about/sys_info.h"

#include <QDialog>

class Prompter;
class QLabel;
class QPushButton;

// Help → About: title, version, description and the maker's contact, with a button that starts
// the platform's system-information program. Shown non-modal; deletes itself when closed.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(Prompter &prompter, QWidget *parent = nullptr);

    // Replaces the system lookups behind "&System Info..." (tests).
    void setSysInfoTools(sysinfo::Tools tools) { m_tools = std::move(tools); }

    QLabel *imgLogo = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

public Q_SLOTS:
    // Starts the system-information program, or says that there is none.
    void StartSysInfo();

private:
    Prompter &m_prompter;
    sysinfo::Tools m_tools = sysinfo::Tools::platform();
};
