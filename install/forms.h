#pragma once

#include "install/launch_sequence.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPushButton;

// The choice of what to install: "USB Cable" and "QTRN 2.1.0", then "Install".
class Form2 : public QWidget
{
    Q_OBJECT
public:
    Form2(QString folder, LaunchSequence::Hooks hooks, QWidget *parent = nullptr);

    QCheckBox *Cusb = nullptr;
    QCheckBox *Cqtrn = nullptr;
    QPushButton *Command1 = nullptr;

Q_SIGNALS:
    // The launcher has nothing more to do: after "Install" and when the window is closed.
    void endProgram();

public Q_SLOTS:
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString m_folder;
    LaunchSequence::Hooks m_hooks;
    bool m_launching = false;
};

// The first window: one "INSTALL" button that leads to Form2.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1(QString folder, LaunchSequence::Hooks hooks, QWidget *parent = nullptr);
    ~Form1() override;

    QPushButton *Command1 = nullptr;
    Form2 *form2() const { return m_form2.get(); }

Q_SIGNALS:
    void endProgram();

public Q_SLOTS:
    void Command1_Click();

private:
    QString m_folder;
    LaunchSequence::Hooks m_hooks;
    std::unique_ptr<Form2> m_form2;
};
